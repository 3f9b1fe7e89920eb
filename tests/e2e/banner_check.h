/* The resources of banner-check.exe (banner_check.c, banner_check.rc). */
#pragma once

#define IDD_PAGE 1
#define IDC_BANNER 10
#define IDB_NARROW 100       /* the template's picture, narrower than its span */
#define IDB_WIDE 101         /* wide enough for the span at any scale */
#define IDB_UNDRAWABLE 102   /* as wide, in a compression GDI does not draw */
#define BANNER_WIDTH 40      /* the banner's span in dialog units */
#define BANNER_HEIGHT 4
