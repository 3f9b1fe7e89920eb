// A DLL that must never be loaded says so by leaving "<its own path>.loaded"
// beside itself the moment it is mapped: a test only has to look for the file.
#pragma once

#include <windows.h>

inline void LeaveLoadTrace(HMODULE module)
{
    char path[MAX_PATH + 8];
    DWORD got = GetModuleFileNameA(module, path, MAX_PATH);
    if (got == 0 || got >= MAX_PATH)
        return;
    lstrcatA(path, ".loaded");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}
