#include "file_access.h"

#ifdef _WIN32
#include <windows.h>

namespace {

std::wstring Wide(const std::string& text)
{
    int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

} // namespace

std::FILE* OpenForReading(const std::string& path)
{
    return _wfopen(Wide(path).c_str(), L"rb");
}

std::FILE* OpenForWriting(const std::string& path)
{
    return _wfopen(Wide(path).c_str(), L"wb");
}

#else

std::FILE* OpenForReading(const std::string& path)
{
    return std::fopen(path.c_str(), "rb");
}

std::FILE* OpenForWriting(const std::string& path)
{
    return std::fopen(path.c_str(), "wb");
}

#endif
