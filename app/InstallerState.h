// The one process-wide record through which the pages hand data to each other;
// docs/design.md says who writes and who reads each part, and when. Fixed
// fields start zero-filled and are written only through core/FixedText.h.
#pragma once

#include <windows.h>

#include <string>

#include "core/InstallerLimits.h"
#include "palm/InstallAid.h"

struct InstallerState {
    std::string baseFolder;                 // always ends with a backslash
    InstallMode installMode;                // 0 until the mode page opens
    std::string desktopFolder;              // Palm Desktop's folder, from the registry, or kDesktopNotFound
    std::wstring desktopUnspellable;        // that folder, when the ANSI code page cannot name it
    char libraryPath[kLibraryPathSlot];     // full path of the install-aid library
    std::int32_t userCount;
    NameSlot userNames[kMaxUsers];          // after ordering, slot i is row i
    NameSlot foldedNames[kMaxUsers];        // ordering keys
    std::int32_t nameLengths[kMaxUsers];
    std::int32_t longestName;
    std::int32_t listedCount;               // rows in the user list
    std::int32_t checkFlags[kCheckFlagSlots];
    NameSlot chosenUser;                    // a whole user name, as the list can show it
    PathSlot fileList[kMaxFiles];
    std::int32_t fileCount;
    char currentFile[kCurrentFileSlot];

private:
    // Set and cleared by the library's scope alone (CInstallAid), for the
    // length of one step.
    friend class CInstallAid;
    HMODULE libraryHandle;
    PltGetUserCountFn getUserCountEntry;
    PltGetUserFn getUserEntry;
    PltInstallFileFn installFileEntry;
};

extern InstallerState g_state;
