#include "app/control_text.h"

void ShowControlText(HWND dialog, int id, const std::wstring& text)
{
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr)
        return;
    int length = GetWindowTextLengthW(control);
    if (length == static_cast<int>(text.size())) {
        std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(control, shown.data(), length + 1);
        shown.resize(static_cast<size_t>(length));
        if (shown == text)
            return;
    }
    SetWindowTextW(control, text.c_str());
}
