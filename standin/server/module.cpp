#include "module.h"

#include "bstr_tracker.h"
#include "class_factory.h"
#include "journal.h"

#include <atomic>
#include <string>

namespace standin {
namespace {

HINSTANCE gInstance = nullptr;
std::atomic<long> gObjects[static_cast<int>(ObjectKind::Count)];
std::atomic<long> gTotal{0};
std::atomic<long> gLocks{0};

const char* const kKindNames[] = {
    "DgnEngineControl", "DgnDictEdit",   "IDgnResult",   "ResultTime",
    "ResultPhraseList", "IDgnResPhrase", "IDgnResWords", "IDgnResWord",
};
static_assert(sizeof kKindNames / sizeof kKindNames[0] == static_cast<int>(ObjectKind::Count));

} // namespace

HINSTANCE ModuleInstance()
{
    return gInstance;
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(gInstance, path, MAX_PATH);
    return std::wstring(path, length);
}

void ObjectCreated(ObjectKind kind)
{
    ++gObjects[static_cast<int>(kind)];
    ++gTotal;
}

void ObjectDestroyed(ObjectKind kind)
{
    --gObjects[static_cast<int>(kind)];
    if (--gTotal == 0)
        WriteSummary("last-release");
}

void LockModule(bool lock)
{
    lock ? ++gLocks : --gLocks;
}

void WriteSummary(const char* reason)
{
    std::vector<std::string> fields{reason, "objects=" + std::to_string(gTotal.load())};
    auto unfreed = UnfreedBstrs();
    fields.push_back("bstrs=" + (unfreed ? std::to_string(*unfreed) : std::string("unknown")));
    std::string alive;
    for (int k = 0; k < static_cast<int>(ObjectKind::Count); ++k) {
        if (gObjects[k] != 0)
            alive += std::string(alive.empty() ? "" : " ") + kKindNames[k] + "=" +
                     std::to_string(gObjects[k].load());
    }
    fields.push_back(alive);
    JournalLine("summary", fields);
}

} // namespace standin

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        standin::gInstance = instance;
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
    return standin::gTotal == 0 && standin::gLocks == 0 ? S_OK : S_FALSE;
}
