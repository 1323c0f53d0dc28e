#include "log_labels.h"

#include <algorithm>

#include "text_encoding.h"

namespace {

// The parts of a path from its last, without empty ones and ".".
std::vector<std::string> PartsFromLast(const std::string& path)
{
    std::vector<std::string> parts;
    size_t end = path.size();
    while (end > 0) {
        size_t slash = path.find_last_of("/\\", end - 1);
        size_t start = slash == std::string::npos ? 0 : slash + 1;
        std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        if (slash == std::string::npos)
            break;
        end = slash;
    }
    return parts;
}

std::string LastParts(const std::vector<std::string>& parts, size_t count)
{
    std::string label;
    for (size_t i = std::min(count, parts.size()); i > 0; --i)
        label += parts[i - 1] + (i > 1 ? "/" : "");
    return label;
}

} // namespace

LogLabels LabelsOf(const std::vector<std::string>& logs, const std::vector<std::string>& given)
{
    LogLabels result;
    std::vector<std::vector<std::string>> parts(logs.size());
    std::vector<size_t> depth(logs.size(), 1);
    for (size_t i = 0; i < logs.size(); ++i) {
        parts[i] = PartsFromLast(logs[i]);
        result.labels.push_back(AsUtf8(i < given.size() ? given[i] : LastParts(parts[i], 1)));
    }
    auto shared = [&](size_t i) {
        return std::count(result.labels.begin(), result.labels.end(), result.labels[i]) > 1;
    };
    // Each named-by-file log that shares its label takes one more folder, until none shares
    // or the paths run out.
    for (bool grew = true; grew;) {
        grew = false;
        std::vector<size_t> growing;
        for (size_t i = given.size(); i < logs.size(); ++i)
            if (shared(i) && depth[i] < parts[i].size())
                growing.push_back(i);
        for (size_t i : growing) {
            result.labels[i] = AsUtf8(LastParts(parts[i], ++depth[i]));
            grew = true;
        }
    }
    // The same path twice: numbered in order.
    for (size_t i = given.size(); i < logs.size(); ++i) {
        std::string label = result.labels[i];
        size_t seen = static_cast<size_t>(
            std::count(result.labels.begin(), result.labels.begin() + static_cast<long>(i), label));
        if (seen > 0)
            result.labels[i] = label + " (" + std::to_string(seen + 1) + ")";
    }
    for (size_t i = given.size(); i < logs.size(); ++i)
        if (result.labels[i] != AsUtf8(LastParts(parts[i], 1)))
            result.notes.push_back(AsUtf8(logs[i]) + " is labelled \"" + result.labels[i] +
                                   "\": another log has the same file name");
    return result;
}
