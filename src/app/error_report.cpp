#include "app/error_report.h"

#include <oleauto.h>
#include <wrl/client.h>

#include "app/com_owners.h"
#include "app/dialog_base.h"
#include "app/error_text.h"

using Microsoft::WRL::ComPtr;

void ErrorReport::ReportHResult(const wchar_t* text, HRESULT hr, bool fatal) const
{
    // Taking the error object clears it from the thread: a later report finds none.
    ComPtr<IErrorInfo> info;
    Bstr description;
    bool described = GetErrorInfo(0, info.GetAddressOf()) == S_OK && info &&
                     SUCCEEDED(info->GetDescription(description.Out()));
    std::wstring message =
        ComposeHResultMessage(text, hr, described ? description.Text() : nullptr);
    ShowError(message.c_str(), fatal);
}

void ErrorReport::ShowError(const wchar_t* text, bool fatal) const
{
    HWND window = owner_.Window();
    MessageBoxW(window, text, L"Error", MB_ICONERROR | MB_OK);
    if (fatal)
        EndDialog(window, IDCANCEL);
}
