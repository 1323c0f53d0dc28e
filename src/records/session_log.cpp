#include "records/session_log.h"

#include <windows.h>
#include <vector>

#include "records/log_text.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A collision of the derived name with a file of someone else's is rare; give up after a few.
constexpr int kNameAttempts = 16;

std::wstring SystemTempFolder()
{
    wchar_t folder[kPathCapacity] = {};
    DWORD length = GetTempPathW(kPathCapacity, folder);
    if (length == 0 || length >= kPathCapacity)
        return {};
    return folder;
}

std::wstring SystemPlaceholder(const std::wstring& folder)
{
    wchar_t name[kPathCapacity] = {};
    if (GetTempFileNameW(folder.c_str(), L"", 0, name) == 0)
        return {};
    return name;
}

} // namespace

void SessionLog::Start()
{
    Start(SystemTempFolder(), &SystemPlaceholder);
}

void SessionLog::Start(const std::wstring& folder, const PlaceholderMaker& makePlaceholder)
{
    // The ".txt" name comes from a unique placeholder, but nothing makes it unique itself:
    // claim it with an exclusive create so that the log never appends to, or later
    // deletes, a file that this program did not make.
    std::vector<std::wstring> placeholders;
    for (int attempt = 0; !folder.empty() && attempt < kNameAttempts && path_.empty(); ++attempt) {
        std::wstring placeholder = makePlaceholder(folder);
        if (placeholder.empty())
            break;
        placeholders.push_back(placeholder);
        std::wstring candidate = LogPathFromPlaceholder(placeholder);
        if (candidate.size() >= kPathCapacity)
            break;
        HANDLE file = CreateFileW(candidate.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            path_ = candidate;
        } else if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    for (const std::wstring& placeholder : placeholders)
        DeleteFileW(placeholder.c_str());

    SYSTEMTIME now;
    GetLocalTime(&now);
    AppendLine(FormatSessionStartLine(now).c_str());
    AppendLine(kLogBanner);
    AppendLine(L"");
}

void SessionLog::AppendLine(const wchar_t* text) const
{
    if (path_.empty())
        return;
    HANDLE file = CreateFileW(path_.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string bytes = EncodeLatin1(text ? text : L"");
    bytes += "\r\n";
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void SessionLog::Discard() const
{
    if (path_.empty())
        return;
    // A file that cannot be opened (held without sharing, access denied) is left alone.
    HANDLE file = CreateFileW(path_.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(file);
    DeleteFileW(path_.c_str());
}
