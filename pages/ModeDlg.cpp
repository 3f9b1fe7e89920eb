#include "pages/ModeDlg.h"

#include <vector>

#include "app/InstallerState.h"
#include "core/PackageFiles.h"
#include "core/Refusals.h"
#include "framework/File.h"

const CommandEntry<CModeDlg> CModeDlg::kCommands[] = {
    {IDC_INSTALL, BN_CLICKED, &CModeDlg::OnInstallClicked},
    {IDC_UPDATE, BN_CLICKED, &CModeDlg::OnUpdateClicked},
};

bool CModeDlg::OnCommand(int id, UINT code)
{
    return Route(this, kCommands, id, code);
}

void CModeDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_INSTALL, installButton);
    DDX_Text(pDX, IDC_TEXT, notesText, kNotesCodePage);
    DDX_Radio(pDX, IDC_INSTALL, modeChoice);
}

BOOL CModeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    modeChoice = 0;
    UpdateData(FALSE);
    ShowMode(PackageModeOfChoice(modeChoice));
    return TRUE;
}

void CModeDlg::OnInstallClicked()
{
    ApplyChoice();
}

void CModeDlg::OnUpdateClicked()
{
    ApplyChoice();
}

void CModeDlg::ApplyChoice()
{
    UpdateData(TRUE);
    ShowMode(PackageModeOfChoice(modeChoice));
}

void CModeDlg::ShowMode(const PackageMode& mode)
{
    g_state.installMode = mode.mode;
    LoadNotes(g_state.baseFolder + mode.notes);
}

// Keeps the notes file's bytes up to its first zero byte and shows them
// decoded from the notes' code page. A file that cannot be read leaves the
// box as it was, after the file-error box.
void CModeDlg::LoadNotes(const std::string& path)
{
    // Others may read the notes meanwhile: a sync client, the search indexer
    // or a virus scanner often has a file just unpacked open.
    CFile file(PackageNotFoundHint());
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, this))
        return;
    ULONGLONG length = 0;
    if (!file.GetLength(&length))
        return;
    // Release notes are a few pages; a file far beyond that is not notes, and
    // the text box cannot take it whole (Wine's crashes on tens of megabytes).
    if (length > kMaxNotesBytes) {
        ReportFileError(this, path, ERROR_FILE_TOO_LARGE);
        return;
    }
    std::vector<char> bytes(static_cast<std::size_t>(length) + 1, '\0');
    if (!file.Read(bytes.data(), static_cast<std::size_t>(length)))
        return;
    notesText = bytes.data();
    UpdateData(FALSE);
}
