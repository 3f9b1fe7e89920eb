// A program that imports the common controls the ordinary way, for tests
// only: started beside a planted comctl32.dll with Windows' load order for
// it, it must load the planted one. That shows a test's load-order setting
// reached the programs it starts, so "not loaded" from setup.exe means
// something.

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&controls) ? 0 : 1;
}
