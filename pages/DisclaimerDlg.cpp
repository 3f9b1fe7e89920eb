#include "pages/DisclaimerDlg.h"

#include "res/disclaimer.h"

const char kDisclaimerText[] = DISCLAIMER_TEXT;

void CDisclaimerDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_TEXT, disclaimerText);
}

BOOL CDisclaimerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    disclaimerText = kDisclaimerText;
    UpdateData(FALSE);
    return TRUE;
}
