// Where Palm Desktop is installed, as recorded for the current Windows user.
#pragma once

#include <string>

// Returned instead of a folder when the lookup fails.
extern const char kDesktopNotFound[];

// The value read, as a customer would look it up in the registry editor.
extern const char kDesktopValueName[];

// The data of the value "DesktopPath" under the current user's Palm Desktop
// key, searched among the key's first 50 values; kDesktopNotFound otherwise.
// REG_EXPAND_SZ data comes with its %NAME% parts expanded; any other data
// as it stands.
std::string FindDesktopFolder();
