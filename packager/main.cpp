// check-package FOLDER: checks a Mirabo package folder before it ships.
// Exit status: 0 no error (warnings allowed), 1 errors, 2 unreadable folder
// or wrong arguments.
#include <cstdio>
#include <string>

#include "packager/PackageCheck.h"

namespace {

void Print(const Finding& f)
{
    std::string where = f.file;
    if (f.line > 0)
        where += ":" + std::to_string(f.line);
    std::printf("%s: %s: %s\n", where.c_str(), f.severity == Severity::Error ? "error" : "warning", f.text.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '\0' || std::string(argv[1]) == "--help") {
        (void)std::fprintf(stderr,
                     "usage: check-package FOLDER\n"
                     "Checks the package folder that setup.exe ships in: its lists, notes and listed files.\n");
        return 2;
    }
    std::string folder = argv[1];
    PackageReport report;
    std::string failure;
    if (!CheckPackage(folder, &report, &failure)) {
        (void)std::fprintf(stderr, "check-package: %s: %s\n", folder.c_str(), failure.c_str());
        return 2;
    }
    for (const Finding& f : report.findings)
        Print(f);
    if (report.deepestFolder >= kShortestFolder)
        std::printf("The package fits in a folder path of at most %d characters, such as %s (longest entry: %s, "
                    "%d characters).\n",
                    report.deepestFolder, ExampleFolder(report.deepestFolder).c_str(), report.longestWhere.c_str(),
                    report.longestEntry);
    std::printf("%s: %d error%s, %d warning%s, %d entr%s checked\n", folder.c_str(), report.errors,
                report.errors == 1 ? "" : "s", report.warnings, report.warnings == 1 ? "" : "s", report.entries,
                report.entries == 1 ? "y" : "ies");
    // A report that could not be written whole is no report.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return 2;
    return report.errors > 0 ? 1 : 0;
}
