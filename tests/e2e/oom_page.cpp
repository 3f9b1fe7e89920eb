// A page built like setup.exe's (cmake/LeanRuntime.cmake, framework/Runtime.cpp)
// whose OK runs out of memory: the runtime's message box must be the page's
// own and keep it from taking input, whether or not the page is active.
#include <windows.h>

#include <cstddef>
#include <new>

namespace {

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        // More than a process can have (read at run time, so that the
        // compiler neither warns nor folds it).
        volatile std::size_t huge = static_cast<std::size_t>(-1) - 4095;
        ::operator delete(::operator new(huge));
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(page, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(1), nullptr, PageProc, 0));
}
