// The installer's own folder, derived from its command line.
#pragma once

#include <string>

// The folder that holds the program named at the start of `commandLine`,
// with a trailing backslash. When the program path yields no folder (no dot,
// or no backslash before the last dot) the base folder is `currentDirectory`
// followed by a backslash. Arguments after the program path are not read.
std::string DeriveBaseFolder(const char* commandLine, const std::string& currentDirectory);
// The same rules over the Unicode command line, which names every folder.
std::wstring DeriveBaseFolder(const wchar_t* commandLine, const std::wstring& currentDirectory);
