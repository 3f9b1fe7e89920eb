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
    // The program's name, set by the application before its first page: the
    // window text of every page whose template has none.
    const char* m_pszAppName = nullptr;
    // Every page's banner, fitted to the page as it opens; none when null.
    const AFX_BANNER* m_pBanner = nullptr;
    // The file-error box (ReportFileError), worded by the application before
    // its first page: the caption, and the text for `path`, the system's
    // `error` and its `description`, with `notFoundHint` where it fits.
    const char* m_pszFileErrorCaption = nullptr;
    std::string (*m_pfnFileErrorText)(const std::string& path, unsigned long error, const std::string& description,
                                      const std::string& notFoundHint) = nullptr;
};

CWinApp* AfxGetApp();

// System DLLs that Windows' own code loads by bare name after start-up: the
// theme library the Common Controls 6 load to draw, and what it loads in
// turn: the alpha blending (seen in Wine's load trace of the pages) and, on
// Vista and later, the window manager's. Where the system lacks
// SetDefaultDllDirectories those searches start in the program's folder,
// where a look-alike may lie: loaded first from the system folder, the loaded
// module answers them. One the system lacks (dwmapi on XP) is passed over:
// nothing can load it by name either. What loads while the process starts
// (user32's input method library) comes before any of our code.
const char* const kAfxPreloadedDlls[] = {"uxtheme.dll", "dwmapi.dll", "msimg32.dll"};

// Takes the program's folder and the current directory out of the search for
// DLLs loaded at run time, as far as the system allows, and loads from the
// system folder the system DLLs that others load later by bare name. The
// entry point calls it before anything else.
void AfxRestrictDllSearch();

// Loads a DLL named by its full path so that the DLLs it needs in turn come
// from its own folder first, then the system folder: never from the program's
// folder or the current directory. Null (with the last error set) on failure.
HMODULE AfxLoadLibraryByPath(const char* path);

// The same for a library that loads DLLs of its own folder by bare name
// later, as it runs: until AfxFreeLibraryFromFolder releases it, that folder
// is searched too (after the program's own folder on systems without
// AddDllDirectory). One such library at a time.
HMODULE AfxLoadLibraryFromFolder(const char* path);
void AfxFreeLibraryFromFolder(HMODULE library);

// Full path of `name` ("comctl32.dll") in the system folder; empty when the
// system folder cannot be read.
std::string AfxSystemFilePath(const char* name);
