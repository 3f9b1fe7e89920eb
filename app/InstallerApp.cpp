#include "app/InstallerApp.h"

#include <commctrl.h>

#include <vector>

#include "app/BaseFolder.h"
#include "app/InstallerState.h"
#include "pages/DisclaimerDlg.h"
#include "pages/FinishDlg.h"
#include "pages/ModeDlg.h"
#include "pages/UserDlg.h"

CInstallerApp theApp;

namespace {

// The current directory however long it is; empty if it cannot be read.
std::string CurrentDirectory()
{
    DWORD size = ::GetCurrentDirectoryA(0, nullptr);
    while (size > 0) {
        std::vector<char> buffer(size, '\0');
        DWORD got = ::GetCurrentDirectoryA(size, buffer.data());
        if (got < size)
            return std::string(buffer.data(), got);
        size = got;   // it grew in between
    }
    return std::string();
}

}  // namespace

std::string GetBaseFolder()
{
    return DeriveBaseFolder(::GetCommandLineA(), CurrentDirectory());
}

BOOL CInstallerApp::InitInstance()
{
    // The pages' list view needs the common controls registered first.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    g_state.baseFolder = GetBaseFolder();

    CDisclaimerDlg disclaimer;
    CModeDlg mode;
    CUserDlg users;
    CFinishDlg finish;

    // A page that could not be created counts as confirmed.
    if (disclaimer.DoModal() == IDCANCEL)
        return FALSE;
    if (mode.DoModal() == IDCANCEL)
        return FALSE;
    if (users.DoModal() == IDCANCEL)
        return FALSE;
    finish.DoModal();
    return FALSE;
}
