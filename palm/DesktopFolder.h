// Where Palm Desktop is installed, as recorded for the current Windows user.
#pragma once

#include <string>

// Returned instead of a folder when the lookup fails.
extern const char kDesktopNotFound[];

// The value read, as a customer would look it up in the registry editor.
extern const char kDesktopValueName[];

struct DesktopFolder {
    // The folder as the ANSI functions take it (its short name where the
    // code page cannot spell its own), or kDesktopNotFound; empty when the
    // folder has no name the code page spells.
    std::string path;
    // The folder as the registry names it, when it has no such name.
    std::wstring unspellable;
};

// The data of the value "DesktopPath" under the current user's Palm Desktop
// key, searched among the key's first 50 values; kDesktopNotFound otherwise.
// REG_EXPAND_SZ data comes with its %NAME% parts expanded; any other string
// data as it stands, and data of another type as the 8-bit text it holds.
DesktopFolder FindDesktopFolder();
