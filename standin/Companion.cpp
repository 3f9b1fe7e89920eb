// A DLL of Palm Desktop's own folder that its install-aid library needs, for
// tests only. Built twice: the real one, which the Instaide-companion variant
// imports, and with PLANTED a same-named one that leaves a trace when loaded,
// to lie beside setup.exe or in its current directory.

#include <windows.h>

#include "Trace.h"

// 1 from the real companion, 0 from the planted one.
extern "C" __declspec(dllexport) int CompanionReady()
{
#ifdef PLANTED
    return 0;
#else
    return 1;
#endif
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
#ifdef PLANTED
    if (reason == DLL_PROCESS_ATTACH)
        LeaveLoadTrace(module);
#else
    (void)module;
    (void)reason;
#endif
    return TRUE;
}
