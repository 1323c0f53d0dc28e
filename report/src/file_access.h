// Files by UTF-8 names on both systems (Windows takes them as UTF-16): opening, telling whether
// two names reach one file, and putting a finished file in place of another.
#pragma once

#include <cstdio>
#include <string>

std::FILE* OpenForReading(const std::string& path);
std::FILE* OpenForWriting(const std::string& path);

// Whether two paths reach the same file, however spelt (links, "./", another case on Windows).
// A path that does not exist yet reaches the same file as another only when both name the
// same entry of the same folder.
bool SameFile(const std::string& a, const std::string& b);

// A name beside path for writing its new content before it replaces the old.
std::string TemporaryBeside(const std::string& path);

// Moves from over to (replacing it) in one step; false when it cannot.
bool MoveInPlace(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
