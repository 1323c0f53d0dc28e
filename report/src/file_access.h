// Opening files by UTF-8 names on both systems: Windows takes them as UTF-16.
#pragma once

#include <cstdio>
#include <string>

std::FILE* OpenForReading(const std::string& path);
std::FILE* OpenForWriting(const std::string& path);
