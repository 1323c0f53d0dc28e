#include "files.h"

#include <windows.h>

namespace testfiles {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Read(const std::wstring& path)
{
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void Write(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring TempFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return temp;
}

std::vector<std::wstring> List(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    std::wstring pattern = folder;
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((pattern + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

ScratchFolder::ScratchFolder()
{
    static int counter = 0;
    path_ = TempFolder() + L"tarvell-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++) + L"\\";
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    for (const std::wstring& name : List(path_))
        DeleteFileW((path_ + name).c_str());
    RemoveDirectoryW(path_.c_str());
}

} // namespace testfiles
