#include "records/record_names.h"

#include <cwchar>

#include "records/log_text.h"

std::wstring SuggestedLogName(const SYSTEMTIME& time)
{
    wchar_t name[kPathCapacity];
    std::swprintf(name, kPathCapacity, L"Session log %d-%02d-%02d %02d-%02d-%02d.txt", time.wYear,
                  time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
    return name;
}

std::wstring SuggestedTranscriptName(const SYSTEMTIME& time)
{
    wchar_t name[kPathCapacity];
    std::swprintf(name, kPathCapacity, L"Transcript %02d%02d%02d.txt", time.wHour, time.wMinute,
                  time.wSecond);
    return name;
}

std::vector<std::wstring> SaveMarkerLines(const SYSTEMTIME& time)
{
    return {L"", L"Session saved at: " + FormatTimeOfDay(time),
            L"------------------------------------------"};
}

std::string ExportBytes(std::wstring_view boxText)
{
    return EncodeLatin1(boxText);
}
