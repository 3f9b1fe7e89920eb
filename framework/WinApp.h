// The one application object. The program's entry point hands control to its
// InitInstance; the process ends when that returns, without a message loop of
// its own (every page runs its own modal loop).
#pragma once

#include <windows.h>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() = 0;

    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();
