#include "app/error_text.h"

#include <cwchar>

std::wstring ComposeHResultMessage(const wchar_t* text, HRESULT hr, const wchar_t* description)
{
    wchar_t code[16];
    std::swprintf(code, sizeof code / sizeof code[0], L"0x%X", static_cast<unsigned>(hr));

    std::wstring message = text ? text : L"";
    message += L" (HRESULT ";
    message += code;
    message += L")";
    if (description != nullptr) {
        message += L"\n\"";
        message += description;
        message += L"\"";
    }
    if (message.size() > kErrorMessageCapacity - 1)
        message.resize(kErrorMessageCapacity - 1);
    return message;
}
