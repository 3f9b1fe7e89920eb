// The installer application: one run of the wizard, page after page.
#pragma once

#include <string>

#include "core/AnsiFolder.h"
#include "framework/WinApp.h"

class CInstallerApp : public CWinApp {
public:
    CInstallerApp();
    BOOL InitInstance() override;
};

// The installer's own folder with a trailing backslash, as the ANSI functions
// can be given it; `folder` receives it as the system names it.
AnsiFolder GetBaseFolder(std::wstring* folder);
