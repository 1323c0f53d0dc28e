// The local-server form: the same engine in a process of its own, started by COM with
// -Embedding. "/RegServer" registers this form (and removes the DLL's), "/UnregServer" removes
// the classes.
#include "class_factory.h"
#include "journal.h"
#include "module.h"
#include "registration.h"

#include <shellapi.h>
#include <tlhelp32.h>
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
        HRESULT hr = GetClassFactory(clsid, IID_PPV_ARGS(&factory));
        if (SUCCEEDED(hr))
            hr = CoRegisterClassObject(clsid, factory.Get(), CLSCTX_LOCAL_SERVER,
                                       REGCLS_MULTIPLEUSE, &cookie_);
        if (FAILED(hr))
            JournalLine("register-failed", {HResultText(hr)});
    }
    ~RegisteredClass() { Revoke(); }
    RegisteredClass(const RegisteredClass&) = delete;
    RegisteredClass& operator=(const RegisteredClass&) = delete;

    bool Registered() const { return cookie_ != 0; }
    void Revoke()
    {
        if (cookie_ == 0)
            return;
        // A class left registered would answer the next program from a server that has ended.
        HRESULT hr = CoRevokeClassObject(cookie_);
        if (FAILED(hr))
            JournalLine("revoke-failed", {HResultText(hr)});
        cookie_ = 0;
    }

private:
    DWORD cookie_ = 0;
};

std::unique_ptr<RegisteredClass> gEngineControl;
std::unique_ptr<RegisteredClass> gDictEdit;

DWORD gMainThread = 0;
bool gIdle = false;

// The class objects are taken back at the top of the message loop, never from inside a call:
// the last release can arrive while an event to the program is still on its way, and Wine's
// CoRevokeClassObject made there could hang, or leave the class registered for a server that
// then ends.
void OnIdle()
{
    gIdle = true;
    PostThreadMessageW(gMainThread, WM_NULL, 0, 0);
}

void TakeBackClassObjects()
{
    if (gEngineControl)
        gEngineControl->Revoke();
    if (gDictEdit)
        gDictEdit->Revoke();
}

// How long a server with no objects left waits for the program's next creation before it
// takes its class objects back. Wine's COM hands a creation that meets a server taking its
// class objects back to the ending server, or waits for one that never registers: a program
// that releases its first engine object and creates the next at once (as it does at start)
// must find this server still serving. Once the program has ended, the server ends at once.
constexpr DWORD kIdleGraceMs = 3000;

bool IsSwitch(const wchar_t* argument, const wchar_t* name)
{
    return (argument[0] == L'/' || argument[0] == L'-') && lstrcmpiW(argument + 1, name) == 0;
}

// The process that had COM start this server: the program that asked for the engine.
HANDLE OpenClient()
{
    DWORD self = GetCurrentProcessId();
    DWORD parent = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == self)
            parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent == 0 ? nullptr : OpenProcess(SYNCHRONIZE, FALSE, parent);
}

// Serves until the last object has been gone for the grace, or until the program that started
// it has ended: with objects still alive (killed, crashed) that is said in the journal. Wine's
// COM never tells a server that a client vanished, and a server left with its class objects
// registered would answer the next program with this one's scenario, or not at all once
// ended by force.
void Run(HANDLE client)
{
    ULONGLONG idleSince = 0; // when the last object went; 0 while objects are alive
    for (;;) {
        DWORD wait = INFINITE;
        if (idleSince != 0) {
            ULONGLONG idle = GetTickCount64() - idleSince;
            wait = idle >= kIdleGraceMs ? 0 : static_cast<DWORD>(kIdleGraceMs - idle);
        }
        DWORD handles = client ? 1 : 0;
        // Input left in the queue when the pumping below stopped for the idle check wakes it.
        DWORD woke =
            MsgWaitForMultipleObjectsEx(handles, &client, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (client && woke == WAIT_OBJECT_0) {
            if (!CanUnload())
                JournalLine("client-gone", {});
            TakeBackClassObjects();
            return;
        }
        MSG message;
        while (!gIdle && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        gIdle = false;
        if (!CanUnload()) {
            idleSince = 0;
            continue;
        }
        if (idleSince == 0)
            idleSince = GetTickCount64();
        if (GetTickCount64() - idleSince < kIdleGraceMs)
            continue;
        // A creation that arrives while the class objects are taken back is served to its end.
        TakeBackClassObjects();
        if (CanUnload())
            return;
        idleSince = 0;
    }
}

int Serve()
{
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    gMainThread = GetCurrentThreadId();
    JournalLine("server-start", {});
    gEngineControl = std::make_unique<RegisteredClass>(CLSID_DgnEngineControl);
    gDictEdit = std::make_unique<RegisteredClass>(CLSID_DgnDictEdit);
    int status = 1;
    if (gEngineControl->Registered() && gDictEdit->Registered()) {
        HANDLE client = OpenClient();
        Run(client);
        if (client)
            CloseHandle(client);
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
    SetModule(instance, ServerForm::Local, OnIdle, TakeBackClassObjects);
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
