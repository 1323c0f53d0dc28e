// The dialog's one way of telling the user that something failed: a modal "Error" box,
// which ends the dialog with code 2 when the failure is fatal.
#pragma once

#include <windows.h>

class DialogBase;

class ErrorReport
{
public:
    explicit ErrorReport(const DialogBase& owner) : owner_(owner) {}

    // A failed COM call: the text, the HRESULT and the thread's error description if any.
    void ReportHResult(const wchar_t* text, HRESULT hr, bool fatal) const;
    void ShowError(const wchar_t* text, bool fatal) const;

private:
    const DialogBase& owner_;
};
