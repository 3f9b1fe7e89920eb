// Checks a package folder (the folder setup.exe is shipped in) by the
// installer's own rules, before a customer meets a mistake in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/PackageList.h"
#include "packager/Rules.h"

struct Finding {
    std::string file;   // relative to the package folder
    int line;           // 1-based line of a list or notes file; 0 for the whole file
    Rule rule;
    std::string text;   // what is wrong and why, without the rule's id

    Severity severity() const { return RuleSeverity(rule); }
};

// A list entry the installer would take and that fits a path slot: a
// non-blank line without a zero byte, of at most kLongestEntry characters.
struct ListEntry {
    int line;           // the line as an editor counts it
    std::string name;
};

// The shortest folder a package can be copied to is a drive root, "C:" plus
// the backslash the installer adds.
const int kShortestFolder = 2;
// Entry lengths up to this fit a path slot below the shortest folder.
const int kLongestEntry = kPathSlot - 1 - (kShortestFolder + 1);

// The longest folder path (without its trailing backslash) under which an
// entry of `entryLength` characters still fits a path slot.
int DeepestFolderFor(int entryLength);

// The line-level rules of one list: blank lines, blanks around a name, zero
// bytes, over-long names (one error per line of the file, however many reads
// the installer makes of it) and the kMaxFiles limit. Appends its findings,
// adds the number of the list's entries to *entryCount and returns those
// that fit.
std::vector<ListEntry> CheckListLines(const std::string& listName, const std::vector<ListLine>& lines,
                                      std::vector<Finding>* findings, int* entryCount);

// A name as the report shows it: in quotes, every byte outside printable
// ASCII as \xHH, so that the report is plain ASCII whatever the name's
// encoding.
std::string Quote(const std::string& text);

struct PackageReport {
    std::vector<Finding> findings;
    int entries = 0;          // entries over both lists, whether they fit or not
    int longestEntry = -1;    // the longest of those that fit; -1 without one
    std::string longestWhere; // "install.cfg:3"
    int deepestFolder = -1;   // DeepestFolderFor(longestEntry)
    int errors = 0;
    int warnings = 0;
};

// Checks the whole folder (its path in UTF-8), reading list names in the
// customer's ANSI code page `codePage` (IsKnownCodePage). False, with
// `failure` set, only when the folder itself cannot be read; every problem
// inside it is a finding.
bool CheckPackage(const std::string& folder, int codePage, PackageReport* report, std::string* failure);

// "1 entry", "2 entries".
std::string Plural(std::uint64_t n, const char* one, const char* many);

// A folder where a customer might well copy the package, of at most `length`
// characters, for the report; empty when not even a drive root fits.
std::string ExampleFolder(int length);
