// The DLL form's entry points.
#include "bstr_tracker.h"
#include "class_factory.h"
#include "journal.h"
#include "module.h"
#include "registration.h"
#include "wine_check.h"

#include <olectl.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        standin::SetModule(instance, standin::ServerForm::InProcess);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        standin::WriteSummary("unload");
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (standin::JournalEnabled())
        standin::StartBstrTracking();
    return standin::GetClassFactory(clsid, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return standin::CanUnload() ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    return standin::RegisterServer(standin::ServerForm::InProcess);
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    return standin::UnregisterServer();
}

// "regsvr32 /n /i:typelib" and "regsvr32 /u /n /i:typelib" register or remove the type library
// alone, leaving the classes as they are.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR command)
{
    if (!standin::RunningUnderWine())
        return E_ACCESSDENIED;
    if (!command || lstrcmpiW(command, L"typelib") != 0)
        return E_INVALIDARG;
    if (!install) {
        standin::UnregisterTypeLibrary();
        return S_OK;
    }
    return standin::RegisterTypeLibrary() ? S_OK : SELFREG_E_TYPELIB;
}
