#include "framework/WinApp.h"

#include <vector>

namespace {

CWinApp* g_app = nullptr;

// Windows 8 and later, and Windows 7 / Vista with KB2533623: absent on XP, so
// looked up at run time rather than imported.
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD flags);

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// Set once at start: whether LoadLibraryEx takes the LOAD_LIBRARY_SEARCH_* flags.
bool g_searchFlags = false;

}  // namespace

CWinApp::CWinApp()
{
    g_app = this;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

void AfxRestrictDllSearch()
{
    // The update that brings SetDefaultDllDirectories also teaches
    // LoadLibraryEx the search flags, so the one lookup answers both.
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    FARPROC entry = kernel ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (entry) {
        auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(entry));
        g_searchFlags = setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
    }
    // Everywhere from XP SP1 on: takes the current directory out of the
    // standard search order. The program's own folder stays in it on systems
    // without the call above, which is why nothing is ever loaded by bare name.
    ::SetDllDirectoryA("");
}

HMODULE AfxLoadLibraryFromFolder(const char* path)
{
    // The altered search order puts the DLL's folder where the program's
    // folder would be; the current directory is already out of it.
    DWORD flags = g_searchFlags ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                                : LOAD_WITH_ALTERED_SEARCH_PATH;
    return ::LoadLibraryExA(path, nullptr, flags);
}

std::string AfxSystemFilePath(const char* name)
{
    UINT size = ::GetSystemDirectoryA(nullptr, 0);
    if (size == 0)
        return std::string();
    std::vector<char> folder(size, '\0');
    UINT got = ::GetSystemDirectoryA(folder.data(), size);
    if (got == 0 || got >= size)
        return std::string();
    // A system folder at a drive root ends in a backslash already.
    std::string path(folder.data(), got);
    if (path.back() != '\\')
        path += '\\';
    return path + name;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    AfxRestrictDllSearch();
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = instance;
    // InitInstance returns false when it has done all the work there is.
    app->InitInstance();
    return 0;
}
