// The little the programs ask of the C++ runtime, supplied here so that its
// exception machinery stays out of them. The product is built without
// exceptions and RTTI; the library's own code still reports its few failures
// (no memory, a length past the maximum) by throwing, through the helpers
// below. Defined here, they end the run with a message instead, and the
// runtime's throwing, unwinding, terminate handler and demangler are never
// linked: a build that needs one of them anyway fails to link with a
// duplicate definition rather than bring them back.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "framework/Runtime.h"

namespace {

// Constant-initialised: in force before any code of the program runs.
AFX_RUNTIME_TEXTS g_texts = {"Error", "There is not enough memory to complete this step.",
                             "An unexpected error stopped this step."};

#ifndef RUNTIME_CONSOLE
// The page that is up, active or not: the first visible window of ours that
// still takes input (a message box over the page, when one is shown).
BOOL CALLBACK FindPage(HWND window, LPARAM found)
{
    if (!::IsWindowVisible(window) || !::IsWindowEnabled(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}
#endif

// Nothing can be unwound: say why and end the process where it stands.
[[noreturn]] void Stop(const char* text)
{
#ifdef RUNTIME_CONSOLE
    (void)std::fprintf(stderr, "%s\n", text);
    ::ExitProcess(2);
#else
    // Owned by the page, which takes no input while it is shown: OK there
    // would start the failing step again inside it. With no page up, every
    // window of the thread is blocked instead.
    HWND page = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindPage, reinterpret_cast<LPARAM>(&page));
    ::MessageBoxA(page, text, g_texts.caption, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND | (page ? 0 : MB_TASKMODAL));
    ::ExitProcess(1);
#endif
}

void* Allocate(std::size_t size)
{
    // malloc(0) may give null; new never does.
    return std::malloc(size != 0 ? size : 1);
}

}  // namespace

void AfxSetRuntimeTexts(const AFX_RUNTIME_TEXTS& texts)
{
    g_texts = texts;
}

void* operator new(std::size_t size)
{
    void* block = Allocate(size);
    if (!block)
        Stop(g_texts.outOfMemory);
    return block;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

// The library's throw helpers (bits/functexcept.h) that the programs reach.
namespace std {

void __throw_bad_alloc()
{
    Stop(g_texts.outOfMemory);
}

void __throw_bad_array_new_length()
{
    Stop(g_texts.outOfMemory);
}

void __throw_invalid_argument(const char*)
{
    Stop(g_texts.unexpected);
}

void __throw_length_error(const char*)
{
    Stop(g_texts.unexpected);
}

void __throw_logic_error(const char*)
{
    Stop(g_texts.unexpected);
}

void __throw_out_of_range(const char*)
{
    Stop(g_texts.unexpected);
}

void __throw_out_of_range_fmt(const char*, ...)
{
    Stop(g_texts.unexpected);
}

}  // namespace std

// A pure virtual function called through a half-built or half-destroyed object.
extern "C" void __cxa_pure_virtual()
{
    Stop(g_texts.unexpected);
}
