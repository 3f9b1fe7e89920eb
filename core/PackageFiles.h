// The package's files and what the installation mode means: one list of
// files and one file of release notes for each mode, beside setup.exe.
#pragma once

#include <cstdint>

// As the installer state holds it. Any value but kModeUpdate installs in full.
typedef std::int32_t InstallMode;
const InstallMode kModeUpdate = 0;
const InstallMode kModeInstall = 1;

struct PackageMode {
    InstallMode mode;
    const char* name;    // as the mode page's button and the guide name it
    const char* list;    // the package list: one file name per line
    const char* notes;   // the release notes the mode page shows
};

// In the order of the mode page's radio buttons: choice 0, the default, is a
// full installation.
inline constexpr PackageMode kPackageModes[] = {
    {kModeInstall, "Install", "install.cfg", "install.tms"},
    {kModeUpdate, "Update", "update.cfg", "update.tms"},
};

inline const PackageMode& PackageModeOf(InstallMode mode)
{
    return mode == kModeUpdate ? kPackageModes[1] : kPackageModes[0];
}

// The mode page's choice (its radio index) as a mode: the first button is a
// full installation, any other answer an update.
inline const PackageMode& PackageModeOfChoice(int choice)
{
    return choice == 0 ? kPackageModes[0] : kPackageModes[1];
}

// The notes are the maker's own Thai text, written in the Thai code page like
// everything it ships: they read the same whatever code page the customer's
// Windows gives programs that are not Unicode.
const unsigned int kNotesCodePage = 874;

// Palm Desktop's install-aid library, in Palm Desktop's folder.
inline constexpr char kInstallAidName[] = "Instaide.dll";
