// Second page: full installation or update, with the release notes of each.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "res/resource.h"

class CModeDlg : public CDialog {
public:
    enum { IDD = IDD_MODE };
    CModeDlg() : CDialog(IDD) {}

    CButton installButton;
    std::string notesText;
    int modeChoice = -1;   // 0 = Install, 1 = Update, -1 = none

    void OnInstallClicked();
    void OnUpdateClicked();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, UINT code) override;

private:
    void ApplyChoice();
    void LoadNotes(const std::string& path);

    static const CommandEntry<CModeDlg> kCommands[];
};
