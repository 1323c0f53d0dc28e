// The local-server form: the same engine in a process of its own, started by COM with
// -Embedding. "/RegServer" registers this form (and removes the DLL's), "/UnregServer" removes
// the classes.
#include "class_factory.h"
#include "journal.h"
#include "module.h"
#include "registration.h"

#include <shellapi.h>
#include <wrl/client.h>

#include "engine/dgn_interfaces.h"

#include <memory>
#include <string>

namespace standin {
namespace {

using Microsoft::WRL::ComPtr;

class RegisteredClass
{
public:
    explicit RegisteredClass(const CLSID& clsid)
    {
        ComPtr<IUnknown> factory;
        if (SUCCEEDED(GetClassFactory(clsid, IID_PPV_ARGS(&factory))))
            CoRegisterClassObject(clsid, factory.Get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                  &cookie_);
    }
    ~RegisteredClass() { Revoke(); }
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;

    bool Registered() const { return cookie_ != 0; }
    void Revoke()
    {
        if (cookie_ != 0)
            CoRevokeClassObject(cookie_);
        cookie_ = 0;
    }

private:
    DWORD cookie_ = 0;
};

std::unique_ptr<RegisteredClass> gEngineControl;
std::unique_ptr<RegisteredClass> gDictEdit;

// The class objects go at once, so that a later creation starts a fresh server (with the
// environment of the program that asks) rather than reaching one that is ending.
void OnIdle()
{
    if (gEngineControl)
        gEngineControl->Revoke();
    if (gDictEdit)
        gDictEdit->Revoke();
    PostQuitMessage(0);
}

bool IsSwitch(const wchar_t* argument, const wchar_t* name)
{
    return (argument[0] == L'/' || argument[0] == L'-') && lstrcmpiW(argument + 1, name) == 0;
}

int Serve()
{
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    JournalLine("server-start", {});
    gEngineControl = std::make_unique<RegisteredClass>(CLSID_DgnEngineControl);
    gDictEdit = std::make_unique<RegisteredClass>(CLSID_DgnDictEdit);
    int status = 1;
    if (gEngineControl->Registered() && gDictEdit->Registered()) {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        status = 0;
    }
    gEngineControl.reset();
    gDictEdit.reset();
    WriteSummary("unload");
    CoUninitialize();
    return status;
}

} // namespace
} // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    using namespace standin;
    SetModule(instance, ServerForm::Local, OnIdle);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring command = arguments && count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    if (IsSwitch(command.c_str(), L"RegServer"))
        return RegisterServer(ServerForm::Local) == S_OK ? 0 : 1;
    if (IsSwitch(command.c_str(), L"UnregServer"))
        return UnregisterServer() == S_OK ? 0 : 1;
    if (IsSwitch(command.c_str(), L"Embedding"))
        return Serve();
    return 2;
}
