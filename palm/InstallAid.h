// Binding of Palm Desktop's install-aid library, Instaide.dll, loaded at run
// time from the Palm Desktop folder and held only for the length of one step.
#pragma once

#include <windows.h>

#include <string>

// The library's entry points are stdcall: a cdecl call would leave the
// 32-bit stack unbalanced.
typedef int(WINAPI* PltGetUserCountFn)();
typedef int(WINAPI* PltGetUserFn)(unsigned int index, char* name, short* size);
typedef int(WINAPI* PltInstallFileFn)(char* user, char* path);

class CWnd;

// Builds the library path from the Desktop folder into the installer state,
// one separator between them; false (and an empty path) for a folder over
// 242 characters, which a separator and the name would not fit beside.
bool BuildLibraryPath(const std::string& desktopFolder);

// Load the library by its path and resolve the entries one step needs. On
// failure a message box owned by `owner` names the library, nothing is held
// and no entry is set.
bool BindUserEntries(const CWnd* owner);
bool BindInstallEntry(const CWnd* owner);

// Releases the library and forgets every entry resolved from it.
void ReleaseInstallAid();
