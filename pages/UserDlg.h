// Third page: the HotSync users Palm Desktop knows, of which exactly one is
// checked. Confirming it queues the package files for that user.
#pragma once

#include "framework/Dialog.h"
#include "palm/InstallAid.h"
#include "res/resource.h"

class CUserDlg : public CDialog {
public:
    enum { IDD = IDD_USERS };
    CUserDlg() : CDialog(IDD) {}

    CListCtrl userList;

    void OnUserListClick(NMHDR* notification, LRESULT* result);
    void OnUserListItemChanged(NMHDR* notification, LRESULT* result);
    void OnUserListSetFocus(NMHDR* notification, LRESULT* result);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnNotify(NMHDR* notification, LRESULT* result) override;

private:
    void FillUserList(const CInstallAid& library);

    static const NotifyEntry<CUserDlg> kNotifications[];
};
