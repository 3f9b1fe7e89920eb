// Read-only access to the package folder, the same on Linux and Windows:
// paths and names are UTF-8 on both (Windows' own Unicode names, not their
// ANSI forms, which lose what the system's code page cannot spell). Nothing
// here ever writes.
#pragma once

#include <cstdint>
#include <cstdio>
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

// The file opened for reading in binary; null when it cannot be.
std::FILE* OpenRead(const std::string& path);
