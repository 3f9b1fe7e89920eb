// The one application object. The program's entry point hands control to its
// InitInstance; the process ends when that returns, without a message loop of
// its own (every page runs its own modal loop).
#pragma once

#include <windows.h>

#include <string>

#include "framework/Visuals.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() = 0;

    HINSTANCE m_hInstance = nullptr;
    // Every page's banner, fitted to the page as it opens; none when null.
    const AFX_BANNER* m_pBanner = nullptr;
};

CWinApp* AfxGetApp();

// Takes the program's folder and the current directory out of the search for
// DLLs loaded at run time, as far as the system allows. The entry point calls
// it before anything else.
void AfxRestrictDllSearch();

// Loads a DLL named by its full path so that the DLLs it needs in turn come
// from its own folder first, then the system folder: never from the program's
// folder or the current directory. Null (with the last error set) on failure.
HMODULE AfxLoadLibraryFromFolder(const char* path);

// Full path of `name` ("comctl32.dll") in the system folder; empty when the
// system folder cannot be read.
std::string AfxSystemFilePath(const char* name);
