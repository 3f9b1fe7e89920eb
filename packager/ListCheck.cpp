#include "packager/ListCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>

#include "core/InstallerLimits.h"
#include "packager/Folder.h"
#include "packager/TextCheck.h"
#include "packager/TextFile.h"

namespace {

const std::size_t kFullRead = kListLineSlot - 1;
// Far beyond any list of kMaxFiles names; a larger file is not a package list.
const std::uint64_t kMaxListBytes = 16u << 20;
// A customer's folder shallower than this is easily beaten (the desktop of a
// long user name, a download folder in a profile).
const int kComfortableDepth = 100;

const TextFileRules kListFileRules = {Rule::ListMissing, Rule::ListNotAFile, Rule::ListUnreadable,
                                      Rule::ListTooLarge, false};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// "1, 4 and 9"; a long run is cut to its first three and its last.
std::string LineNumbers(const std::vector<int>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines.size() > 5 && i == 3) {
            text += ", ..., " + std::to_string(lines.back());
            break;
        }
        text += (i == 0 ? "" : i + 1 == lines.size() ? " and " : ", ") + std::to_string(lines[i]);
    }
    return text;
}

// The list's lines as the installer reads them; false after a finding that
// leaves nothing more to say of the list.
bool ReadList(const std::string& root, const PackageMode& mode, std::vector<Finding>* findings,
              std::vector<ListLine>* lines)
{
    std::string bytes;
    std::string when = std::string("choosing ") + mode.name + " ends in a file error and installs nothing";
    if (!ReadPackageText(root, mode.list, kMaxListBytes, kListFileRules, when, findings, &bytes))
        return false;
    ByteOrderMark utf16 = FindUtf16(bytes);
    if (utf16 != ByteOrderMark::None) {
        findings->push_back({mode.list, 0, Rule::ListUtf16,
                             std::string("is ") + ByteOrderMarkName(utf16) +
                                 " text; the installer reads lists as 8-bit text in the ANSI code page and refuses "
                                 "this one; save it as plain text and " + kListAdvice});
        return false;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRead(root + "/" + mode.list), std::fclose);
    if (!file || !ReadListLines(file.get(), lines)) {
        findings->push_back({mode.list, 0, Rule::ListUnreadable, "cannot be read"});
        return false;
    }
    return true;
}

// A list of blank lines alone is one mistake, an empty list: its blank-line
// warnings, from findings[start] on, give way to that one.
void ReportEmptyList(const PackageMode& mode, std::size_t start, std::vector<Finding>* findings)
{
    auto first = findings->begin() + static_cast<std::ptrdiff_t>(start);
    findings->erase(
        std::remove_if(first, findings->end(), [](const Finding& f) { return f.severity() == Severity::Warning; }),
        findings->end());
    if (findings->size() == start)
        findings->push_back(
            {mode.list, 0, Rule::ListEmpty, std::string("names no file; choosing ") + mode.name + " installs nothing"});
}

// The files on disk a list names, each with the lines that name it.
class ListedFiles {
public:
    void Add(const std::string& actual, const ListEntry& entry)
    {
        Listed& file = listed_[actual];
        if (file.lines.empty()) {
            file.spelling = entry.name;
            order_.push_back(actual);
        }
        file.lines.push_back(entry.line);
    }

    // Palm Desktop queues a file once for each line naming it: one warning
    // for each file listed more than once, on its first line.
    void WarnOfRepeats(const char* list, std::vector<Finding>* findings) const
    {
        for (const std::string& actual : order_) {
            const Listed& file = listed_.at(actual);
            if (file.lines.size() > 1)
                findings->push_back({list, file.lines.front(), Rule::ListRepeatedFile,
                                     Quote(file.spelling) + " is listed " + std::to_string(file.lines.size()) +
                                         " times (lines " + LineNumbers(file.lines) +
                                         "); Palm Desktop queues it each time"});
        }
    }

    const std::vector<std::string>& InListOrder() const { return order_; }

private:
    struct Listed {
        std::string spelling;   // as the first line naming it has it
        std::vector<int> lines;
    };
    std::map<std::string, Listed> listed_;
    std::vector<std::string> order_;
};

// The rules of one entry that fits a path slot. Returns the file it names
// as found on disk; empty when it names none.
std::string CheckEntry(const char* list, const ListEntry& entry, int codePage, Resolver* resolver,
                       std::vector<Finding>* findings)
{
    auto add = [&](Rule rule, const std::string& text) { findings->push_back({list, entry.line, rule, text}); };
    int length = static_cast<int>(entry.name.size());
    if (DeepestFolderFor(length) < kComfortableDepth)
        add(Rule::ListEntryLimitsDepth, "this " + std::to_string(length) +
                                            "-character entry fits only in a folder path of at most " +
                                            std::to_string(DeepestFolderFor(length)) +
                                            " characters; a customer who copies the package deeper cannot install it");
    if (entry.line == 1 && FindByteOrderMark(entry.name) == ByteOrderMark::Utf8) {
        add(Rule::ListByteOrderMark,
            "the list starts with a UTF-8 byte-order mark, which the installer takes as part of the first name, " +
                Quote(entry.name) + ", so it finds no such file; save the list without a byte-order mark");
        return std::string();
    }
    Resolved r = resolver->Resolve(entry.name, Decoding{false, codePage});
    if (r.where != Where::Found) {
        Unresolved why = resolver->Explain(entry.name, r, codePage);
        add(why.rule, why.text);
        return std::string();
    }
    if (!IsAscii(entry.name))
        add(Rule::FileNameNotAscii, Quote(entry.name) +
                                        " is not plain ASCII: Windows finds it only where the system's code page is " +
                                        std::to_string(codePage) + ", the one it was saved in; " + kListAdvice);
    if (r.caseDiffers)
        add(Rule::FileNameCase, Quote(entry.name) + " is found as " + Quote(r.actual) +
                                    " only because Windows ignores case; write it as it is on disk, or it breaks on "
                                    "case-sensitive media");
    return r.actual;
}

}  // namespace

std::vector<ListEntry> CheckListLines(const std::string& listName, const std::vector<ListLine>& lines,
                                      std::vector<Finding>* findings, int* entryCount)
{
    std::vector<ListEntry> entries;
    int reads = 0;   // non-blank reads, as the installer counts them
    int line = 1;
    std::size_t i = 0;
    while (i < lines.size()) {
        // The reads of one line of the file: a full read carries on in the next.
        std::string text;
        bool zero = false;
        int pieces = 0;
        bool more = true;
        for (; i < lines.size() && more; ++i) {
            text += lines[i].text;
            zero |= lines[i].hasZeroByte;
            more = lines[i].text.size() == kFullRead;
            pieces += !lines[i].text.empty();
        }
        auto add = [&](Rule rule, const std::string& message) { findings->push_back({listName, line, rule, message}); };
        if (text.empty()) {
            add(Rule::ListBlankLine, "blank line; the installer skips it");
        } else if (zero) {
            add(Rule::ListZeroByte, "holds a zero byte; the installer refuses the list");
        } else {
            ++*entryCount;
            if (reads <= kMaxFiles && reads + pieces > kMaxFiles)
                add(Rule::ListTooManyFiles,
                    "the list names more than " + std::to_string(kMaxFiles) + " files; the installer refuses it");
            reads += pieces;
            if (static_cast<int>(text.size()) > kLongestEntry)
                add(Rule::ListEntryTooLong,
                    "this " + std::to_string(text.size()) + "-character entry does not fit a " +
                        std::to_string(kPathSlot - 1) + "-character path even in a drive root (at most " +
                        std::to_string(kLongestEntry) + " characters); the installer refuses the list");
            else
                entries.push_back({line, text});
            if (IsBlank(text.front()) || IsBlank(text.back()))
                add(Rule::ListNameBlanks, Quote(text) + " has leading or trailing blanks, taken as part of the name");
        }
        ++line;
    }
    return entries;
}

std::vector<std::string> CheckList(const std::string& root, const PackageMode& mode, int codePage,
                                   Resolver* resolver, PackageReport* report)
{
    std::vector<ListLine> lines;
    if (!ReadList(root, mode, &report->findings, &lines))
        return {};
    // The list's findings in line order, then those of the files it names.
    std::size_t start = report->findings.size();
    int before = report->entries;
    std::vector<ListEntry> entries = CheckListLines(mode.list, lines, &report->findings, &report->entries);
    if (report->entries == before)
        ReportEmptyList(mode, start, &report->findings);

    ListedFiles listed;
    for (const ListEntry& entry : entries) {
        int length = static_cast<int>(entry.name.size());
        if (length > report->longestEntry) {
            report->longestEntry = length;
            report->longestWhere = std::string(mode.list) + ":" + std::to_string(entry.line);
        }
        std::string actual = CheckEntry(mode.list, entry, codePage, resolver, &report->findings);
        if (!actual.empty())
            listed.Add(actual, entry);
    }
    listed.WarnOfRepeats(mode.list, &report->findings);
    std::stable_sort(report->findings.begin() + static_cast<std::ptrdiff_t>(start), report->findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return listed.InListOrder();
}
