#include "app/dialog_base.h"

namespace {

// The dialog being created on this thread. DialogBoxParam delivers WM_SETFONT before
// WM_INITDIALOG, so the object cannot travel in the initialisation parameter, which
// belongs to the dialog itself.
thread_local DialogBase* creating = nullptr;

} // namespace

INT_PTR DialogBase::DoModal(HINSTANCE instance, int templateId, HWND owner, LPARAM initParam)
{
    creating = this;
    INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner,
                                     &DialogBase::StartProc, initParam);
    creating = nullptr;
    return result;
}

INT_PTR CALLBACK DialogBase::StartProc(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    DialogBase* self = creating;
    creating = nullptr;
    if (self == nullptr)
        return FALSE;
    self->hwnd_ = window;
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    SetWindowLongPtrW(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&DialogBase::Proc));
    return self->Dispatch(msg, wp, lp);
}

INT_PTR CALLBACK DialogBase::Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    return self->Dispatch(msg, wp, lp);
}

INT_PTR DialogBase::Dispatch(UINT msg, WPARAM wp, LPARAM lp)
{
    HWND window = hwnd_;
    LRESULT result = 0;
    bool handled = ProcessWindowMessage(window, msg, wp, lp, result, 0);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        hwnd_ = nullptr;
        OnFinalMessage(window);
    }
    if (!handled)
        return FALSE;
    if (msg == WM_INITDIALOG)
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}
