#include "palm/FileQueue.h"

#include <windows.h>

#include <string>

#include "app/FixedText.h"
#include "app/InstallerState.h"
#include "app/PackageFiles.h"
#include "framework/File.h"
#include "framework/Wnd.h"
#include "palm/DesktopFolder.h"
#include "palm/FolderPath.h"
#include "palm/InstallAid.h"
#include "palm/PackageList.h"

namespace {

// The library reports a file already waiting in the user's queue with this;
// it is queued all the same.
const int kAlreadyQueued = -512;
const int kFailuresShown = 20;

void Refuse(const CWnd* owner, const std::string& text)
{
    owner->MessageBox((text + "\r\n\r\nNothing was installed.").c_str(), "Error", MB_OK | MB_ICONSTOP);
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

const char* ProblemText(ListProblem problem)
{
    switch (problem) {
    case ListProblem::TooManyFiles:
        return "it names more than 200 files";
    case ListProblem::PathTooLong:
        return "the full path of this file is too long";
    case ListProblem::ZeroByte:
        return "this line holds a zero byte";
    case ListProblem::None:
        break;
    }
    return "";
}

// Why the user page found no library to load.
const char* NoLibraryReason()
{
    if (g_state.desktopFolder == kDesktopNotFound)
        return "Palm Desktop was not found, so there is no HotSync user to install for.";
    if (!IsFullFolderPath(g_state.desktopFolder))
        return "Palm Desktop's folder in the registry is not a full folder path, so there is no HotSync user "
               "to install for.";
    return "Palm Desktop's folder is too long to load its install library, so there is no HotSync user to "
           "install for.";
}

bool ReadFileList(const CWnd* owner)
{
    std::string listPath = g_state.baseFolder + PackageModeOf(g_state.installMode).list;
    std::vector<ListLine> lines;
    {
        // Shared with other readers, as the notes are.
        CStdioFile list(kPackageNotFoundHint);
        if (!list.Open(listPath, CFile::modeRead | CFile::shareDenyWrite, owner))
            return false;
        if (!ReadListLines(list.m_pStream, &lines)) {
            list.ReportReadError();
            return false;
        }
    }
    ListResult result = BuildFileList(lines, g_state.baseFolder, g_state.fileList, &g_state.fileCount);
    if (result.problem != ListProblem::None) {
        const std::string& line = lines[static_cast<std::size_t>(result.line) - 1].text;
        Refuse(owner, "The package list \"" + listPath + "\" cannot be used: " + ProblemText(result.problem) +
                          " (line " + std::to_string(result.line) + ": \"" + line.c_str() + "\").");
        return false;
    }
    for (int i = 0; i < g_state.fileCount; ++i) {
        DWORD attributes = ::GetFileAttributesA(g_state.fileList[i]);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Refuse(owner, "The package file \"" + std::string(g_state.fileList[i]) + "\", named in \"" + listPath +
                              "\", is missing.");
            return false;
        }
    }
    return true;
}

}  // namespace

bool QueuePackageFiles(const CWnd* owner)
{
    if (g_state.libraryPath[0] == '\0') {
        Refuse(owner, NoLibraryReason());
        return false;
    }
    if (g_state.listedCount <= 0) {
        Refuse(owner, "Palm Desktop lists no HotSync user to install for.");
        return false;
    }
    if (!ChooseUser()) {
        Refuse(owner, "No HotSync user is checked. Please check the user to install for.");
        return false;
    }
    if (g_state.chosenUser[0] == '\0') {
        Refuse(owner, "The checked HotSync user has no name, so Palm Desktop cannot install for it.");
        return false;
    }
    if (!ReadFileList(owner))
        return false;
    if (!BindInstallEntry(owner))
        return false;

    std::string failures;
    int failed = 0;
    for (int i = 0; i < g_state.fileCount; ++i) {
        CopyText(g_state.currentFile, g_state.fileList[i]);
        int rc = g_state.installFileEntry(g_state.chosenUser, g_state.currentFile);
        if (rc == 0 || rc == kAlreadyQueued)
            continue;
        if (++failed <= kFailuresShown)
            failures += std::string("\r\n") + g_state.currentFile + " (error " + std::to_string(rc) + ")";
    }
    ReleaseInstallAid();

    if (failed > 0) {
        if (failed > kFailuresShown)
            failures += "\r\n... and " + std::to_string(failed - kFailuresShown) + " more";
        std::string text = "Palm Desktop did not queue these files for " + std::string(g_state.chosenUser) + ":\r\n" +
                           failures + "\r\n\r\nPress OK on this page to try again.";
        owner->MessageBox(text.c_str(), "Error", MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}
