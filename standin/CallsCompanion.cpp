// Linked into the variants of the library that need Companion.dll of their
// own folder at each call, not when they load, as a real Palm Desktop's may:
// with CALLS_COMPANION_BY_NAME it is loaded by its bare name and released
// again; otherwise it is a delay-loaded import, which the runtime's helper
// loads by its bare name at the first call.

#include <windows.h>

#ifdef CALLS_COMPANION_BY_NAME

bool CompanionWorks()
{
    HMODULE companion = LoadLibraryA("Companion.dll");
    typedef int (*ReadyFn)();
    FARPROC entry = companion ? GetProcAddress(companion, "CompanionReady") : nullptr;
    // The planted look-alike answers 0.
    bool works = entry && reinterpret_cast<ReadyFn>(reinterpret_cast<void*>(entry))() == 1;
    if (companion)
        FreeLibrary(companion);
    return works;
}

#else

extern "C" __declspec(dllimport) int CompanionReady();

bool CompanionWorks()
{
    return CompanionReady() == 1;
}

#endif
