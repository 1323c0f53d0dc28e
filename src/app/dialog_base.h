// A small modal dialog base: a dialog procedure that forwards every message to a
// message map, with the result rule of dialog procedures.
#pragma once

#include <windows.h>

class DialogBase
{
public:
    DialogBase() = default;
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;
    virtual ~DialogBase() = default;

    // Runs the dialog modally; returns its end code, or -1 when it could not be created.
    // The window is destroyed by the time this returns.
    INT_PTR DoModal(HINSTANCE instance, int templateId, HWND owner, LPARAM initParam = 0);

    HWND Window() const { return hwnd_; }

protected:
    // Map 0 is the dialog's own; any other map number leaves the message unhandled.
    virtual bool ProcessWindowMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result,
                                      DWORD mapId) = 0;
    // Called after the window's last message, when the handle is already gone.
    virtual void OnFinalMessage(HWND) {}

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

private:
    static INT_PTR CALLBACK StartProc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK Proc(HWND window, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};
