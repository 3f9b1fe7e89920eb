// The installer application: one run of the wizard, page after page.
#pragma once

#include <string>

#include "framework/WinApp.h"

class CInstallerApp : public CWinApp {
public:
    BOOL InitInstance() override;
};

// The installer's own folder with a trailing backslash.
std::string GetBaseFolder();
