#include "core/Refusals.h"

#include <algorithm>

#include "core/FolderPath.h"
#include "core/InstallAidCodes.h"
#include "core/InstallerLimits.h"
#include "core/PackageFiles.h"

namespace {

// The system's codes for a file, and for a folder on its path, that is not there.
const unsigned long kFileNotFound = 2;
const unsigned long kPathNotFound = 3;

const char kNothingInstalled[] = "\r\n\r\nNothing was installed.";
const int kRefusedFilesShown = 20;

std::string ListProblemText(ListProblem problem)
{
    switch (problem) {
    case ListProblem::TooManyFiles:
        return "it names more than " + std::to_string(kMaxFiles) + " files";
    case ListProblem::PathTooLong:
        return "the full path of this file is too long";
    case ListProblem::ZeroByte:
        return "this line holds a zero byte";
    case ListProblem::None:
        break;
    }
    return "";
}

// Why confirming found no library to queue with.
const char* NoLibraryReason(DesktopProblem why)
{
    switch (why) {
    case DesktopProblem::NotFound:
        return "Palm Desktop was not found, so there is no HotSync user to install for.";
    case DesktopProblem::NotFullPath:
        return "Palm Desktop's folder in the registry is not a full folder path, so there is no HotSync user "
               "to install for.";
    case DesktopProblem::Unspellable:
        return kUnspellableDesktopReason;
    case DesktopProblem::TooLong:
    case DesktopProblem::None:
        break;
    }
    return "Palm Desktop's folder is too long to load its install library, so there is no HotSync user to "
           "install for.";
}

}  // namespace

std::string SystemTextLine(const std::string& description)
{
    std::string line = description;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' || line.back() == '.'))
        line.pop_back();
    return line;
}

std::string SystemReason(unsigned long error, const std::string& description)
{
    if (error == 0)
        return "Windows gave no reason.";
    std::string line = SystemTextLine(description);
    if (line.empty())
        line = "System error";
    return line + " (error " + std::to_string(error) + ").";
}

std::string FileErrorText(const std::string& path, unsigned long error, const std::string& description,
                          const std::string& notFoundHint)
{
    std::string text = "The file \"" + path + "\" could not be read.\r\n\r\n" +
                       (!description.empty() ? description : "System error " + std::to_string(error) + ".");
    if (!notFoundHint.empty() && (error == kFileNotFound || error == kPathNotFound)) {
        // The system's text ends with a line break of its own.
        text.erase(text.find_last_not_of("\r\n") + 1);
        text += "\r\n\r\n" + notFoundHint;
    }
    return text;
}

// Most often setup.exe was started from inside the zip file it shipped in:
// Windows then extracts that one file to a temporary folder and runs it there.
std::string PackageNotFoundHint()
{
    std::string files;
    for (const PackageMode& mode : kPackageModes)
        files += std::string(mode.notes) + ", ";
    for (const PackageMode& mode : kPackageModes)
        files += std::string(mode.list) + ", ";
    files.erase(files.size() - 2);
    return "setup.exe must be run from the folder that holds its package files: " + files +
           " and the files the lists name. If you opened it from inside a zip file, first extract all the files, "
           "then run setup.exe from the extracted folder.";
}

DesktopProblem JudgeDesktopFolder(const std::string& folder, const char* notFound)
{
    if (folder == notFound)
        return DesktopProblem::NotFound;
    // A relative path would be resolved against the current directory or
    // drive, the package's own disc or download folder, where anyone could
    // have put a library of that name.
    if (!IsFullFolderPath(folder))
        return DesktopProblem::NotFullPath;
    if (folder.size() > static_cast<std::size_t>(kLongestDesktopFolder))
        return DesktopProblem::TooLong;
    return DesktopProblem::None;
}

std::string DesktopProblemText(DesktopProblem problem, const std::string& folder, const char* valueName)
{
    switch (problem) {
    case DesktopProblem::NotFound:
        return "Cannot find Palm Desktop !!\n\nPlease install Palm Desktop Application.";
    case DesktopProblem::NotFullPath:
        return std::string("The registry value ") + valueName + " does not hold a full folder path:\r\n\r\n\"" +
               folder + "\"\r\n\r\nPalm Desktop's install library is not loaded from it. Please reinstall Palm Desktop.";
    case DesktopProblem::TooLong:
        return "The Palm Desktop folder is too long to load its install library:\r\n\r\n" + folder;
    case DesktopProblem::Unspellable:   // UnspellableDesktopText, in Unicode
    case DesktopProblem::None:
        break;
    }
    return std::string();
}

std::string LibraryProblemText(const std::string& libraryPath, LibraryProblem problem, const std::string& detail)
{
    std::string what = problem == LibraryProblem::NotLoaded ? "It could not be loaded: " + detail
                                                            : "It has no entry point " + detail + ".";
    return "Palm Desktop's install library cannot be used:\r\n\r\n" + libraryPath + "\r\n\r\n" + what +
           "\r\n\r\nPlease reinstall Palm Desktop.";
}

// The codes as Palm's install-aid header names them, said as a customer
// would understand them. Some cannot come from the calls the installer
// makes; they are here so that any code the library gives is said in words.
const LibraryCode kLibraryCodes[] = {
    {-500, LibraryAdvice::HotSyncOnce, "Palm Desktop has no HotSync user"},
    {-501, LibraryAdvice::None, "no HotSync user has that number"},
    {-502, LibraryAdvice::None, "a name did not fit the installer's space for it"},
    {-503, LibraryAdvice::HotSyncOnce, "Palm Desktop's list of users (users.dat) is missing"},
    {-504, LibraryAdvice::FreeDiskSpace, "the file could not be copied into the install queue"},
    {-505, LibraryAdvice::None, "Palm Desktop does not know this HotSync user"},
    {-506, LibraryAdvice::AskTheMaker, "Palm Desktop does not accept the file's name"},
    {-507, LibraryAdvice::None, "no queued file has that number"},
    {-508, LibraryAdvice::None, "Palm Desktop's list of users (users.dat) exists already"},
    {-509, LibraryAdvice::None, "the kind of folder asked for is not known"},
    {-510, LibraryAdvice::ReinstallPalmDesktop, "Palm Desktop's registry entries are damaged"},
    {-511, LibraryAdvice::None, "the file's path is not valid"},
    {kPltAlreadyQueued, LibraryAdvice::None, "the file is already in the install queue"},
    {-513, LibraryAdvice::None, "the package file cannot be read"},
    {-514, LibraryAdvice::None, "a number given to Palm Desktop is out of range"},
    {-515, LibraryAdvice::AskTheMaker, "Palm Desktop cannot install this type of file"},
    {-516, LibraryAdvice::None, "a buffer given to Palm Desktop is not valid"},
    {-517, LibraryAdvice::AskTheMaker, "the file's creator id is not valid"},
    {-518, LibraryAdvice::ReinstallPalmDesktop, "Palm Desktop's own folder is not recorded"},
    {-519, LibraryAdvice::FreeDiskSpace, "a new file could not be created in the install queue"},
    {-520, LibraryAdvice::WaitForHotSync, "Palm Desktop is busy, as during a HotSync"},
    {-521, LibraryAdvice::WaitForHotSync, "Palm Desktop's list of users (users.dat) is in use or cannot be read"},
    {-522, LibraryAdvice::None, "the HotSync user's id is not valid"},
    {-523, LibraryAdvice::None, "a file could not be deleted"},
    {-524, LibraryAdvice::None, "a file could not be moved"},
    {-551, LibraryAdvice::ReinstallPalmDesktop, "the HotSync user's folder is missing"},
    {-552, LibraryAdvice::ReinstallPalmDesktop, "the HotSync user's file is missing"},
    {-553, LibraryAdvice::None, "Palm Desktop did not find it"},
    {-554, LibraryAdvice::AskTheMaker, "Palm Desktop does not accept the file's name"},
    {-555, LibraryAdvice::WaitForHotSync, "the HotSync user's files are in use"},
    {-701, LibraryAdvice::AskTheMaker, "Palm Desktop cannot install this type of file"},
};
const std::size_t kLibraryCodeCount = sizeof kLibraryCodes / sizeof kLibraryCodes[0];

namespace {

const LibraryCode* FindLibraryCode(int code)
{
    for (const LibraryCode& known : kLibraryCodes) {
        if (known.code == code)
            return &known;
    }
    return nullptr;
}

}  // namespace

std::string LibraryCodeText(int code)
{
    const LibraryCode* known = FindLibraryCode(code);
    std::string text = "error " + std::to_string(code);
    return known ? text + ": " + known->words : text;
}

LibraryAdvice LibraryCodeAdvice(int code)
{
    const LibraryCode* known = FindLibraryCode(code);
    return known ? known->advice : LibraryAdvice::None;
}

std::string LibraryAdviceText(LibraryAdvice advice)
{
    switch (advice) {
    case LibraryAdvice::HotSyncOnce:
        return "HotSync your handheld once with Palm Desktop, which makes its HotSync user, then run setup.exe "
               "again.";
    case LibraryAdvice::WaitForHotSync:
        return "Wait for the HotSync to end, or close Palm Desktop, then press OK again.";
    case LibraryAdvice::FreeDiskSpace:
        return "Free some space on the disk that holds Palm Desktop, then press OK again.";
    case LibraryAdvice::AskTheMaker:
        return "Please tell the package's maker that Palm Desktop cannot install this file.";
    case LibraryAdvice::ReinstallPalmDesktop:
        return "Please reinstall Palm Desktop, then run setup.exe again.";
    case LibraryAdvice::None:
        break;
    }
    return std::string();
}

std::string ConfirmRefusal(ConfirmProblem problem, DesktopProblem why)
{
    const char* text = "";
    std::string advice;
    switch (problem) {
    case ConfirmProblem::NoLibrary:
        text = NoLibraryReason(why);
        break;
    case ConfirmProblem::NoUsers:
        text = "Palm Desktop lists no HotSync user to install for.";
        advice = LibraryAdviceText(LibraryAdvice::HotSyncOnce);
        break;
    case ConfirmProblem::NoneChecked:
        text = "No HotSync user is checked. Please check the user to install for.";
        break;
    case ConfirmProblem::NoName:
        text = "The checked HotSync user has no name, so Palm Desktop cannot install for it.";
        break;
    }
    return text + (advice.empty() ? std::string() : "\r\n\r\n" + advice) + kNothingInstalled;
}

std::string ListRefusal(const std::string& listPath, const ListResult& result, const std::string& lineText)
{
    // The line up to a zero byte in it: the box could show no more.
    std::string shown = lineText.substr(0, lineText.find('\0'));
    return "The package list \"" + listPath + "\" cannot be used: " + ListProblemText(result.problem) + " (line " + std::to_string(result.line) +
           ": \"" + shown + "\")." + kNothingInstalled;
}

std::string MissingFileRefusal(const std::string& file, const std::string& listPath)
{
    return "The package file \"" + file + "\", named in \"" + listPath + "\", is missing." + kNothingInstalled;
}

std::string QueueFailureText(const std::string& user, const std::vector<RefusedFile>& refused)
{
    std::string text = "Palm Desktop did not queue these files for " + user + ":\r\n";
    std::vector<LibraryAdvice> advice;
    int shown = 0;
    for (const RefusedFile& file : refused) {
        LibraryAdvice what = LibraryCodeAdvice(file.result);
        if (what != LibraryAdvice::None && std::find(advice.begin(), advice.end(), what) == advice.end())
            advice.push_back(what);
        if (++shown <= kRefusedFilesShown)
            text += "\r\n" + file.path + " (" + LibraryCodeText(file.result) + ")";
    }
    if (refused.size() > static_cast<std::size_t>(kRefusedFilesShown))
        text += "\r\n... and " + std::to_string(refused.size() - kRefusedFilesShown) + " more";
    for (LibraryAdvice what : advice)
        text += "\r\n\r\n" + LibraryAdviceText(what);
    return text + "\r\n\r\nPress OK on this page to try again.";
}

std::string PageFailureText(const std::string& page, const std::string& reason, bool filesQueued)
{
    std::string text = "The installer cannot show its " + page + " page:\r\n\r\n" + reason + "\r\n\r\n";
    if (filesQueued)
        return text + "The files are in Palm Desktop's install queue: HotSync your handheld to install them.";
    return text + "Nothing has been installed.";
}

std::string ControlsFailureText(const std::string& path, const std::string& reason)
{
    return "The installer cannot list the HotSync users: it cannot use the Windows common controls\r\n" +
           (path.empty() ? std::string("the system folder") : path) + "\r\n\r\n" + reason +
           "\r\n\r\nNothing has been installed.";
}

// ---------------------------------------------------------------- folders the code page cannot spell

namespace {

// The words of these texts are ASCII, the same in every code page.
std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

const char kLettersLacking[] =
    "Its name has letters that Windows' language for non-Unicode programs lacks, and it has no short name without "
    "them.";

}  // namespace

std::wstring UnspellableBaseFolderText(const std::wstring& folder)
{
    return L"setup.exe cannot read its package in this folder:\r\n\r\n" + folder + L"\r\n\r\n" +
           Wide(kLettersLacking) +
           L" Please move the package to a folder named in plain letters, for example C:\\Mirabo, and run "
           L"setup.exe from there.\r\n\r\nNothing has been installed.";
}

DesktopProblem JudgeDesktopFolder(const std::string& folder, const std::wstring& unspellable, const char* notFound)
{
    if (!unspellable.empty())
        return DesktopProblem::Unspellable;
    return JudgeDesktopFolder(folder, notFound);
}

std::wstring UnspellableDesktopText(const std::wstring& folder, const char* valueName)
{
    return L"Palm Desktop's install library cannot be loaded from its folder, as the registry value " +
           Wide(valueName) + L" names it:\r\n\r\n" + folder + L"\r\n\r\n" + Wide(kLettersLacking) +
           L" Please reinstall Palm Desktop in a folder named in plain letters, for example C:\\Palm.";
}
