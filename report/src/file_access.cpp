#include "file_access.h"

namespace {

// Where a path's last separator stands, or npos.
size_t LastSeparator(const std::string& path)
{
#ifdef _WIN32
    return path.find_last_of("/\\:");
#else
    return path.find_last_of('/');
#endif
}

// The folder and the entry of a path, split at its last separator.
std::string FolderPart(const std::string& path)
{
    size_t slash = LastSeparator(path);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string EntryPart(const std::string& path)
{
    size_t slash = LastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

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

struct Identity
{
    bool exists = false;
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
};

Identity IdentityOf(const std::string& path)
{
    Identity identity;
    // Backup semantics opens folders too; no access asked, so files in use open as well.
    HANDLE file =
        CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return identity;
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(file, &information)) {
        identity = {true, information.dwVolumeSerialNumber, information.nFileIndexHigh,
                    information.nFileIndexLow};
    }
    CloseHandle(file);
    return identity;
}

bool SameIdentity(const Identity& a, const Identity& b)
{
    return a.volume == b.volume && a.high == b.high && a.low == b.low;
}

bool SameEntryName(const std::string& a, const std::string& b)
{
    std::wstring wa = Wide(a);
    std::wstring wb = Wide(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
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

std::string LinkTarget(const std::string& path)
{
    return path;
}

std::string TemporaryBeside(const std::string& path)
{
    return path + ".tarvell-report-" + std::to_string(GetCurrentProcessId()) + ".tmp";
}

bool MayReplace(const std::string& path)
{
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

void KeepPermissions(const std::string&, const std::string&)
{
    // A new file takes its folder's permissions on Windows, as the old one did.
}

bool MoveInPlace(const std::string& from, const std::string& to)
{
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const std::string& path)
{
    DeleteFileW(Wide(path).c_str());
}

#else
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Identity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
};

Identity IdentityOf(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return {};
    return {true, status.st_dev, status.st_ino};
}

bool SameIdentity(const Identity& a, const Identity& b)
{
    return a.device == b.device && a.inode == b.inode;
}

bool SameEntryName(const std::string& a, const std::string& b)
{
    return a == b;
}

} // namespace

std::FILE* OpenForReading(const std::string& path)
{
    return std::fopen(path.c_str(), "rb");
}

std::FILE* OpenForWriting(const std::string& path)
{
    return std::fopen(path.c_str(), "wb");
}

std::string LinkTarget(const std::string& path)
{
    struct stat status;
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

std::string TemporaryBeside(const std::string& path)
{
    return path + ".tarvell-report-" + std::to_string(getpid()) + ".tmp";
}

bool MayReplace(const std::string& path)
{
    return access(path.c_str(), F_OK) != 0 || access(path.c_str(), W_OK) == 0;
}

void KeepPermissions(const std::string& from, const std::string& to)
{
    struct stat status;
    if (stat(from.c_str(), &status) == 0)
        chmod(to.c_str(), status.st_mode & 07777);
}

bool MoveInPlace(const std::string& from, const std::string& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::string& path)
{
    std::remove(path.c_str());
}

#endif

bool SameFile(const std::string& a, const std::string& b)
{
    Identity first = IdentityOf(a);
    Identity second = IdentityOf(b);
    if (first.exists || second.exists)
        return first.exists && second.exists && SameIdentity(first, second);
    std::string folderA = FolderPart(a);
    std::string folderB = FolderPart(b);
    // Neither exists: the same entry of the same folder (which may not exist either).
    if (!SameEntryName(EntryPart(a), EntryPart(b)))
        return false;
    if (folderA == a || folderB == b)
        return folderA == folderB;
    return SameFile(folderA, folderB);
}
