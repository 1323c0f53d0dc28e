#include "request_window.h"

#include "module.h"

namespace standin {
namespace {

const wchar_t kClassName[] = L"TarvellStandinRequests";
// Marks a WM_COPYDATA as a stand-in request ('TSRQ').
constexpr ULONG_PTR kRequestMagic = 0x54535251;

} // namespace

RequestWindow::RequestWindow(RequestListener* listener) : listener_(listener)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc); // fails harmlessly when another object registered it already
    std::wstring title = L"Tarvell stand-in " + std::to_wstring(GetCurrentProcessId());
    window_ = CreateWindowExW(0, kClassName, title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ModuleInstance(), this);
}

RequestWindow::~RequestWindow()
{
    if (window_)
        DestroyWindow(window_);
    // Fails while another object's window still uses the class; the last one removes it, so a
    // reloaded DLL never meets a class whose procedure went with the old one.
    UnregisterClassW(kClassName, ModuleInstance());
}

void RequestWindow::Post(UINT message, WPARAM wParam)
{
    if (window_)
        PostMessageW(window_, message, wParam, 0);
}

LRESULT CALLBACK RequestWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RequestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_COPYDATA) {
        auto* data = reinterpret_cast<COPYDATASTRUCT*>(lParam);
        if (data->dwData != kRequestMagic)
            return FALSE;
        std::string text(static_cast<const char*>(data->lpData), data->cbData);
        return self->listener_->OnRequest(text) ? TRUE : FALSE;
    }
    if (self && message >= WM_APP && message <= 0xBFFF) {
        self->listener_->OnPosted(message, wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace standin
