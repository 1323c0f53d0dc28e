#include "staged_outputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_access.h"

namespace {

bool WriteWhole(const std::string& path, const std::string& text, std::string& why)
{
    std::FILE* file = OpenForWriting(path);
    if (!file) {
        why = std::strerror(errno);
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (!written)
        why = std::strerror(errno);
    if (std::fclose(file) != 0 && written) {
        why = std::strerror(errno);
        written = false;
    }
    return written;
}

} // namespace

bool WriteAllOrNothing(const std::vector<OutputFile>& files, std::string& message)
{
    std::vector<std::string> targets;
    for (const OutputFile& file : files) {
        targets.push_back(LinkTarget(file.path));
        if (!MayReplace(targets.back())) {
            message = file.path + ": cannot be written (it is read-only); no file was changed";
            return false;
        }
    }
    std::vector<std::string> staged;
    auto discard = [&] {
        for (const std::string& path : staged)
            RemoveFile(path);
    };
    for (size_t i = 0; i < files.size(); ++i) {
        std::string temporary = TemporaryBeside(targets[i]);
        staged.push_back(temporary);
        std::string why;
        if (!WriteWhole(temporary, files[i].text, why)) {
            discard();
            message = files[i].path + ": cannot be written (" + why + "); no file was changed";
            return false;
        }
        KeepPermissions(targets[i], temporary);
    }
    for (size_t i = 0; i < files.size(); ++i)
        if (!MoveInPlace(staged[i], targets[i])) {
            std::string why = std::strerror(errno);
            staged.erase(staged.begin(), staged.begin() + static_cast<long>(i));
            discard();
            message = files[i].path + ": cannot be replaced (" + why + ")";
            return false;
        }
    return true;
}
