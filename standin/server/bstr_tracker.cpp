#include "bstr_tracker.h"

#include <objidl.h>

#include <unordered_set>

namespace standin {
namespace {

CRITICAL_SECTION gLock;
bool gTracking = false;
std::unordered_set<const void*>* gOut = nullptr; // handed-out strings, by their text address

// The allocator sees a BSTR's block, which starts before its text: 4 bytes of length, and on
// 64-bit Windows 4 bytes of padding before that.
void ForgetBlock(void* block)
{
    if (!block)
        return;
    EnterCriticalSection(&gLock);
    const char* base = static_cast<const char*>(block);
    gOut->erase(base + 4);
    gOut->erase(base + 8);
    LeaveCriticalSection(&gLock);
}

class FreeWatcher : public IMallocSpy
{
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
            *out = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the process: the DLL is pinned while the spy is registered.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) override { return request; }
    STDMETHODIMP_(void*) PostAlloc(void* actual) override { return actual; }
    STDMETHODIMP_(void*) PreFree(void* request, BOOL) override
    {
        ForgetBlock(request);
        return request;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** actual, BOOL) override
    {
        ForgetBlock(request);
        *actual = request;
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override { return actual; }
    STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override
    {
        ForgetBlock(request);
        return request;
    }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}
};

FreeWatcher gWatcher;

} // namespace

bool StartBstrTracking()
{
    static bool started = [] {
        InitializeCriticalSection(&gLock);
        gOut = new std::unordered_set<const void*>();
        if (FAILED(CoRegisterMallocSpy(&gWatcher)))
            return false;
        // The allocator calls the spy until the process ends, so this code must stay loaded.
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&StartBstrTracking), &self);
        return true;
    }();
    gTracking = started;
    return started;
}

BSTR HandOut(const std::optional<std::wstring>& text)
{
    if (!text)
        return nullptr;
    BSTR value = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    if (value && gTracking) {
        EnterCriticalSection(&gLock);
        gOut->insert(value);
        LeaveCriticalSection(&gLock);
    }
    return value;
}

std::optional<size_t> UnfreedBstrs()
{
    if (!gTracking)
        return std::nullopt;
    EnterCriticalSection(&gLock);
    size_t count = gOut->size();
    LeaveCriticalSection(&gLock);
    return count;
}

} // namespace standin
