// The stand-in's own file reading, through the Windows file API; the parsing is shared with the
// recogniser service.
#include "wav_reader.h"

#include <windows.h>

namespace standin {
namespace {

// Larger files are refused rather than read into memory whole.
constexpr LONGLONG kMaxFileBytes = 512LL * 1024 * 1024;

} // namespace

WavRead ReadWav(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return WavProblem("cannot open the file");
    LARGE_INTEGER size{};
    std::string bytes;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= kMaxFileBytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() ||
             (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
              got == bytes.size());
    }
    CloseHandle(file);
    if (!ok)
        return WavProblem("cannot read the file");
    return ParseWav(bytes);
}

} // namespace standin
