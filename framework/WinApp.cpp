#include "framework/WinApp.h"

#include <cstring>
#include <vector>

namespace {

CWinApp* g_app = nullptr;

// Windows 8 and later, and Windows 7 / Vista with KB2533623: absent on XP, so
// looked up at run time rather than imported.
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD flags);
typedef void*(WINAPI* AddDllDirectoryFn)(PCWSTR folder);
typedef BOOL(WINAPI* RemoveDllDirectoryFn)(void* cookie);

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#endif
#ifndef LOAD_LIBRARY_SEARCH_USER_DIRS
#define LOAD_LIBRARY_SEARCH_USER_DIRS 0x00000400
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// Set once at start: whether LoadLibraryEx takes the LOAD_LIBRARY_SEARCH_*
// flags, and the calls that add a folder to the process's search.
bool g_searchFlags = false;
AddDllDirectoryFn g_addDllDirectory = nullptr;
RemoveDllDirectoryFn g_removeDllDirectory = nullptr;

// The folder of the one library held with AfxLoadLibraryFromFolder, while
// it is searched: its cookie where the system has AddDllDirectory, otherwise
// whether SetDllDirectory names it.
void* g_folderCookie = nullptr;
bool g_folderSet = false;

// Ends the search of the held library's folder; the error code stays.
void EndFolderSearch()
{
    DWORD error = ::GetLastError();
    if (g_folderCookie)
        g_removeDllDirectory(g_folderCookie);
    if (g_folderSet)
        ::SetDllDirectoryA("");
    g_folderCookie = nullptr;
    g_folderSet = false;
    ::SetLastError(error);
}

template <class Fn>
Fn Entry(HMODULE module, const char* name)
{
    FARPROC entry = module ? ::GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(entry));
}

}  // namespace

HMODULE AfxLoadLibraryByPath(const char* path)
{
    // The altered search order puts the DLL's folder where the program's
    // folder would be; the current directory is already out of it.
    DWORD flags = g_searchFlags ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32
                                : LOAD_WITH_ALTERED_SEARCH_PATH;
    return ::LoadLibraryExA(path, nullptr, flags);
}

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
    // LoadLibraryEx the search flags and brings AddDllDirectory, so the one
    // lookup answers all three. The default search is then the system folder
    // and the folders added while a library that needs them is held.
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    auto setDefault = Entry<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
    auto add = Entry<AddDllDirectoryFn>(kernel, "AddDllDirectory");
    auto remove = Entry<RemoveDllDirectoryFn>(kernel, "RemoveDllDirectory");
    if (setDefault && add && remove &&
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS)) {
        g_searchFlags = true;
        g_addDllDirectory = add;
        g_removeDllDirectory = remove;
    }
    // Everywhere from XP SP1 on: takes the current directory out of the
    // standard search order. The program's own folder stays in it on systems
    // without the call above, which is why nothing is ever loaded by bare
    // name, and why the system DLLs others load by bare name are loaded here
    // first, from the system folder.
    ::SetDllDirectoryA("");
    for (const char* name : kAfxPreloadedDlls) {
        std::string path = AfxSystemFilePath(name);
        if (path.empty())
            continue;
        // Held until the process ends, like every system DLL it loads.
        // cppcheck-suppress leakReturnValNotUsed
        (void)AfxLoadLibraryByPath(path.c_str());
    }
}

HMODULE AfxLoadLibraryFromFolder(const char* path)
{
    if (g_folderCookie || g_folderSet) {
        ::SetLastError(ERROR_BUSY);   // one such library at a time
        return nullptr;
    }
    const char* slash = std::strrchr(path, '\\');
    std::string folder(path, slash ? static_cast<std::size_t>(slash - path) : 0);
    if (g_searchFlags) {
        // Names are the system's 8-bit text; the call takes UTF-16.
        int length = ::MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
        if (length > 0 && ::MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide.data(), length) > 0)
            g_folderCookie = g_addDllDirectory(wide.data());
    } else {
        // XP and systems without the update: the folder takes the place the
        // empty name held, after the program's folder; still not the
        // current directory.
        g_folderSet = ::SetDllDirectoryA(folder.c_str()) != FALSE;
    }
    HMODULE library = AfxLoadLibraryByPath(path);
    if (!library)
        EndFolderSearch();
    return library;
}

void AfxFreeLibraryFromFolder(HMODULE library)
{
    if (library)
        ::FreeLibrary(library);
    EndFolderSearch();
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
