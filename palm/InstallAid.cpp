#include "palm/InstallAid.h"

#include "app/FixedText.h"
#include "app/InstallerState.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "palm/FolderPath.h"

namespace {

const char kLibraryName[] = "Instaide.dll";
// The folder as the registry holds it, whatever it ends in: room for a
// separator and the name in the path field (242 characters).
const std::size_t kLongestFolder = kLibraryPathSlot - 1 - 1 - (sizeof kLibraryName - 1);

void ReportLibraryProblem(const CWnd* owner, const std::string& what)
{
    std::string text = "Palm Desktop's install library cannot be used:\r\n\r\n" +
                       std::string(g_state.libraryPath) + "\r\n\r\n" + what +
                       "\r\n\r\nPlease reinstall Palm Desktop.";
    owner->MessageBox(text.c_str(), "Error", MB_OK | MB_ICONSTOP);
}

bool Load(const CWnd* owner)
{
    if (g_state.libraryPath[0] == '\0')
        return false;
    // Palm Desktop's library needs DLLs of its own folder, as Palm Desktop
    // finds them, when it loads and later as it runs; a DLL of the same name
    // beside the installer must not stand in.
    g_state.libraryHandle = AfxLoadLibraryFromFolder(g_state.libraryPath);
    if (!g_state.libraryHandle) {
        ReportLibraryProblem(owner, "It could not be loaded.");
        return false;
    }
    return true;
}

FARPROC Resolve(const CWnd* owner, const char* name)
{
    FARPROC entry = ::GetProcAddress(g_state.libraryHandle, name);
    if (!entry) {
        ReportLibraryProblem(owner, std::string("It has no entry point ") + name + ".");
        ReleaseInstallAid();
    }
    return entry;
}

// GetProcAddress hands back a generic pointer; the typedefs above are the
// library's real signatures.
template <class Fn>
Fn As(FARPROC entry)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(entry));
}

}  // namespace

bool BuildLibraryPath(const std::string& desktopFolder)
{
    if (desktopFolder.size() <= kLongestFolder &&
        CopyText(g_state.libraryPath, PathInFolder(desktopFolder, kLibraryName).c_str()))
        return true;
    g_state.libraryPath[0] = '\0';
    return false;
}

bool BindUserEntries(const CWnd* owner)
{
    if (!Load(owner))
        return false;
    FARPROC count = Resolve(owner, "PltGetUserCount");
    if (!count)
        return false;
    FARPROC user = Resolve(owner, "PltGetUser");
    if (!user)
        return false;
    g_state.getUserCountEntry = As<PltGetUserCountFn>(count);
    g_state.getUserEntry = As<PltGetUserFn>(user);
    return true;
}

bool BindInstallEntry(const CWnd* owner)
{
    if (!Load(owner))
        return false;
    FARPROC install = Resolve(owner, "PltInstallFile");
    if (!install)
        return false;
    g_state.installFileEntry = As<PltInstallFileFn>(install);
    return true;
}

void ReleaseInstallAid()
{
    if (g_state.libraryHandle)
        AfxFreeLibraryFromFolder(g_state.libraryHandle);
    g_state.libraryHandle = nullptr;
    g_state.getUserCountEntry = nullptr;
    g_state.getUserEntry = nullptr;
    g_state.installFileEntry = nullptr;
}
