// Registration of either form. Everything goes to the machine hive,
// HKLM\Software\Classes: Wine's COM and type-library loaders read classes only from there.
#include "registration.h"

#include "wine_check.h"

#include <olectl.h>

#include "engine/dgn_interfaces.h"

#include <string>

namespace standin {
namespace {

const wchar_t kClasses[] = L"Software\\Classes\\";

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status =
        RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

void DeleteTree(const std::wstring& key)
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str());
}

std::wstring TypeLibKey()
{
    return L"TypeLib\\" + GuidText(LIBID_DNSTools);
}

// Every interface the program reaches is described by the type library, so the system's
// type-library marshaler proxies it when the engine runs in a process of its own.
const wchar_t kTypeLibMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";
const wchar_t kDispatchMarshaler[] = L"{00020420-0000-0000-C000-000000000046}";

struct InterfaceEntry
{
    IID iid;
    const wchar_t* name;
    const wchar_t* marshaler;
};

const InterfaceEntry kInterfaces[] = {
    {__uuidof(IDgnEngineControl), L"IDgnEngineControl", kTypeLibMarshaler},
    {__uuidof(IDgnEditDictation), L"IDgnEditDictation", kTypeLibMarshaler},
    {__uuidof(IDgnResult), L"IDgnResult", kTypeLibMarshaler},
    {__uuidof(ResultTime), L"ResultTime", kTypeLibMarshaler},
    {__uuidof(ResultPhraseList), L"ResultPhraseList", kTypeLibMarshaler},
    {__uuidof(IDgnResPhrase), L"IDgnResPhrase", kTypeLibMarshaler},
    {__uuidof(IDgnResWords), L"IDgnResWords", kTypeLibMarshaler},
    {__uuidof(IDgnResWord), L"IDgnResWord", kTypeLibMarshaler},
    {DIID__DDgnDictEditEvents, L"_DDgnDictEditEvents", kDispatchMarshaler},
};

bool RegisterComClass(const CLSID& clsid, const wchar_t* name, ServerForm form)
{
    std::wstring key = L"CLSID\\" + GuidText(clsid);
    const wchar_t* kept = form == ServerForm::Local ? L"\\LocalServer32" : L"\\InprocServer32";
    const wchar_t* dropped = form == ServerForm::Local ? L"\\InprocServer32" : L"\\LocalServer32";
    DeleteTree(key + dropped);
    bool ok = SetValue(key, nullptr, name) &&
              SetValue(key + L"\\TypeLib", nullptr, GuidText(LIBID_DNSTools));
    if (form == ServerForm::Local)
        return ok && SetValue(key + kept, nullptr, L"\"" + ModulePath() + L"\"");
    return ok && SetValue(key + kept, nullptr, ModulePath()) &&
           SetValue(key + kept, L"ThreadingModel", L"Apartment");
}

} // namespace

// The type library is the module's resource 1; its path is the module's.
bool RegisterTypeLibrary()
{
    std::wstring key = TypeLibKey() + L"\\1.0";
    std::wstring path = ModulePath();
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    const wchar_t* platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    bool ok = SetValue(key, nullptr, L"DNSTools stand-in 1.0 Type Library") &&
              SetValue(key + L"\\0\\" + platform, nullptr, path) &&
              SetValue(key + L"\\FLAGS", nullptr, L"0") &&
              SetValue(key + L"\\HELPDIR", nullptr, folder);
    for (const InterfaceEntry& entry : kInterfaces) {
        std::wstring interfaceKey = L"Interface\\" + GuidText(entry.iid);
        ok = ok && SetValue(interfaceKey, nullptr, entry.name) &&
             SetValue(interfaceKey + L"\\ProxyStubClsid32", nullptr, entry.marshaler) &&
             SetValue(interfaceKey + L"\\TypeLib", nullptr, GuidText(LIBID_DNSTools)) &&
             SetValue(interfaceKey + L"\\TypeLib", L"Version", L"1.0");
    }
    return ok;
}

void UnregisterTypeLibrary()
{
    for (const InterfaceEntry& entry : kInterfaces)
        DeleteTree(L"Interface\\" + GuidText(entry.iid));
    DeleteTree(TypeLibKey());
}

HRESULT RegisterServer(ServerForm form)
{
    if (!RunningUnderWine())
        return E_ACCESSDENIED;
    bool ok =
        RegisterComClass(CLSID_DgnEngineControl, L"DgnEngineControl (Tarvell stand-in)", form) &&
        RegisterComClass(CLSID_DgnDictEdit, L"DgnDictEdit (Tarvell stand-in)", form) &&
        RegisterTypeLibrary();
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer()
{
    if (!RunningUnderWine())
        return E_ACCESSDENIED;
    DeleteTree(L"CLSID\\" + GuidText(CLSID_DgnEngineControl));
    DeleteTree(L"CLSID\\" + GuidText(CLSID_DgnDictEdit));
    UnregisterTypeLibrary();
    return S_OK;
}

} // namespace standin
