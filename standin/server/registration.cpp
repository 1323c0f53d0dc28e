// DllRegisterServer, DllUnregisterServer and DllInstall. Everything goes to the machine hive,
// HKLM\Software\Classes: Wine's COM and type-library loaders read classes only from there.
#include "module.h"
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

bool RegisterComClass(const CLSID& clsid, const wchar_t* name)
{
    std::wstring key = L"CLSID\\" + GuidText(clsid);
    return SetValue(key, nullptr, name) &&
           SetValue(key + L"\\InprocServer32", nullptr, ModulePath()) &&
           SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
           SetValue(key + L"\\TypeLib", nullptr, GuidText(LIBID_DNSTools));
}

// The type library is the DLL's resource 1; its path is the DLL's.
bool RegisterTypeLibrary()
{
    std::wstring key = TypeLibKey() + L"\\1.0";
    std::wstring path = ModulePath();
    std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    const wchar_t* platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    return SetValue(key, nullptr, L"DNSTools stand-in 1.0 Type Library") &&
           SetValue(key + L"\\0\\" + platform, nullptr, path) &&
           SetValue(key + L"\\FLAGS", nullptr, L"0") &&
           SetValue(key + L"\\HELPDIR", nullptr, folder);
}

void UnregisterTypeLibrary()
{
    DeleteTree(TypeLibKey());
}

} // namespace
} // namespace standin

using namespace standin;

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    if (!RunningUnderWine())
        return E_ACCESSDENIED;
    bool ok = RegisterComClass(CLSID_DgnEngineControl, L"DgnEngineControl (Tarvell stand-in)") &&
              RegisterComClass(CLSID_DgnDictEdit, L"DgnDictEdit (Tarvell stand-in)") &&
              RegisterTypeLibrary();
    return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    if (!RunningUnderWine())
        return E_ACCESSDENIED;
    DeleteTree(L"CLSID\\" + GuidText(CLSID_DgnEngineControl));
    DeleteTree(L"CLSID\\" + GuidText(CLSID_DgnDictEdit));
    UnregisterTypeLibrary();
    return S_OK;
}

// "regsvr32 /n /i:typelib" and "regsvr32 /u /n /i:typelib" register or remove the type library
// alone, leaving the classes as they are.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR command)
{
    if (!RunningUnderWine())
        return E_ACCESSDENIED;
    if (!command || lstrcmpiW(command, L"typelib") != 0)
        return E_INVALIDARG;
    if (!install) {
        UnregisterTypeLibrary();
        return S_OK;
    }
    return RegisterTypeLibrary() ? S_OK : SELFREG_E_TYPELIB;
}
