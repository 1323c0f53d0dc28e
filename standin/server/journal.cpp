#include "journal.h"

#include "core/spectral_work.h"
#include "core/text.h"

#include <cstdio>

namespace standin {
namespace {

std::wstring JournalPath()
{
    wchar_t path[MAX_PATH + 1];
    DWORD length = GetEnvironmentVariableW(L"TARVELL_STANDIN_JOURNAL", path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return {};
    return path;
}

} // namespace

bool JournalEnabled()
{
    return !JournalPath().empty();
}

void JournalLine(const std::string& kind, const std::vector<std::string>& fields)
{
    std::wstring path = JournalPath();
    if (path.empty())
        return;
    std::string line = std::to_string(NowMicroseconds()) + "\t" +
                       std::to_string(GetCurrentProcessId()) + "\t" + kind;
    for (const std::string& field : fields)
        line += "\t" + field;
    line += "\r\n";
    // One handle stays open for the path: opening the file for every line cost more than
    // the engine calls being journalled. Each line still goes to the file in one write, so
    // the journal is whole whenever the process ends.
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::wstring openPath;
    static HANDLE file = INVALID_HANDLE_VALUE;
    AcquireSRWLockExclusive(&lock);
    if (path != openPath || file == INVALID_HANDLE_VALUE) {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        openPath = path;
        // Another process may hold the file for reading; a few tries let the line through.
        for (int attempt = 0; attempt < 50; ++attempt) {
            file = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE)
                break;
            Sleep(2);
        }
    }
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE)
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ReleaseSRWLockExclusive(&lock);
}

std::string Quoted(const std::optional<std::wstring>& text)
{
    return text ? "\"" + Escape(*text) + "\"" : "null";
}

std::string Quoted(const wchar_t* text)
{
    if (!text)
        return "null";
    return "\"" + Escape(std::wstring(text, SysStringLen(const_cast<BSTR>(text)))) + "\"";
}

std::string HResultText(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::string VariantText(const VARIANT& value)
{
    char text[64];
    switch (value.vt) {
    case VT_EMPTY: return "EMPTY";
    case VT_I1: std::snprintf(text, sizeof text, "I1:%d", value.cVal); break;
    case VT_I2: std::snprintf(text, sizeof text, "I2:%d", value.iVal); break;
    case VT_I4: std::snprintf(text, sizeof text, "I4:%ld", static_cast<long>(value.lVal)); break;
    case VT_UI1: std::snprintf(text, sizeof text, "UI1:%u", value.bVal); break;
    case VT_UI2: std::snprintf(text, sizeof text, "UI2:%u", value.uiVal); break;
    case VT_UI4:
        std::snprintf(text, sizeof text, "UI4:%lu", static_cast<unsigned long>(value.ulVal));
        break;
    case VT_R4: std::snprintf(text, sizeof text, "R4:%g", value.fltVal); break;
    case VT_R8: std::snprintf(text, sizeof text, "R8:%g", value.dblVal); break;
    case VT_BOOL: std::snprintf(text, sizeof text, "BOOL:%d", value.boolVal ? 1 : 0); break;
    case VT_BSTR: return "BSTR:" + Quoted(value.bstrVal);
    default: std::snprintf(text, sizeof text, "VT%u", value.vt); break;
    }
    return text;
}

std::string Join(const std::vector<std::string>& parts)
{
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : " ") + part;
    return out;
}

} // namespace standin
