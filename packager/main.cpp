// check-package [--codepage N] FOLDER: checks a Mirabo package folder before
// it ships. Exit status: 0 no error (warnings allowed), 1 errors, 2
// unreadable folder or wrong arguments.
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "packager/CodePage.h"
#include "packager/PackageCheck.h"
#include "packager/ReportOutput.h"

namespace {

void Usage(ReportStream to)
{
    Print(to,
          "usage: check-package [--codepage N] FOLDER\n"
          "Checks the package folder that setup.exe ships in: its lists, notes and listed files,\n"
          "as the installer will find them on the customer's Windows.\n"
          "  --codepage N     the customer's ANSI code page, which list names are read in\n"
          "                   (default %d, Thai; known: %s)\n"
          "  -h, --help, /?   this text\n"
          "Exit status: 0 no error, 1 errors, 2 the folder cannot be read or a wrong command line.\n",
          kDefaultCodePage, KnownCodePages().c_str());
}

void PrintFinding(const Finding& f)
{
    std::string where = f.file;
    if (f.line > 0)
        where += ":" + std::to_string(f.line);
    Print(ReportStream::Out, "%s: %s: %s [%s]\n", where.c_str(),
          f.severity() == Severity::Error ? "error" : "warning", f.text.c_str(), RuleId(f.rule));
}

void PrintDepth(const PackageReport& report)
{
    if (report.deepestFolder >= 0)
        Print(ReportStream::Out,
              "The package fits in a folder path of at most %d characters, such as %s (longest entry: %s, "
              "%d characters).\n",
              report.deepestFolder, ExampleFolder(report.deepestFolder).c_str(), report.longestWhere.c_str(),
              report.longestEntry);
    else if (report.entries > 0)
        Print(ReportStream::Out,
              "The package fits in no folder: every entry is longer than the %d characters a drive root leaves.\n",
              kLongestEntry);
    else
        Print(ReportStream::Out, "The package names no file, so no folder is too deep for it.\n");
}

// The arguments in UTF-8, as the checker's file functions take paths.
int Run(const std::vector<std::string>& args)
{
    int codePage = kDefaultCodePage;
    const std::string* folder = nullptr;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            Usage(ReportStream::Out);
            return 0;
        }
        if (arg == "--codepage" || arg.compare(0, 11, "--codepage=") == 0) {
            std::string value = arg.size() > 10 ? arg.substr(11) : (i + 1 < args.size() ? args[++i] : "");
            if (value.empty()) {
                Print(ReportStream::Err, "check-package: --codepage needs a code page number\n");
                Usage(ReportStream::Err);
                return 2;
            }
            char* end = nullptr;
            long number = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || number <= 0 || number > 65535 ||
                !IsKnownCodePage(static_cast<int>(number))) {
                Print(ReportStream::Err, "check-package: code page '%s' is not one the checker knows (%s)\n",
                      value.c_str(), KnownCodePages().c_str());
                return 2;
            }
            codePage = static_cast<int>(number);
        } else if (arg.size() > 1 && arg[0] == '-') {
            Print(ReportStream::Err, "check-package: unknown option '%s'\n", arg.c_str());
            Usage(ReportStream::Err);
            return 2;
        } else if (folder || arg.empty()) {
            Usage(ReportStream::Err);
            return 2;
        } else {
            folder = &arg;
        }
    }
    if (!folder) {
        Usage(ReportStream::Err);
        return 2;
    }
    PackageReport report;
    std::string failure;
    if (!CheckPackage(*folder, codePage, &report, &failure)) {
        Print(ReportStream::Err, "check-package: %s: %s\n", folder->c_str(), failure.c_str());
        return 2;
    }
    for (const Finding& f : report.findings)
        PrintFinding(f);
    PrintDepth(report);
    Print(ReportStream::Out, "%s: %s, %s, %s checked\n", folder->c_str(),
          Plural(report.errors, "error", "errors").c_str(), Plural(report.warnings, "warning", "warnings").c_str(),
          Plural(report.entries, "entry", "entries").c_str());
    // A report that could not be written whole is no report.
    if (!FinishOutput())
        return 2;
    return report.errors > 0 ? 1 : 0;
}

}  // namespace

#ifdef _WIN32
// Taken as Unicode: in the ANSI code page a folder named in another script
// (a Thai folder on an English Windows) would arrive as "?".
extern "C" int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(ToUtf8(std::u16string(argv[i], argv[i] + std::wcslen(argv[i]))));
    return Run(args);
}
#else
int main(int argc, char** argv)
{
    return Run(std::vector<std::string>(argv, argv + argc));
}
#endif
