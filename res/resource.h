// Resource and control ids shared by the templates, the pages and the tests.
#pragma once

#define IDR_MAINFRAME   128
#define IDB_BANNER      129
// The banner drawn larger, for 150 % and 200 % display scale.
#define IDB_BANNER_750  130
#define IDB_BANNER_1000 131
// The manifest of the themed common controls, activated at run time (the
// id Windows keeps for manifests that no loader applies by itself).
#define IDR_CONTROLS_MANIFEST 3

// The product's name: the version record's description, and every page's
// window text (taskbar button, Alt+Tab, screen readers).
#define APP_TITLE       "Mirabo handheld installer"

// Where every page's banner control lies, in dialog units.
#define BANNER_LEFT     2
#define BANNER_TOP      1
#define BANNER_WIDTH    333
#define BANNER_HEIGHT   31

#define IDD_DISCLAIMER  102
#define IDD_MODE        137
#define IDD_USERS       138
#define IDD_FINISH      140

#define IDC_TEXT        1000
#define IDC_USERLIST    1002
#define IDC_INSTALL     1008
#define IDC_UPDATE      1009
