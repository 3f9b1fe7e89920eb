// A planted comctl32.dll, for tests only: the kind of file that may lie beside
// a setup.exe in a download folder. It exports what a program importing the
// common controls asks for, leaves a trace when it is loaded and registers no
// control class, so a page with a list view cannot be created.
// Built with REFUSES, it is a comctl32 whose InitCommonControlsEx fails, as
// version 5.82 does when asked for a class it does not know; it writes the
// classes it was asked for, in hex, into "<its path>.loaded".

#include <windows.h>

#include "Trace.h"

static HMODULE g_self;

// commctrl.h would declare these as imports.
extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const DWORD* controls)
{
#ifdef REFUSES
    char path[MAX_PATH + 8];
    DWORD got = GetModuleFileNameA(g_self, path, MAX_PATH);
    if (got == 0 || got >= MAX_PATH)
        return FALSE;
    lstrcatA(path, ".loaded");
    char text[16];
    wsprintfA(text, "%lx", controls[1]);   // INITCOMMONCONTROLSEX: size, classes
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
        CloseHandle(file);
    }
    return FALSE;
#else
    (void)controls;
    return TRUE;
#endif
}

extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = module;
        LeaveLoadTrace(module);
    }
    return TRUE;
}
