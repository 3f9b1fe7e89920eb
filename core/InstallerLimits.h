// Widths of the installer state's fixed fields and tables. They are the
// installer's limits: input beyond them is refused, never cut short.
#pragma once

#include <cstdint>

#include "core/PackageFiles.h"

const int kMaxUsers = 100;          // user table rows
const int kNameSlot = 50;           // one user name, terminator included
const int kCheckFlagSlots = 198;    // only the first kMaxUsers are used
const int kMaxFiles = 200;          // package list entries
const int kPathSlot = 200;          // one package path, terminator included
const int kLibraryPathSlot = 256;
// Palm Desktop's folder as the registry holds it, whatever it ends in: room
// for a separator and the library's name in the path field (242 characters).
const int kLongestDesktopFolder = kLibraryPathSlot - 1 - 1 - static_cast<int>(sizeof kInstallAidName - 1);
const int kCurrentFileSlot = 256;
const int kListLineSlot = 300;      // one read of a package list line, terminator included
const std::uint64_t kMaxNotesBytes = 1 << 20;   // a notes file larger than this is refused

typedef char NameSlot[kNameSlot];
typedef char PathSlot[kPathSlot];
