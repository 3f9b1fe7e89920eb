// Read-only access to the package folder, the same on Linux and Windows
// (names are 8-bit text; on Windows in the ANSI code page, as the installer
// sees them). Nothing here ever writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class EntryKind { Missing, File, Folder, Other };

struct EntryInfo {
    EntryKind kind;
    std::uint64_t size;
    std::string error;   // why it could not be looked at; empty otherwise
};

EntryInfo LookAt(const std::string& path);

// The names in a folder, "." and ".." left out; false with `error` set when
// the folder cannot be read.
bool ListFolder(const std::string& path, std::vector<std::string>* names, std::string* error);

// Up to `limit` bytes from the start of a file; false with `error` set when
// it cannot be opened or read.
bool ReadHead(const std::string& path, std::size_t limit, std::string* bytes, std::string* error);
