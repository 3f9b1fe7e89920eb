// First page: the disclaimer, which must be accepted to go on.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "res/resource.h"

class CDisclaimerDlg : public CDialog {
public:
    enum { IDD = IDD_DISCLAIMER };
    CDisclaimerDlg() : CDialog(IDD) {}

    std::string disclaimerText;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

// The disclaimer as the page shows it: CR LF line ends, none after the end.
extern const char kDisclaimerText[];
