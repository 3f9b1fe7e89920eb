#include "packager/PackageCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "packager/CodePage.h"
#include "packager/Folder.h"
#include "packager/PalmHeader.h"
#include "packager/TextCheck.h"

namespace {

const std::size_t kFullRead = kListLineSlot - 1;
// Far beyond any list of 200 names; a larger file is not a package list.
const std::uint64_t kMaxListBytes = 16u << 20;
// A customer's folder shallower than this is easily beaten (the desktop of a
// long user name, a download folder in a profile).
const int kComfortableDepth = 100;
const char kUtf8Mark[] = "\xEF\xBB\xBF";

struct ModeFiles {
    const char* list;
    const char* notes;
    const char* mode;
};
const ModeFiles kModes[] = {
    {"install.cfg", "install.tms", "Install"},
    {"update.cfg", "update.tms", "Update"},
};

// The guide's advice for each kind of text file.
const char kListAdvice[] = "keep names to plain ASCII letters, digits, '.', '-' and '_'";
const char kNotesAdvice[] = "save it as plain text in code page 874 (Thai), without a byte-order mark";

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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

std::string Upper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return upper;
}

// What Windows refuses in a file or folder name. Device names are reserved
// with any extension and with blanks before it: "nul.pdb", "COM0 .txt".
std::string NameProblem(const std::string& part)
{
    for (char c : part) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20)
            return "a Windows file name cannot hold control characters";
        if (std::string("<>:\"|?*").find(c) != std::string::npos)
            return std::string("a Windows file name cannot hold '") + c + "'";
    }
    std::string stem = part.substr(0, part.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    std::string upper = Upper(stem);
    bool device = upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL";
    if (upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
        upper[3] >= '0' && upper[3] <= '9')
        device = true;
    if (device)
        return Quote(part) + " is the name of a Windows device, not of a file";
    return std::string();
}

// "C:\A.prc": the installer puts the package folder before every line, so a
// full path names nothing inside it.
bool IsDrivePath(const std::string& name)
{
    return name.size() >= 3 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
           name[1] == ':' && IsSeparator(name[2]);
}

enum class Where { Found, Missing, IsFolder, NotAFolder, NotAFile, Outside, Absolute, BadName, Unreadable };

struct Resolved {
    Where where;
    std::string actual;   // relative path as found on disk (UTF-8), '/'-separated
    std::string detail;
    bool caseDiffers;
};

// How the bytes of a list line become the name Windows looks for.
struct Decoding {
    bool utf8;       // as UTF-8, to tell a list saved in UTF-8
    int codePage;    // otherwise in this ANSI code page, as the installer will
};

// Finds list entries the way Windows would: either separator, "." and ".."
// taken by name, trailing dots and blanks of the last part dropped, the bytes
// read in the customer's code page and compared in Unicode, without regard to
// case, with the names on disk. Folder listings are read once.
class Resolver {
public:
    explicit Resolver(const std::string& root) : root_(root) {}

    Resolved Resolve(const std::string& name, Decoding decoding)
    {
        if (IsDrivePath(name))
            return {Where::Absolute, std::string(), std::string(), false};
        std::vector<std::string> parts(1);
        for (char c : name) {
            if (IsSeparator(c))
                parts.emplace_back();
            else
                parts.back().push_back(c);
        }
        bool trailingSeparator = !name.empty() && IsSeparator(name.back());
        std::string& last = parts.back();
        if (last != "." && last != "..")
            while (!last.empty() && (last.back() == '.' || last.back() == ' '))
                last.pop_back();

        std::vector<std::string> path;
        for (const std::string& part : parts) {
            if (part.empty() || part == ".")
                continue;
            if (part == "..") {
                if (path.empty())
                    return {Where::Outside, std::string(), std::string(), false};
                path.pop_back();
                continue;
            }
            path.push_back(part);
        }
        if (path.empty())
            return {Where::IsFolder, std::string(), "it names the package folder itself", false};

        Resolved r = {Where::Found, std::string(), std::string(), false};
        for (std::size_t i = 0; i < path.size(); ++i) {
            std::string problem = NameProblem(path[i]);
            if (!problem.empty())
                return {Where::BadName, std::string(), problem, false};
            const Names* names = Listing(r.actual, &r.detail);
            if (!names) {
                r.where = Where::Unreadable;
                return r;
            }
            std::u16string wanted = decoding.utf8 ? FromUtf8(path[i]) : FromCodePage(decoding.codePage, path[i]);
            const std::string* match = nullptr;
            auto exact = names->exact.find(wanted);
            auto folded = names->folded.find(FoldedName(wanted));
            if (exact != names->exact.end())
                match = &exact->second;
            else if (folded != names->folded.end())
                match = &folded->second;
            if (!match) {
                r.where = Where::Missing;
                r.detail = r.actual.empty() ? std::string() : " (no " + Quote(path[i]) + " in " + Quote(r.actual) + ")";
                return r;
            }
            r.caseDiffers |= exact == names->exact.end();
            r.actual += (r.actual.empty() ? "" : "/") + *match;
            EntryInfo info = LookAt(root_ + "/" + r.actual);
            bool last = i + 1 == path.size();
            if (!info.error.empty()) {
                r.where = Where::Unreadable;
                r.detail = info.error;
                return r;
            }
            if (!last && info.kind != EntryKind::Folder) {
                r.where = Where::NotAFolder;
                return r;
            }
            if (last) {
                if (info.kind == EntryKind::Folder)
                    r.where = Where::IsFolder;
                else if (info.kind != EntryKind::File)
                    r.where = Where::NotAFile;
                else if (trailingSeparator)
                    r.where = Where::NotAFolder;
            }
        }
        return r;
    }

private:
    // A folder's names in UTF-16, as Windows holds them, each with its UTF-8
    // form for the paths the checker opens.
    struct Names {
        std::map<std::u16string, std::string> exact;
        std::map<std::u16string, std::string> folded;   // upper-cased → the first such name
    };

    const Names* Listing(const std::string& folder, std::string* error)
    {
        auto found = listings_.find(folder);
        if (found == listings_.end()) {
            std::vector<std::string> list;
            if (!ListFolder(folder.empty() ? root_ : root_ + "/" + folder, &list, error))
                return nullptr;
            Names names;
            for (const std::string& n : list) {
                std::u16string wide = FromUtf8(n);
                names.exact.emplace(wide, n);
                names.folded.emplace(FoldedName(wide), n);
            }
            found = listings_.emplace(folder, std::move(names)).first;
        }
        return &found->second;
    }

    std::string root_;
    std::map<std::string, Names> listings_;
};

class Checker {
public:
    Checker(const std::string& root, int codePage, PackageReport* report)
        : root_(root), codePage_(codePage), report_(report), resolver_(root)
    {
    }

    void Run()
    {
        for (const ModeFiles& mode : kModes)
            CheckNotes(mode);
        for (const ModeFiles& mode : kModes)
            CheckList(mode);
        if (report_->longestEntry >= 0)
            report_->deepestFolder = DeepestFolderFor(report_->longestEntry);
        for (const Finding& f : report_->findings)
            ++(f.severity == Severity::Error ? report_->errors : report_->warnings);
    }

private:
    void Add(const std::string& file, int line, Severity severity, const std::string& text)
    {
        report_->findings.push_back({file, line, severity, text});
    }

    // Reads a list or notes file whole, up to `limit` bytes; false after a finding.
    bool ReadWhole(const std::string& name, std::uint64_t limit, const std::string& whenMissing, std::string* bytes)
    {
        EntryInfo info = LookAt(root_ + "/" + name);
        if (!info.error.empty()) {
            Add(name, 0, Severity::Error, "cannot be read: " + info.error);
            return false;
        }
        if (info.kind == EntryKind::Missing) {
            Add(name, 0, Severity::Error, "is missing; " + whenMissing);
            return false;
        }
        if (info.kind != EntryKind::File) {
            Add(name, 0, Severity::Error, std::string("is ") + (info.kind == EntryKind::Folder ? "a folder" : "not a file") +
                                              "; " + whenMissing);
            return false;
        }
        if (info.size > limit) {
            Add(name, 0, Severity::Error, "is " + Plural(info.size, "byte", "bytes") + ", over the installer's limit of " +
                                              std::to_string(limit) + " bytes; the customer gets a file error");
            return false;
        }
        std::string error;
        if (!ReadHead(root_ + "/" + name, static_cast<std::size_t>(limit), bytes, &error)) {
            Add(name, 0, Severity::Error, "cannot be read: " + error);
            return false;
        }
        return true;
    }

    void CheckNotes(const ModeFiles& mode)
    {
        std::string bytes;
        std::string when = std::string("the mode page shows a file error ") +
                           (std::string(mode.mode) == "Install" ? "as it opens" : "when Update is chosen");
        if (!ReadWhole(mode.notes, kMaxNotesBytes, when, &bytes))
            return;
        if (bytes.empty()) {
            Add(mode.notes, 0, Severity::Warning, "is empty; the mode page shows no notes for " + std::string(mode.mode));
            return;
        }
        // One finding for the encoding: it explains the zero bytes and line ends too.
        ByteOrderMark utf16 = FindUtf16(bytes);
        if (utf16 != ByteOrderMark::None) {
            Add(mode.notes, 0, Severity::Warning,
                std::string("is ") + ByteOrderMarkName(utf16) +
                    " text; the mode page reads code page 874 and shows it as garbage cut short at the first zero "
                    "byte; " + kNotesAdvice);
            return;
        }
        bool mark = FindByteOrderMark(bytes) == ByteOrderMark::Utf8;
        if (IsUtf8WithNonAscii(bytes.substr(mark ? 3 : 0)))
            Add(mode.notes, 0, Severity::Warning,
                std::string("is UTF-8 text") + (mark ? " with a byte-order mark" : "") +
                    "; the mode page reads code page 874 (Thai) and shows its non-ASCII characters as garbage; " +
                    kNotesAdvice);
        else if (mark)
            Add(mode.notes, 1, Severity::Warning,
                std::string("starts with a UTF-8 byte-order mark, which the mode page shows as three stray "
                            "characters; ") + kNotesAdvice);
        std::size_t zero = bytes.find('\0');
        if (zero != std::string::npos) {
            int line = 1;
            for (std::size_t i = 0; i < zero; ++i)
                line += bytes[i] == '\n';
            Add(mode.notes, line, Severity::Warning,
                "holds a zero byte (at byte " + std::to_string(zero) + "); the notes are shown only up to it");
        }
        bool bareLf = false;
        for (std::size_t i = 0; i < bytes.size() && !bareLf; ++i)
            bareLf = bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
        if (bareLf)
            Add(mode.notes, 0, Severity::Warning,
                "has lines ending in LF alone; the notes box breaks lines only at CR LF, so they run together");
    }

    void CheckList(const ModeFiles& mode)
    {
        std::string bytes;
        std::string when = std::string("choosing ") + mode.mode + " ends in a file error and installs nothing";
        if (!ReadWhole(mode.list, kMaxListBytes, when, &bytes))
            return;
        ByteOrderMark utf16 = FindUtf16(bytes);
        if (utf16 != ByteOrderMark::None) {
            Add(mode.list, 0, Severity::Error,
                std::string("is ") + ByteOrderMarkName(utf16) +
                    " text; the installer reads lists as 8-bit text in the ANSI code page and refuses this one; save "
                    "it as plain text and " + kListAdvice);
            return;
        }

        std::vector<ListLine> lines;
        {
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRead(root_ + "/" + mode.list), std::fclose);
            if (!file || !ReadListLines(file.get(), &lines)) {
                Add(mode.list, 0, Severity::Error, "cannot be read");
                return;
            }
        }
        // The list's findings in line order, then those of the files it names.
        std::size_t start = report_->findings.size();
        int before = report_->entries;
        std::vector<ListEntry> entries = CheckListLines(mode.list, lines, &report_->findings, &report_->entries);
        if (report_->entries == before) {
            // Blank lines alone are one mistake: an empty list.
            auto first = report_->findings.begin() + static_cast<std::ptrdiff_t>(start);
            report_->findings.erase(std::remove_if(first, report_->findings.end(),
                                                   [](const Finding& f) { return f.severity == Severity::Warning; }),
                                    report_->findings.end());
            if (report_->findings.size() == start)
                Add(mode.list, 0, Severity::Warning,
                    std::string("names no file; choosing ") + mode.mode + " installs nothing");
        }

        struct Listed {
            std::string spelling;   // as the first line naming it has it
            std::vector<int> lines;
        };
        std::map<std::string, Listed> listed;   // file found on disk → the lines naming it
        std::vector<std::string> order;         // those files in list order
        for (const ListEntry& entry : entries) {
            int length = static_cast<int>(entry.name.size());
            if (length > report_->longestEntry) {
                report_->longestEntry = length;
                report_->longestWhere = std::string(mode.list) + ":" + std::to_string(entry.line);
            }
            if (DeepestFolderFor(length) < kComfortableDepth)
                Add(mode.list, entry.line, Severity::Warning,
                    "this " + std::to_string(length) + "-character entry fits only in a folder path of at most " +
                        std::to_string(DeepestFolderFor(length)) +
                        " characters; a customer who copies the package deeper cannot install it");
            if (entry.line == 1 && entry.name.compare(0, 3, kUtf8Mark) == 0) {
                Add(mode.list, entry.line, Severity::Error,
                    "the list starts with a UTF-8 byte-order mark, which the installer takes as part of the first "
                    "name, " + Quote(entry.name) + ", so it finds no such file; save the list without a byte-order "
                    "mark");
                continue;
            }
            Resolved r = resolver_.Resolve(entry.name, Decoding{false, codePage_});
            if (r.where != Where::Found) {
                Add(mode.list, entry.line, Severity::Error, Describe(entry.name, r));
                continue;
            }
            if (!IsAscii(entry.name))
                Add(mode.list, entry.line, Severity::Warning,
                    Quote(entry.name) + " is not plain ASCII: Windows finds it only where the system's code page is " +
                        std::to_string(codePage_) + ", the one it was saved in; " + kListAdvice);
            if (r.caseDiffers)
                Add(mode.list, entry.line, Severity::Warning,
                    Quote(entry.name) + " is found as " + Quote(r.actual) +
                        " only because Windows ignores case; write it as it is on disk, or it breaks on case-sensitive "
                        "media");
            Listed& file = listed[r.actual];
            if (file.lines.empty()) {
                file.spelling = entry.name;
                order.push_back(r.actual);
            }
            file.lines.push_back(entry.line);
        }
        for (const std::string& actual : order) {
            const Listed& file = listed[actual];
            if (file.lines.size() > 1)
                Add(mode.list, file.lines.front(), Severity::Warning,
                    Quote(file.spelling) + " is listed " + std::to_string(file.lines.size()) + " times (lines " +
                        LineNumbers(file.lines) + "); Palm Desktop queues it each time");
        }
        std::stable_sort(report_->findings.begin() + static_cast<std::ptrdiff_t>(start), report_->findings.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        for (const std::string& actual : order) {
            if (checked_.insert(actual).second)
                CheckPackageFile(actual);
        }
    }

    std::string Describe(const std::string& name, const Resolved& r)
    {
        std::string n = Quote(name);
        switch (r.where) {
        case Where::Missing:
            // Saved as UTF-8: the name is there, but not as the customer's Windows reads the bytes.
            if (!IsAscii(name) && IsUtf8WithNonAscii(name) &&
                resolver_.Resolve(name, Decoding{true, codePage_}).where == Where::Found)
                return n + " is missing as Windows reads it: the list is UTF-8, but the installer reads names in the "
                           "system's code page (" + std::to_string(codePage_) + " here), where these bytes are "
                           "other letters; " + kListAdvice;
            return n + " is missing" + r.detail;
        case Where::IsFolder:
            return n + (r.actual.empty() ? " names the package folder itself" : " is a folder") + ", not a file";
        case Where::NotAFolder:
            return n + ": " + Quote(r.actual) + " is a file, not a folder";
        case Where::NotAFile:
            return n + " is not a regular file";
        case Where::Outside:
            return n + " names a file outside the package folder";
        case Where::Absolute:
            return n + " is an absolute path, which names a file outside the package folder; list names are relative "
                       "to it";
        case Where::BadName:
            return n + ": " + r.detail;
        case Where::Unreadable:
            return n + " cannot be looked up: " + r.detail;
        case Where::Found:
            break;
        }
        return n;
    }

    // Findings about a listed file itself, reported once under its own name.
    void CheckPackageFile(const std::string& actual)
    {
        PalmKind kind;
        std::string head, error;
        std::string shown = Quote(actual);
        shown = shown.substr(1, shown.size() - 2);
        if (!ReadHead(root_ + "/" + actual, kPalmHeaderSize, &head, &error)) {
            Add(shown, 0, Severity::Error, "cannot be read: " + error);
            return;
        }
        if (!PalmKindOfName(actual, &kind)) {
            Add(shown, 0, Severity::Warning,
                "is not a Palm OS database (.prc, .pdb or .pqa); Palm Desktop may not install it");
            return;
        }
        EntryInfo info = LookAt(root_ + "/" + actual);
        for (const std::string& problem : CheckPalmHeader(reinterpret_cast<const unsigned char*>(head.data()),
                                                          head.size(), info.size, kind))
            Add(shown, 0, Severity::Warning, "does not look like a Palm OS database: " + problem);
    }

    std::string root_;
    int codePage_;
    PackageReport* report_;
    Resolver resolver_;
    std::set<std::string> checked_;
};

}  // namespace

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
        auto add = [&](Severity severity, const std::string& message) {
            findings->push_back({listName, line, severity, message});
        };
        if (text.empty()) {
            add(Severity::Warning, "blank line; the installer skips it");
        } else if (zero) {
            add(Severity::Error, "holds a zero byte; the installer refuses the list");
        } else {
            ++*entryCount;
            if (reads <= kMaxFiles && reads + pieces > kMaxFiles)
                add(Severity::Error, "the list names more than " + std::to_string(kMaxFiles) +
                                         " files; the installer refuses it");
            reads += pieces;
            if (static_cast<int>(text.size()) > kLongestEntry)
                add(Severity::Error,
                    "this " + std::to_string(text.size()) + "-character entry does not fit a " +
                        std::to_string(kPathSlot - 1) + "-character path even in a drive root (at most " +
                        std::to_string(kLongestEntry) + " characters); the installer refuses the list");
            else
                entries.push_back({line, text});
            if (IsBlank(text.front()) || IsBlank(text.back()))
                add(Severity::Warning, Quote(text) + " has leading or trailing blanks, taken as part of the name");
        }
        ++line;
    }
    return entries;
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
    Checker(folder, codePage, report).Run();
    return true;
}
