// A planted comctl32.dll, for tests only: the kind of file that may lie beside
// a setup.exe in a download folder. It exports what a program importing the
// common controls asks for, leaves a trace when it is loaded and registers no
// control class, so a page with a list view cannot be created.

#include <windows.h>

#include "Trace.h"

// commctrl.h would declare these as imports; the argument is not looked at.
extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void*)
{
    return TRUE;
}

extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveLoadTrace(module);
    return TRUE;
}
