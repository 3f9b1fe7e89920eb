// Last page: installation is complete; the next HotSync carries the files.
#pragma once

#include "framework/Dialog.h"
#include "res/resource.h"

class CFinishDlg : public CDialog {
public:
    enum { IDD = IDD_FINISH };
    CFinishDlg() : CDialog(IDD) {}
};
