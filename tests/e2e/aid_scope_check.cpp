// Palm Desktop's library is held by one scope at a time: a scope bound while
// another holds it must load nothing and say so, and its end must leave the
// other's hold and entry points as they were. Run under Wine with the
// stand-in library's path; prints "N passed, N failed".
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/InstallerState.h"
#include "core/FixedText.h"
#include "framework/Wnd.h"
#include "palm/InstallAid.h"

namespace {

int g_passed = 0, g_failed = 0;

void Check(bool ok, const char* what)
{
    ++(ok ? g_passed : g_failed);
    if (!ok)
        std::printf("FAILED: %s\n", what);
}

bool Loaded(const char* path)
{
    return ::GetModuleHandleA(path) != nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    // The stand-in in a folder of its own, with two users. Wine hands out the
    // same process ids again in the same prefix: a folder an earlier run of
    // this id left (killed before it removed it) is taken over.
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "aid-scope-" + std::to_string(::GetCurrentProcessId());
    std::string library = folder + "\\Instaide.dll";
    bool made = ::CreateDirectoryA(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (argc < 2 || !made || !::CopyFileA(argv[1], library.c_str(), FALSE)) {
        std::printf("usage: aid-scope-check <Instaide.dll>: cannot lay it out in %s\n", folder.c_str());
        return 2;
    }
    HANDLE users = ::CreateFileA((folder + "\\users.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(users, "Alice\nBob\n", 10, &written, nullptr);
    ::CloseHandle(users);
    CopyText(g_state.libraryPath, library.c_str());

    CWnd owner;   // no page: a box would have no owner, and none may come
    {
        CInstallAid outer;
        Check(outer.BindUserEntries(&owner) == CInstallAid::Bound, "the first scope binds");
        {
            CInstallAid inner;
            Check(inner.BindInstallEntry(&owner) == CInstallAid::AnotherScopeOpen, "a second scope is refused");
            Check(inner.BindUserEntries(&owner) == CInstallAid::AnotherScopeOpen, "and refused again");
        }
        Check(Loaded(library.c_str()), "the second scope's end leaves the library loaded");
        Check(outer.GetUserCount() == 2, "the first scope still calls the library");
    }
    Check(!Loaded(library.c_str()), "the first scope's end releases it");
    {
        CInstallAid again;
        Check(again.BindInstallEntry(&owner) == CInstallAid::Bound, "a scope binds once none is open");
    }
    Check(!Loaded(library.c_str()), "and releases it");

    for (const char* name : {"Instaide.dll", "users.txt", "calls.log"})
        ::DeleteFileA((folder + "\\" + name).c_str());
    ::RemoveDirectoryA(folder.c_str());

    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
