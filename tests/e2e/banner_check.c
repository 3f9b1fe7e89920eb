/* AfxFitBanner where the banner for the page's size cannot be made or drawn:
 * the banner keeps the template's picture at its size and every GDI object
 * made on the way is given back. The failures are real ones: art that GDI
 * refuses to draw, and the process's GDI handles all taken but none or one
 * (Wine's handle table and Windows' per-process quota both run out).
 *   banner-check.exe    exit status 0 when every case holds */
#include "framework/Visuals.h"
#include "tests/e2e/banner_check.h"

#include <stdio.h>

#define MAX_HELD 70000   /* more than either system gives a process */

static HGDIOBJ g_held[MAX_HELD];
static int g_heldCount;
static int g_failures;

static void TakeAll(void)
{
    HGDIOBJ region;
    while (g_heldCount < MAX_HELD && (region = CreateRectRgn(0, 0, 1, 1)) != NULL)
        g_held[g_heldCount++] = region;
}

static void GiveBack(int count)
{
    while (count-- > 0 && g_heldCount > 0)
        DeleteObject(g_held[--g_heldCount]);
}

/* The GDI handles left, counted with the screen's DC taken: a screen DC the
 * banner did not release makes the next GetDC cost one more. */
static int HandlesLeft(void)
{
    int before = g_heldCount, left;
    HDC screen = GetDC(NULL);
    TakeAll();
    left = g_heldCount - before;
    GiveBack(left);
    if (screen)
        ReleaseDC(NULL, screen);
    return left;
}

/* How far the banner's drawing could get now: 0 no memory DC, 1 a DC but
 * no bitmap, 2 both. */
static int Makeable(void)
{
    HDC screen = GetDC(NULL);
    HDC memory = screen ? CreateCompatibleDC(screen) : NULL;
    HBITMAP image = memory ? CreateCompatibleBitmap(screen, 8, 1) : NULL;
    int made = image ? 2 : memory ? 1 : 0;
    if (image)
        DeleteObject(image);
    if (memory)
        DeleteDC(memory);
    if (screen)
        ReleaseDC(NULL, screen);
    return made;
}

static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam)
{
    (void)page, (void)message, (void)wparam, (void)lparam;
    return FALSE;
}

static void Expect(const char* name, BOOL holds, const char* what)
{
    if (!holds) {
        printf("FAIL %s: %s\n", name, what);
        ++g_failures;
    }
}

/* Fits the banner with `spare` GDI handles free; `redrawn` when the art can
 * be drawn then. */
static void Check(const char* name, const WORD* art, int spare, BOOL redrawn)
{
    HINSTANCE instance = GetModuleHandleW(NULL);
    AFX_BANNER banner = {{0, 0, BANNER_WIDTH, BANNER_HEIGHT}, art, 2};
    HWND page = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_PAGE), NULL, PageProc, 0);
    HWND control = GetDlgItem(page, IDC_BANNER);
    HANDLE picture = (HANDLE)SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0);
    RECT before, after;
    HBITMAP shown = NULL;
    int failures = g_failures, left;
    Expect(name, picture != NULL, "the page has no banner picture");
    GetWindowRect(control, &before);
    TakeAll();
    GiveBack(spare);
    /* 0 spare: no memory DC; 1: a DC but no bitmap. */
    Expect(name, Makeable() == (spare < 2 ? spare : 2), "the spare GDI handles do not give the failure wanted");
    if (g_failures == failures) {
        shown = AfxFitBanner(page, instance, &banner);
        left = HandlesLeft();
        GetWindowRect(control, &after);
        if (redrawn)
            Expect(name, shown && (HANDLE)SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0) == shown,
                   "the banner shows no picture drawn for its size");
        else
            Expect(name, !shown && (HANDLE)SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0) == picture &&
                             EqualRect(&before, &after),
                   "the template's picture was replaced or resized");
        /* A picture drawn takes the handle of the template's, deleted. */
        Expect(name, left == spare, "GDI objects are left over");
        if (g_failures == failures)
            printf("ok %s\n", name);
    }
    GiveBack(g_heldCount);
    DestroyWindow(page);
    if (shown)
        DeleteObject(shown);
}

int main(void)
{
    static const WORD kDrawable[] = {IDB_NARROW, IDB_WIDE};
    static const WORD kUndrawable[] = {IDB_NARROW, IDB_UNDRAWABLE};
    /* A screen DC in the system's cache, as any page has, before handles run out. */
    ReleaseDC(NULL, GetDC(NULL));
    Check("drawn for the page's size", kDrawable, 8, TRUE);
    Check("art GDI does not draw", kUndrawable, 8, FALSE);
    Check("no memory DC", kDrawable, 0, FALSE);
    Check("no bitmap", kDrawable, 1, FALSE);
    return g_failures > 0;
}
