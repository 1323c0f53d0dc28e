#include "call_times.h"

#include <psapi.h>
#include <fstream>
#include <sstream>

#include "control/standin_control.h"

namespace bench {

namespace {

// kernel32 is where it is in this process only by chance: its base is read in the other.
HMODULE RemoteKernel32(HANDLE process)
{
    HMODULE modules[1024];
    DWORD needed = 0;
    if (!EnumProcessModulesEx(process, modules, sizeof modules, &needed, LIST_MODULES_ALL))
        return nullptr;
    for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 1024; ++i) {
        wchar_t name[MAX_PATH];
        if (GetModuleBaseNameW(process, modules[i], name, MAX_PATH) &&
            _wcsicmp(name, L"kernel32.dll") == 0)
            return modules[i];
    }
    return nullptr;
}

} // namespace

bool LoadInto(DWORD processId, const std::wstring& dllPath)
{
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                     PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, processId);
    if (!process)
        return false;
    bool loaded = false;
    HMODULE local = GetModuleHandleW(L"kernel32.dll");
    HMODULE remote = RemoteKernel32(process);
    auto loadLibrary = reinterpret_cast<const char*>(GetProcAddress(local, "LoadLibraryW"));
    size_t bytes = (dllPath.size() + 1) * sizeof(wchar_t);
    void* name =
        remote ? VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
               : nullptr;
    if (name && loadLibrary && WriteProcessMemory(process, name, dllPath.c_str(), bytes, nullptr)) {
        auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<const char*>(remote) +
            (loadLibrary - reinterpret_cast<const char*>(local)));
        if (HANDLE thread = CreateRemoteThread(process, nullptr, 0, start, name, 0, nullptr)) {
            DWORD module = 0;
            loaded = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0 &&
                     GetExitCodeThread(thread, &module) && module != 0;
            CloseHandle(thread);
        }
    }
    if (name)
        VirtualFreeEx(process, name, 0, MEM_RELEASE);
    CloseHandle(process);
    return loaded;
}

bool TimeCallsOf(DWORD clientId)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dll = self;
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"tarvell_call_timer.dll";
    bool loaded = clientId == GetCurrentProcessId() ? LoadLibraryW(dll.c_str()) != nullptr
                                                    : LoadInto(clientId, dll);
    for (DWORD server : standin::control::ServersStartedBy(clientId))
        loaded = loaded && LoadInto(server, dll);
    return loaded;
}

std::vector<IncomingCall> ReadIncomingCalls(const std::wstring& folder, DWORD processId)
{
    std::vector<IncomingCall> calls;
    std::ifstream in((folder + L"\\calls-" + std::to_wstring(processId) + L".txt").c_str());
    for (std::string line; std::getline(in, line);) {
        IncomingCall call;
        std::istringstream fields(line);
        if (fields >> call.start >> call.span >> call.own >> call.outCalls)
            calls.push_back(call);
    }
    return calls;
}

} // namespace bench
