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

// The file a path reaches once its links are followed (the path itself when it reaches none),
// so that replacing it replaces what the link names, not the link.
std::string LinkTarget(const std::string& path);

// A name beside path for writing its new content before it replaces the old.
std::string TemporaryBeside(const std::string& path);

// False for an existing file that may not be written (read-only): replacing it by another
// would go round what its owner asked.
bool MayReplace(const std::string& path);

// Gives to the permissions of from, when from exists, so that a file replaced keeps them.
void KeepPermissions(const std::string& from, const std::string& to);

// Moves from over to (replacing it) in one step; false when it cannot.
bool MoveInPlace(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
