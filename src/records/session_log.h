// The session log: one line per call, appended to a Latin-1 text file in the temporary
// folder that lives as long as the dialog, unless the user saves it.
#pragma once

#include <functional>
#include <string>

class SessionLog
{
public:
    // Makes a unique empty file in the folder and returns its name, or "" on failure.
    using PlaceholderMaker = std::function<std::wstring(const std::wstring& folder)>;

    // Fixes the log path in the user's temporary folder and writes the three start lines.
    void Start();
    void Start(const std::wstring& folder, const PlaceholderMaker& makePlaceholder);

    // Opens, writes the line and CR LF, closes: each line is on disk when this returns.
    void AppendLine(const wchar_t* text) const;

    // Removes the log file; harmless when repeated.
    void Discard() const;

    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};
