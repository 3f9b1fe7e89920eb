#include "pages/UserDlg.h"

#include "app/InstallerState.h"
#include "core/FixedText.h"
#include "core/Refusals.h"
#include "core/UserOrder.h"
#include "palm/DesktopFolder.h"
#include "palm/FileQueue.h"
#include "palm/InstallAid.h"

const NotifyEntry<CUserDlg> CUserDlg::kNotifications[] = {
    {IDC_USERLIST, NM_CLICK, &CUserDlg::OnUserListClick},
    {IDC_USERLIST, LVN_ITEMCHANGED, &CUserDlg::OnUserListItemChanged},
    {IDC_USERLIST, NM_SETFOCUS, &CUserDlg::OnUserListSetFocus},
};

bool CUserDlg::OnNotify(NMHDR* notification, LRESULT* result)
{
    return Route(this, kNotifications, notification, result);
}

void CUserDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_USERLIST, userList);
}

BOOL CUserDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    DesktopFolder found = FindDesktopFolder();
    g_state.desktopFolder = found.path;
    g_state.desktopUnspellable = found.unspellable;
    // Checked before any load, on every system, whatever search order its
    // loader has.
    DesktopProblem problem = JudgeDesktopFolder(g_state.desktopFolder, g_state.desktopUnspellable, kDesktopNotFound);
    if (problem != DesktopProblem::None) {
        g_state.libraryPath[0] = '\0';
        if (problem == DesktopProblem::Unspellable)
            MessageBox(UnspellableDesktopText(found.unspellable, kDesktopValueName).c_str(), kErrorCaptionW,
                       MB_OK | MB_ICONSTOP);
        else
            MessageBox(DesktopProblemText(problem, g_state.desktopFolder, kDesktopValueName).c_str(), kErrorCaption,
                       MB_OK | MB_ICONSTOP);
        // Without Palm Desktop the page leaves the focus unset, and its list empty.
        return problem == DesktopProblem::NotFound ? FALSE : TRUE;
    }
    if (!BuildLibraryPath(g_state.desktopFolder))
        return TRUE;
    CInstallAid library;
    if (library.BindUserEntries(this) == CInstallAid::Bound)
        FillUserList(library);
    return TRUE;
}

void CUserDlg::FillUserList(const CInstallAid& library)
{
    g_state.userCount = library.GetUserCount();

    userList.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT rect;
    userList.GetWindowRect(&rect);
    ScreenToClient(&rect);
    userList.DeleteColumn(0);
    userList.InsertColumn(0, "U", LVCFMT_LEFT, rect.right - 200);
    userList.DeleteAllItems();

    // The tables hold kMaxUsers names; a larger count lists the first ones.
    int count = g_state.userCount < kMaxUsers ? g_state.userCount : kMaxUsers;
    for (int i = 0; i < count; ++i) {
        short size = kNameSlot;
        library.GetUser(static_cast<unsigned int>(i), g_state.userNames[i], &size);
        // A name the library left unterminated is read as its first 49 bytes.
        g_state.userNames[i][kNameSlot - 1] = '\0';
    }
    if (count > 0) {
        FoldNames(g_state.userNames, g_state.foldedNames, g_state.nameLengths, count);
        g_state.longestName = OrderUsers(g_state.userNames, g_state.foldedNames, g_state.nameLengths, count);
    }

    // While it redraws, the list view updates its scroll bar and invalidates
    // rows for each row inserted (about 0.3 ms a row under Wine). The page is
    // not shown yet: the rows are laid out once, at the end.
    userList.SetRedraw(FALSE);
    g_state.listedCount = count;
    for (int i = 0; i < count; ++i)
        userList.InsertItem(i, g_state.userNames[i]);
    g_state.checkFlags[0] = 1;
    for (int i = 0; i < g_state.listedCount; ++i) {
        if (g_state.checkFlags[i] == 1)
            userList.SetCheck(i, TRUE);
    }
    userList.SetRedraw(TRUE);
}

// A click on a row's text selects the row; the item-changed rule then makes
// it the checked one. A click that hits no row changes nothing.
void CUserDlg::OnUserListClick(NMHDR* notification, LRESULT*)
{
    const NMITEMACTIVATE* click = reinterpret_cast<const NMITEMACTIVATE*>(notification);
    if (click->iItem < 0)
        return;
    userList.SetItemState(click->iItem, LVIS_SELECTED, LVIS_SELECTED);
}

// Keeps exactly one row checked: a row that becomes checked or selected
// takes the check from every other row. Unchecking the selected row does not
// stick. The check changes made here notify again and run the same rule.
void CUserDlg::OnUserListItemChanged(NMHDR* notification, LRESULT* result)
{
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(notification);
    if (change->uOldState != 0 && change->uNewState == 0)
        return;
    int row = change->iItem;
    if (row < 0)   // a change of every row at once names no row to keep
        return;
    bool checked = userList.GetCheck(row) != FALSE;
    bool selected = (userList.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    if (checked || selected) {
        userList.SetCheck(row, TRUE);
        for (int i = 0; i < userList.GetItemCount(); ++i) {
            if (i != row)
                userList.SetCheck(i, FALSE);
        }
    }
    *result = 0;
}

// Reached by Tab, the list starts the keys at the checked row: it becomes
// the focused and selected row, as a click on it would make it, so that the
// arrows move on from it and Space leaves it checked. A click that gave the
// focus selects its own row right after.
void CUserDlg::OnUserListSetFocus(NMHDR*, LRESULT*)
{
    for (int i = 0; i < userList.GetItemCount(); ++i) {
        if (userList.GetCheck(i)) {
            userList.SetItemState(i, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
            userList.EnsureVisible(i);
            return;
        }
    }
}

void CUserDlg::OnOK()
{
    // Record the checks.
    for (int i = 0; i < g_state.listedCount; ++i)
        g_state.checkFlags[i] = 0;
    for (int i = 0; i < g_state.listedCount; ++i) {
        if (userList.GetCheck(i))
            g_state.checkFlags[i] = 1;
    }
    if (QueuePackageFiles(*this))
        CDialog::OnOK();
}
