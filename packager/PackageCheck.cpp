#include "packager/PackageCheck.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "core/PackageFiles.h"
#include "packager/Folder.h"
#include "packager/ListCheck.h"
#include "packager/NotesCheck.h"
#include "packager/PalmHeader.h"
#include "packager/Resolver.h"

std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) {
            char hex[8];
            (void)std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out + "\"";
}

std::string Plural(std::uint64_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

int DeepestFolderFor(int entryLength)
{
    // folder + "\" + entry must leave room for the slot's terminator.
    return kPathSlot - 1 - 1 - entryLength;
}

std::string ExampleFolder(int length)
{
    // Deepest first: the first that fits is the most telling example.
    static const char* const kPlaces[] = {
        "C:\\Documents and Settings\\Administrator\\Local Settings\\Temp\\Mirabo",
        "C:\\Users\\Administrator\\Downloads\\Mirabo",
        "C:\\Mirabo",
        "D:",
    };
    for (const char* place : kPlaces) {
        if (static_cast<int>(std::strlen(place)) <= length)
            return place;
    }
    return std::string();
}

bool CheckPackage(const std::string& folder, int codePage, PackageReport* report, std::string* failure)
{
    *report = PackageReport();
    EntryInfo info = LookAt(folder);
    if (info.kind != EntryKind::Folder) {
        *failure = !info.error.empty() ? info.error
                   : info.kind == EntryKind::Missing ? "no such folder"
                                                      : "not a folder";
        return false;
    }
    std::vector<std::string> names;
    if (!ListFolder(folder, &names, failure))
        return false;

    // The notes first, as the mode page opens them; then each list, the
    // files it names after it, each file once however many lists name it.
    for (const PackageMode& mode : kPackageModes)
        CheckNotes(folder, mode, &report->findings);
    Resolver resolver(folder);
    std::set<std::string> checked;
    for (const PackageMode& mode : kPackageModes) {
        for (const std::string& actual : CheckList(folder, mode, codePage, &resolver, report)) {
            if (checked.insert(actual).second)
                CheckListedFile(folder, actual, &report->findings);
        }
    }
    if (report->longestEntry >= 0)
        report->deepestFolder = DeepestFolderFor(report->longestEntry);
    for (const Finding& f : report->findings)
        ++(f.severity() == Severity::Error ? report->errors : report->warnings);
    return true;
}
