// Widths of the installer state's fixed fields and tables. They are the
// installer's limits: input beyond them is refused, never cut short.
#pragma once

#include <cstdint>

typedef std::int32_t InstallMode;   // 1 = full installation, 0 = update
const InstallMode kModeUpdate = 0;
const InstallMode kModeInstall = 1;

const int kMaxUsers = 100;          // user table rows
const int kNameSlot = 50;           // one user name, terminator included
const int kCheckFlagSlots = 198;    // only the first kMaxUsers are used
const int kMaxFiles = 200;          // package list entries
const int kPathSlot = 200;          // one package path, terminator included
const int kLibraryPathSlot = 256;
const int kCurrentFileSlot = 256;
const int kListLineSlot = 300;      // one read of a package list line, terminator included
const std::uint64_t kMaxNotesBytes = 1 << 20;   // a notes file larger than this is refused

typedef char NameSlot[kNameSlot];
typedef char PathSlot[kPathSlot];
