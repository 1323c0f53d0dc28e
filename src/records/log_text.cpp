#include "records/log_text.h"

#include <cwchar>

const wchar_t kLogBanner[] =
    L"Mirelle Log File Service, Tarvell's record of this session; it is removed when "
    L"Tarvell closes unless you save it.";

namespace {

const wchar_t* const kWeekdays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                    L"Thursday", L"Friday", L"Saturday"};
const wchar_t* const kMonths[] = {L"January",   L"February", L"March",    L"April",
                                  L"May",       L"June",     L"July",     L"August",
                                  L"September", L"October",  L"November", L"December"};

const wchar_t* NameOrBlank(const wchar_t* const* names, size_t count, size_t index)
{
    return index < count ? names[index] : L"";
}

} // namespace

std::wstring FormatSessionStartLine(const SYSTEMTIME& time)
{
    wchar_t line[256];
    std::swprintf(line, 256, L"Mirelle Session Started: %ls, %ls %d, %d %02d:%02d:%02d",
                  NameOrBlank(kWeekdays, 7, time.wDayOfWeek),
                  NameOrBlank(kMonths, 12, static_cast<size_t>(time.wMonth) - 1), time.wDay,
                  time.wYear, time.wHour, time.wMinute, time.wSecond);
    return line;
}

std::wstring FormatTimeOfDay(const SYSTEMTIME& time)
{
    wchar_t text[128];
    std::swprintf(text, 128, L"%02d:%02d:%02d", time.wHour, time.wMinute, time.wSecond);
    return text;
}

std::string EncodeLatin1(std::wstring_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c <= 0xFF) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        bytes.push_back('?');
        bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF;
        if (pair)
            ++i;
    }
    return bytes;
}

std::wstring LogPathFromPlaceholder(std::wstring_view placeholder)
{
    std::wstring path(placeholder);
    size_t dot = path.rfind(L'.');
    if (dot != std::wstring::npos)
        path.erase(dot);
    path += L".txt";
    return path;
}
