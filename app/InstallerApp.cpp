#include "app/InstallerApp.h"

#include <commctrl.h>

#include <vector>

#include "app/InstallerState.h"
#include "core/BaseFolder.h"
#include "core/Refusals.h"
#include "framework/AnsiPath.h"
#include "framework/Runtime.h"
#include "framework/SystemError.h"
#include "pages/DisclaimerDlg.h"
#include "pages/FinishDlg.h"
#include "pages/ModeDlg.h"
#include "pages/UserDlg.h"
#include "res/resource.h"

CInstallerApp theApp;

namespace {

// The current directory however long it is; empty if it cannot be read.
std::wstring CurrentDirectory()
{
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    while (size > 0) {
        std::vector<wchar_t> buffer(size, L'\0');
        DWORD got = ::GetCurrentDirectoryW(size, buffer.data());
        if (got < size)
            return std::wstring(buffer.data(), got);
        size = got;   // it grew in between
    }
    return std::wstring();
}

typedef BOOL(WINAPI* InitCommonControlsExFn)(const INITCOMMONCONTROLSEX* controls);

std::string DescribeError(DWORD error)
{
    return SystemReason(error, AfxSystemErrorText(error));
}

// No page exists when these are shown (the last one has closed, the next one
// never opened), so the box has no owner and stands in the taskbar itself.
void ReportStop(const std::string& text)
{
    ::MessageBoxA(nullptr, text.c_str(), kErrorCaption, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

void ReportStop(const std::wstring& text)
{
    ::MessageBoxW(nullptr, text.c_str(), kErrorCaptionW, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
}

const WORD kBannerArt[] = {IDB_BANNER, IDB_BANNER_750, IDB_BANNER_1000};
const AFX_BANNER kBanner = {
    {BANNER_LEFT, BANNER_TOP, BANNER_LEFT + BANNER_WIDTH, BANNER_TOP + BANNER_HEIGHT}, kBannerArt, 3};

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    DWORD got = ::GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, got < MAX_PATH ? got : 0);
}

// Readies the user page's list view. `themed` is the Common Controls 6
// loaded at start, or null: the system folder's comctl32 is then loaded by
// full path, as comctl32 is not one of the DLLs Windows always takes from
// there (an import of it would be resolved from the program's folder first).
// It is loaded only now, as only the list needs it.
bool LoadCommonControls(HMODULE themed)
{
    std::string path = themed ? ModulePath(themed) : AfxSystemFilePath("comctl32.dll");
    HMODULE library = themed ? themed : path.empty() ? nullptr : AfxLoadLibraryByPath(path.c_str());
    FARPROC entry = library ? ::GetProcAddress(library, "InitCommonControlsEx") : nullptr;
    if (!entry) {
        ReportStop(ControlsFailureText(path, DescribeError(::GetLastError())));
        return false;
    }
    // The list view's class must be registered before the user page is
    // created. The standard classes are known to version 6 alone: the
    // system folder's version 5.82 refuses the whole call when asked for them.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    if (themed)
        controls.dwICC |= ICC_STANDARD_CLASSES;
    if (!reinterpret_cast<InitCommonControlsExFn>(reinterpret_cast<void*>(entry))(&controls)) {
        ReportStop(ControlsFailureText(path, kControlsRefused));
        return false;
    }
    return true;
}

// Runs one page. A page that cannot be shown was never confirmed: the user
// hears why and the run ends there.
bool Confirmed(CDialog& page, const char* name, bool filesQueued = false)
{
    INT_PTR result = page.DoModal();
    if (result == -1)
        ReportStop(PageFailureText(name, DescribeError(page.CreateError()), filesQueued));
    return result == IDOK;
}

}  // namespace

// Derived from the Unicode command line: the ANSI one has a '?' for each
// letter the code page lacks, and names no folder then.
AnsiFolder GetBaseFolder(std::wstring* folder)
{
    *folder = DeriveBaseFolder(::GetCommandLineW(), CurrentDirectory());
    return AfxAnsiFolder(*folder);
}

// The words the framework shows are the wording module's; the runtime's from
// the start, as memory can run out before the first page.
CInstallerApp::CInstallerApp()
{
    AfxSetRuntimeTexts({kErrorCaption, kOutOfMemoryText, kUnexpectedText});
    m_pszFileErrorCaption = kFileErrorCaption;
    m_pfnFileErrorText = FileErrorText;
}

BOOL CInstallerApp::InitInstance()
{
    std::wstring folder;
    AnsiFolder base = GetBaseFolder(&folder);
    if (base.spelling == AnsiSpelling::None) {
        ReportStop(UnspellableBaseFolderText(folder));
        return FALSE;
    }
    g_state.baseFolder = base.path;
    m_pBanner = &kBanner;
    m_pszAppName = APP_TITLE;
    // Themed pages wherever the system has the Common Controls 6; the plain
    // controls of the system otherwise, until the user page needs the list.
    HMODULE themed = AfxLoadThemedControls(m_hInstance, MAKEINTRESOURCEW(IDR_CONTROLS_MANIFEST));

    CDisclaimerDlg disclaimer;
    CModeDlg mode;
    CUserDlg users;
    CFinishDlg finish;

    if (!Confirmed(disclaimer, "disclaimer"))
        return FALSE;
    if (!Confirmed(mode, "Install or Update"))
        return FALSE;
    if (!LoadCommonControls(themed))
        return FALSE;
    // Confirming the user page is what queues the files.
    if (!Confirmed(users, "HotSync user"))
        return FALSE;
    Confirmed(finish, "closing", true);
    return FALSE;
}
