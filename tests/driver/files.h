// File helpers for tests: whole-file reads and writes, and scratch folders.
#pragma once

#include <string>
#include <vector>

namespace testfiles {

bool Exists(const std::wstring& path);
std::string Read(const std::wstring& path);
void Write(const std::wstring& path, const std::string& bytes);
// The system's temporary folder, ending with a backslash.
std::wstring TempFolder();
// Names of the files (not folders) in a folder.
std::vector<std::wstring> List(const std::wstring& folder);
// Splits CR LF terminated lines; a missing final CR LF keeps the remainder as a last line.
std::vector<std::string> Lines(const std::string& bytes);

// A folder of the test's own under the temporary folder, removed with its files at the end.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Ends with a backslash.
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const wchar_t* name) const { return path_ + name; }

private:
    std::wstring path_;
};

} // namespace testfiles
