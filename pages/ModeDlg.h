// Second page: full installation or update, with the release notes of each.
#pragma once

#include <string>

#include "core/PackageFiles.h"
#include "framework/Dialog.h"
#include "res/resource.h"

class CModeDlg : public CDialog {
public:
    enum { IDD = IDD_MODE };
    CModeDlg() : CDialog(IDD) {}

    CButton installButton;
    std::string notesText;
    int modeChoice = -1;   // the checked radio button, -1 for none (PackageModeOfChoice)

    void OnInstallClicked();
    void OnUpdateClicked();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, UINT code) override;

private:
    void ApplyChoice();
    void ShowMode(const PackageMode& mode);
    void LoadNotes(const std::string& path);

    static const CommandEntry<CModeDlg> kCommands[];
};
