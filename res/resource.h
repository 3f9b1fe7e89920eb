// Resource and control ids shared by the templates, the pages and the tests.
#pragma once

#define IDR_MAINFRAME   128
#define IDB_BANNER      129

#define IDD_DISCLAIMER  102
#define IDD_MODE        137
#define IDD_USERS       138
#define IDD_FINISH      140

#define IDC_TEXT        1000
#define IDC_USERLIST    1002
#define IDC_INSTALL     1008
#define IDC_UPDATE      1009
