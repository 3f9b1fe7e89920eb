/* The floor for start-up timing: the installer's first page (the same
 * template, banner and text, from the same resource script) put on screen by
 * the least a program can do. Plain C: no C++ runtime, no framework. */
#include <windows.h>

#include "res/resource.h"

/* The disclaimer as the installer's first page shows it. */
static const char kText[] =
    "Disclaimer\r\n"
    "-------------------------------------------------------------\r\n"
    " By installing this software you accept all the terms and conditions of the following agreement.\r\n"
    "\r\n"
    " This software is used at your own risk. It is provided \"as is\", without warranty of any kind, "
    "express or implied. Saengdao Soft accepts no liability for any damage or loss arising from the use "
    "of Mirabo.\r\n"
    "\r\n"
    " Mirabo may be distributed only as the complete distribution, with all of its files.\r\n"
    "\r\n"
    " Charging for copies of Mirabo, or bundling it with any other product, requires the written "
    "permission of Saengdao Soft.\r\n"
    "\r\n"
    " You may not modify, adapt, translate, reverse engineer or rent this software.\r\n"
    "\r\n"
    " Mirabo, Saengdao Soft and the Saengdao Soft logo are trademarks of Saengdao Soft.";

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
