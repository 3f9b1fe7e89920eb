#include "palm/FileQueue.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/InstallerState.h"
#include "core/FixedText.h"
#include "core/InstallAidCodes.h"
#include "core/PackageFiles.h"
#include "core/PackageList.h"
#include "core/Refusals.h"
#include "framework/Dialog.h"
#include "framework/File.h"
#include "framework/Wnd.h"
#include "palm/DesktopFolder.h"
#include "palm/InstallAid.h"

namespace {

void Refuse(const CWnd* owner, const std::string& text)
{
    owner->MessageBox(text.c_str(), kErrorCaption, MB_OK | MB_ICONSTOP);
}

// With several rows checked the last one wins; false when none is.
bool ChooseUser()
{
    bool chosen = false;
    for (int i = 0; i < g_state.listedCount; ++i) {
        if (g_state.checkFlags[i] == 1) {
            CopyText(g_state.chosenUser, g_state.userNames[i]);
            chosen = true;
        }
    }
    return chosen;
}

bool ReadFileList(const CWnd* owner)
{
    std::string listPath = g_state.baseFolder + PackageModeOf(g_state.installMode).list;
    std::vector<ListLine> lines;
    {
        // Shared with other readers, as the notes are.
        CStdioFile list(PackageNotFoundHint());
        if (!list.Open(listPath, CFile::modeRead | CFile::shareDenyWrite, owner))
            return false;
        if (!ReadListLines(list.m_pStream, &lines)) {
            list.ReportReadError();
            return false;
        }
    }
    ListResult result = BuildFileList(lines, g_state.baseFolder, g_state.fileList, &g_state.fileCount);
    if (result.problem != ListProblem::None) {
        Refuse(owner, ListRefusal(listPath, result, lines[static_cast<std::size_t>(result.line) - 1].text));
        return false;
    }
    for (int i = 0; i < g_state.fileCount; ++i) {
        DWORD attributes = ::GetFileAttributesA(g_state.fileList[i]);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Refuse(owner, MissingFileRefusal(g_state.fileList[i], listPath));
            return false;
        }
    }
    return true;
}

}  // namespace

bool QueuePackageFiles(CDialog& page)
{
    const CWnd* owner = &page;
    if (g_state.libraryPath[0] == '\0') {
        Refuse(owner, ConfirmRefusal(ConfirmProblem::NoLibrary,
                                     JudgeDesktopFolder(g_state.desktopFolder, g_state.desktopUnspellable,
                                                        kDesktopNotFound)));
        return false;
    }
    if (g_state.listedCount <= 0) {
        Refuse(owner, ConfirmRefusal(ConfirmProblem::NoUsers));
        return false;
    }
    if (!ChooseUser()) {
        Refuse(owner, ConfirmRefusal(ConfirmProblem::NoneChecked));
        return false;
    }
    if (g_state.chosenUser[0] == '\0') {
        Refuse(owner, ConfirmRefusal(ConfirmProblem::NoName));
        return false;
    }
    if (!ReadFileList(owner))
        return false;

    std::vector<RefusedFile> refused;
    {
        CInstallAid library;
        if (library.BindInstallEntry(owner) != CInstallAid::Bound)
            return false;
        // Each file may take a while on slow media: between files the page
        // answers the system, and takes no input until the last is queued.
        CBusyScope busy(page);
        for (int i = 0; i < g_state.fileCount; ++i) {
            CopyText(g_state.currentFile, g_state.fileList[i]);
            int result = library.InstallFile(g_state.chosenUser, g_state.currentFile);
            if (!IsQueued(result))
                refused.push_back({g_state.currentFile, result});
            busy.Pump();
        }
    }
    if (!refused.empty()) {
        Refuse(owner, QueueFailureText(g_state.chosenUser, refused));
        return false;
    }
    return true;
}
