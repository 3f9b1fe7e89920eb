/* The floor for start-up timing: the installer's first page (the same
 * template, banner and text, from the same resource script) put on screen by
 * the least a program can do. Plain C: no C++ runtime, no framework. */
#include <windows.h>

#include "res/disclaimer.h"
#include "res/resource.h"

static const char kText[] = DISCLAIMER_TEXT;

static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (msg == WM_INITDIALOG) {
        SetDlgItemTextA(hwnd, IDC_TEXT, kText);
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    return (int)DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_DISCLAIMER), NULL, Proc, 0);
}
