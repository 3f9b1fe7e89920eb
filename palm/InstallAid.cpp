#include "palm/InstallAid.h"

#include "app/InstallerState.h"
#include "core/FixedText.h"
#include "core/FolderPath.h"
#include "core/Refusals.h"
#include "framework/SystemError.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

void ReportLibraryProblem(const CWnd* owner, LibraryProblem problem, const std::string& detail)
{
    owner->MessageBox(LibraryProblemText(g_state.libraryPath, problem, detail).c_str(), kErrorCaption,
                      MB_OK | MB_ICONSTOP);
}

// GetProcAddress hands back a generic pointer; the typedefs are the
// library's real signatures.
template <class Fn>
Fn As(FARPROC entry)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(entry));
}

}  // namespace

bool BuildLibraryPath(const std::string& desktopFolder)
{
    if (CopyText(g_state.libraryPath, PathInFolder(desktopFolder, kInstallAidName).c_str()))
        return true;
    g_state.libraryPath[0] = '\0';
    return false;
}

CInstallAid::~CInstallAid()
{
    Release();
}

CInstallAid::Binding CInstallAid::Load(const CWnd* owner)
{
    // Loading again would hand this scope the other's handle, and ending it
    // would free the library under the other's entry points.
    if (g_state.libraryHandle)
        return AnotherScopeOpen;
    if (g_state.libraryPath[0] == '\0')
        return Failed;
    // Palm Desktop's library needs DLLs of its own folder, as Palm Desktop
    // finds them, when it loads and later as it runs; a DLL of the same name
    // beside the installer must not stand in.
    g_state.libraryHandle = AfxLoadLibraryFromFolder(g_state.libraryPath);
    if (!g_state.libraryHandle) {
        DWORD error = ::GetLastError();
        ReportLibraryProblem(owner, LibraryProblem::NotLoaded, SystemReason(error, AfxSystemErrorText(error)));
        return Failed;
    }
    m_holds = true;
    return Bound;
}

// A library without the entry is let go at once: the step cannot run.
FARPROC CInstallAid::Resolve(const CWnd* owner, const char* name)
{
    FARPROC entry = ::GetProcAddress(g_state.libraryHandle, name);
    if (!entry) {
        ReportLibraryProblem(owner, LibraryProblem::NoEntryPoint, name);
        Release();
    }
    return entry;
}

void CInstallAid::Release()
{
    if (!m_holds)
        return;
    AfxFreeLibraryFromFolder(g_state.libraryHandle);
    m_holds = false;
    g_state.libraryHandle = nullptr;
    g_state.getUserCountEntry = nullptr;
    g_state.getUserEntry = nullptr;
    g_state.installFileEntry = nullptr;
}

CInstallAid::Binding CInstallAid::BindUserEntries(const CWnd* owner)
{
    Binding loaded = Load(owner);
    if (loaded != Bound)
        return loaded;
    FARPROC count = Resolve(owner, "PltGetUserCount");
    if (!count)
        return Failed;
    FARPROC user = Resolve(owner, "PltGetUser");
    if (!user)
        return Failed;
    g_state.getUserCountEntry = As<PltGetUserCountFn>(count);
    g_state.getUserEntry = As<PltGetUserFn>(user);
    return Bound;
}

CInstallAid::Binding CInstallAid::BindInstallEntry(const CWnd* owner)
{
    Binding loaded = Load(owner);
    if (loaded != Bound)
        return loaded;
    FARPROC install = Resolve(owner, "PltInstallFile");
    if (!install)
        return Failed;
    g_state.installFileEntry = As<PltInstallFileFn>(install);
    return Bound;
}

int CInstallAid::GetUserCount() const
{
    return g_state.getUserCountEntry();
}

int CInstallAid::GetUser(unsigned int index, char* name, short* size) const
{
    return g_state.getUserEntry(index, name, size);
}

int CInstallAid::InstallFile(char* user, char* path) const
{
    return g_state.installFileEntry(user, path);
}
