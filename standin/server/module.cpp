#include "module.h"

#include "bstr_tracker.h"
#include "class_factory.h"
#include "journal.h"

#include <atomic>
#include <string>

namespace standin {
namespace {

HINSTANCE gInstance = nullptr;
ServerForm gForm = ServerForm::InProcess;
void (*gOnIdle)() = nullptr;
void (*gTakeBack)() = nullptr;
std::atomic<long> gObjects[static_cast<int>(ObjectKind::Count)];
std::atomic<long> gTotal{0};
std::atomic<long> gLocks{0};

const char* const kKindNames[] = {
    "DgnEngineControl", "DgnDictEdit",   "IDgnResult",   "ResultTime",
    "ResultPhraseList", "IDgnResPhrase", "IDgnResWords", "IDgnResWord",
};
static_assert(sizeof kKindNames / sizeof kKindNames[0] == static_cast<int>(ObjectKind::Count));

} // namespace

void SetModule(HINSTANCE instance, ServerForm form, void (*onIdle)(), void (*takeBack)())
{
    gInstance = instance;
    gForm = form;
    gOnIdle = onIdle;
    gTakeBack = takeBack;
}

ServerForm Form()
{
    return gForm;
}

bool CanUnload()
{
    return gTotal == 0 && gLocks == 0;
}

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
    if (--gTotal == 0) {
        WriteSummary("last-release");
        if (gOnIdle && gLocks == 0)
            gOnIdle();
    }
}

void LockModule(bool lock)
{
    if ((lock ? ++gLocks : --gLocks) == 0 && gTotal == 0 && gOnIdle)
        gOnIdle();
}

void Crash()
{
    if (gTakeBack)
        gTakeBack();
    JournalLine("crash", {});
    TerminateProcess(GetCurrentProcess(), 99);
    ExitProcess(99);
}

void WriteSummary(const char* reason)
{
    std::vector<std::string> fields{reason, "objects=" + std::to_string(gTotal.load())};
    // Across processes the marshaler frees the server's copy of every string it sends.
    auto unfreed = UnfreedBstrs();
    if (gForm == ServerForm::Local)
        fields.push_back("bstrs=n/a");
    else
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
