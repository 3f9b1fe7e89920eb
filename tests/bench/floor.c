/* The floor for start-up timing: the installer's first page (the same
 * template, banner and text, from the same resource script) put on screen by
 * the least a program can do. Plain C: no C++ runtime, no framework; the page
 * is drawn as the installer draws it, with the themed controls and the banner
 * fitted by the same code (framework/Visuals.c). */
#include <windows.h>

#include "framework/Visuals.h"
#include "res/disclaimer.h"
#include "res/resource.h"

static const char kText[] = DISCLAIMER_TEXT;
static const WORD kArt[] = {IDB_BANNER, IDB_BANNER_750, IDB_BANNER_1000};
static const AFX_BANNER kBanner = {
    {BANNER_LEFT, BANNER_TOP, BANNER_LEFT + BANNER_WIDTH, BANNER_TOP + BANNER_HEIGHT}, kArt, 3};
static HBITMAP g_banner;

static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (msg == WM_INITDIALOG) {
        g_banner = AfxFitBanner(hwnd, GetModuleHandleW(NULL), &kBanner);
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
    INT_PTR result;
    (void)previous;
    (void)commandLine;
    (void)show;
    AfxLoadThemedControls(instance, MAKEINTRESOURCEW(IDR_CONTROLS_MANIFEST));
    result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_DISCLAIMER), NULL, Proc, 0);
    if (g_banner)
        DeleteObject(g_banner);
    return (int)result;
}
