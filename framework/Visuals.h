/* How the pages look on today's Windows: the themed common controls and a
 * banner drawn for the display's scale. Plain C, so that the start-up floor
 * of the benchmark draws its page with the very same code. */
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Loads the Common Controls 6 through an activation context made from the
 * program's manifest resource `manifest` and leaves that context active for
 * the rest of the run, so that every page made afterwards gets the themed
 * controls. Returns NULL, with the context released again and the last error
 * set, where the system has no Common Controls 6 or cannot load them: the
 * pages then get the system's plain controls. */
HMODULE AfxLoadThemedControls(HINSTANCE instance, LPCWSTR manifest);

/* A page's banner: where its control lies in dialog units, and its bitmap
 * resources at 10:1, narrowest first; the first is the one the template
 * names. */
typedef struct AFX_BANNER {
    RECT templateRect;   /* left, top, right, bottom */
    const WORD* art;
    int artCount;
} AFX_BANNER;

/* Sizes the dialog's banner (its SS_BITMAP static) to the width its template
 * gives it at the dialog's font and scale, at 10:1, never down over the
 * controls below it. The picture is the narrowest art at least that wide,
 * shrunk to fit; where none is, the widest at its own size: art is never
 * enlarged. Returns the bitmap now shown, for the caller to delete once the
 * dialog is gone; NULL when the template's own picture fits as it is, or when
 * the picture for this size cannot be made (no GDI object left, art GDI cannot
 * draw): the control then keeps the template's picture at the template's size. */
HBITMAP AfxFitBanner(HWND dialog, HINSTANCE instance, const AFX_BANNER* banner);

#ifdef __cplusplus
}
#endif
