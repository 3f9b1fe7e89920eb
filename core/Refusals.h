// Every refusal and failure a customer can meet, decided and worded here: the
// pages and the Palm side find out what happened and show the text in a
// message box; the framework shows the texts the application hands it at
// start. Plain C++ without the Windows API, so that every wording is checked
// natively.
//
// The texts are 8-bit ANSI text, shown through the ANSI message box: ASCII
// only, apart from the names and paths they quote, which are the system's own
// ANSI bytes. A Thai word here would be garbage on an English Windows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/PackageList.h"

// The captions: the file-error box, and every other stop.
inline constexpr char kErrorCaption[] = "Error";
inline constexpr char kFileErrorCaption[] = "File error";

// What the program's runtime says when a step fails inside it and the run
// ends where it stands.
inline constexpr char kOutOfMemoryText[] = "There is not enough memory to complete this step.";
inline constexpr char kUnexpectedText[] = "An unexpected error stopped this step.";

// ---------------------------------------------------------------- system errors

// The system's description of an error as one sentence without its full stop
// and line end, to be quoted inside a line of one's own.
std::string SystemTextLine(const std::string& description);

// The system's description of `error` (as FormatMessage gave it: it may end
// in a line break, or be empty when the system has none) made into one line
// a customer can pass on: "<description> (error N)." Error 0 tells nothing,
// so it reads as no reason given.
std::string SystemReason(unsigned long error, const std::string& description);

// ---------------------------------------------------------------- files

// The file-error box for a file that could not be read: the system's
// description as it stands ("System error N." when it has none). When the
// error says the file or its folder is not there, `notFoundHint` follows.
std::string FileErrorText(const std::string& path, unsigned long error, const std::string& description,
                          const std::string& notFoundHint);

// The hint for a file of the package that is not there.
std::string PackageNotFoundHint();

// ---------------------------------------------------------------- Palm Desktop's folder

// Why Palm Desktop's install library cannot be loaded from its folder, if
// it cannot: decided once for both moments the customer hears of it.
enum class DesktopProblem { None, NotFound, NotFullPath, TooLong, Unspellable };

// `folder` as FindDesktopFolder gave it (`notFound` is its answer for no folder).
DesktopProblem JudgeDesktopFolder(const std::string& folder, const char* notFound);

// As the user page opens; `valueName` names the registry value read.
std::string DesktopProblemText(DesktopProblem problem, const std::string& folder, const char* valueName);

// ---------------------------------------------------------------- the library

enum class LibraryProblem { NotLoaded, NoEntryPoint };
// `detail` is the system's reason (SystemReason) when it could not be
// loaded, the name of the missing entry point otherwise.
std::string LibraryProblemText(const std::string& libraryPath, LibraryProblem problem, const std::string& detail);

// What a customer can do about a code of the library.
enum class LibraryAdvice { None, HotSyncOnce, WaitForHotSync, FreeDiskSpace, AskTheMaker, ReinstallPalmDesktop };

// A code the library documents, in words.
struct LibraryCode {
    int code;
    LibraryAdvice advice;
    const char* words;
};
// Every code Palm's install-aid header names, in its order.
extern const LibraryCode kLibraryCodes[];
extern const std::size_t kLibraryCodeCount;

// The code as a file's line shows it: "error -515: <words>" for a code the
// library documents, "error N" for any other.
std::string LibraryCodeText(int code);
// The advice for a documented code; None for any other.
LibraryAdvice LibraryCodeAdvice(int code);
// The sentence that says what to do; empty for None.
std::string LibraryAdviceText(LibraryAdvice advice);

// ---------------------------------------------------------------- confirming the user page

// What stops the files from being queued before the first one is handed
// over. Every such refusal says that nothing was installed.
enum class ConfirmProblem { NoLibrary, NoUsers, NoneChecked, NoName };
std::string ConfirmRefusal(ConfirmProblem problem, DesktopProblem why = DesktopProblem::None);

std::string ListRefusal(const std::string& listPath, const ListResult& result, const std::string& lineText);
std::string MissingFileRefusal(const std::string& file, const std::string& listPath);

struct RefusedFile {
    std::string path;
    int result;
};
// `refused` in list order; the box names the first 20 of them, each code in
// words, then what to do about any of them, each piece of advice once.
std::string QueueFailureText(const std::string& user, const std::vector<RefusedFile>& refused);

// ---------------------------------------------------------------- the run

// `page` names the page ("disclaimer"); `filesQueued` says whether the files
// had already been handed to Palm Desktop when the page failed.
std::string PageFailureText(const std::string& page, const std::string& reason, bool filesQueued);

// `path` is the full path of the common controls that could not be loaded or
// used, empty when the system folder could not be read.
std::string ControlsFailureText(const std::string& path, const std::string& reason);
inline constexpr char kControlsRefused[] =
    "They refused to register the list of users (InitCommonControlsEx failed).";

// ---------------------------------------------------------------- folders the code page cannot spell

// A folder whose name has letters the ANSI code page lacks, and no short
// name without them, cannot be named to an ANSI function. These texts quote
// it as Unicode, the one form the customer can read, so they are Unicode and
// go through the Unicode message box; their own words are ASCII.
inline constexpr wchar_t kErrorCaptionW[] = L"Error";

// At start, before the first page: nothing of the package is read.
std::wstring UnspellableBaseFolderText(const std::wstring& folder);

// `folder` as FindDesktopFolder gave it; `unspellable` the registry's folder
// as Unicode when it has no name the code page spells, which is refused
// before anything else is judged of it.
DesktopProblem JudgeDesktopFolder(const std::string& folder, const std::wstring& unspellable, const char* notFound);

// As the user page opens; `valueName` names the registry value read.
std::wstring UnspellableDesktopText(const std::wstring& folder, const char* valueName);

// Why confirming the user page then finds no library to queue with.
inline constexpr char kUnspellableDesktopReason[] =
    "Palm Desktop's folder is named in letters its install library cannot be given, so there is no HotSync user "
    "to install for.";
