// Palm Desktop's install-aid library, Instaide.dll, loaded at run time from
// the Palm Desktop folder and held only for the length of one step: the
// step's scope. Its entry points are reached through the scope alone.
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
// one separator between them; false (and an empty path) when it does not fit
// the field (JudgeDesktopFolder refuses such a folder first).
bool BuildLibraryPath(const std::string& desktopFolder);

// One step's hold on the library. Binding loads it and fills the installer
// state's handle and the step's entry points; the end of the scope releases
// the library and clears them. One scope at a time: a scope bound while
// another holds the library loads nothing, shows nothing and answers
// AnotherScopeOpen, and its end leaves the other's hold as it is.
class CInstallAid {
public:
    enum Binding { Bound, Failed, AnotherScopeOpen };

    CInstallAid() = default;
    ~CInstallAid();
    CInstallAid(const CInstallAid&) = delete;
    CInstallAid& operator=(const CInstallAid&) = delete;

    // Load the library by its path and resolve the entries one step needs.
    // On failure a message box owned by `owner` names the library, nothing
    // is held and no entry is set.
    Binding BindUserEntries(const CWnd* owner);
    Binding BindInstallEntry(const CWnd* owner);

    // Only after the step's Bind answered Bound.
    int GetUserCount() const;
    int GetUser(unsigned int index, char* name, short* size) const;
    int InstallFile(char* user, char* path) const;

private:
    Binding Load(const CWnd* owner);
    FARPROC Resolve(const CWnd* owner, const char* name);
    void Release();

    bool m_holds = false;   // this scope loaded the library in the state
};
