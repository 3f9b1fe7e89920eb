// Where Palm Desktop is installed, as recorded for the current Windows user.
#pragma once

#include <string>

// Returned instead of a folder when the lookup fails.
extern const char kDesktopNotFound[];

// The data of the value "DesktopPath" under the current user's Palm Desktop
// key, searched among the key's first 50 values; kDesktopNotFound otherwise.
std::string FindDesktopFolder();
