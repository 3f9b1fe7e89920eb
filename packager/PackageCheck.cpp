#include "packager/PackageCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "packager/Folder.h"
#include "packager/PalmHeader.h"
#include "packager/TextCheck.h"

namespace {

const std::size_t kFullRead = kListLineSlot - 1;
// Far beyond any list of 200 names; a larger file is not a package list.
const std::uint64_t kMaxListBytes = 16u << 20;

struct ModeFiles {
    const char* list;
    const char* notes;
    const char* mode;
};
const ModeFiles kModes[] = {
    {"install.cfg", "install.tms", "Install"},
    {"update.cfg", "update.tms", "Update"},
};

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

char Fold(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows compares names without regard to case; the names are 8-bit ANSI
// text, whose only cased letters the checker can know are ASCII ones.
std::string Folded(const std::string& name)
{
    std::string folded = name;
    for (char& c : folded)
        c = Fold(c);
    return folded;
}

// A name as the report shows it: in quotes, control bytes spelled out.
std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
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

// What Windows refuses in a file or folder name.
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
    std::string upper;
    for (char c : stem)
        upper.push_back(Fold(c));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    bool device = false;
    for (const char* d : kDevices)
        device |= upper == d;
    if (upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
        upper[3] >= '1' && upper[3] <= '9')
        device = true;
    if (device)
        return Quote(part) + " is the name of a Windows device, not of a file";
    return std::string();
}

enum class Where { Found, Missing, IsFolder, NotAFolder, NotAFile, Outside, BadName, Unreadable };

struct Resolved {
    Where where;
    std::string actual;   // relative path as found on disk, '/'-separated
    std::string detail;
    bool caseDiffers;
};

// Finds list entries the way Windows would: either separator, "." and ".."
// taken by name, trailing dots and blanks of the last part dropped, letters
// compared without regard to case. Folder listings are read once.
class Resolver {
public:
    explicit Resolver(const std::string& root) : root_(root) {}

    Resolved Resolve(const std::string& name)
    {
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
            const std::string* match = nullptr;
            auto exact = names->exact.find(path[i]);
            auto folded = names->folded.find(Folded(path[i]));
            if (exact != names->exact.end())
                match = &*exact;
            else if (folded != names->folded.end())
                match = &folded->second;
            if (!match) {
                r.where = Where::Missing;
                r.detail = r.actual.empty() ? std::string() : " (no " + Quote(path[i]) + " in " + Quote(r.actual) + ")";
                return r;
            }
            r.caseDiffers |= *match != path[i];
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
    struct Names {
        std::set<std::string> exact;
        std::map<std::string, std::string> folded;   // upper-cased → the first such name
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
                names.exact.insert(n);
                names.folded.emplace(Folded(n), n);
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
    Checker(const std::string& root, PackageReport* report) : root_(root), report_(report), resolver_(root) {}

    void Run()
    {
        for (const ModeFiles& mode : kModes)
            CheckNotes(mode);
        for (const ModeFiles& mode : kModes)
            CheckList(mode);
        if (report_->longestEntry >= 0) {
            report_->deepestFolder = DeepestFolderFor(report_->longestEntry);
            if (report_->deepestFolder >= kShortestFolder && report_->deepestFolder < 100) {
                std::size_t colon = report_->longestWhere.rfind(':');
                Add(report_->longestWhere.substr(0, colon), std::stoi(report_->longestWhere.substr(colon + 1)),
                    Severity::Warning,
                    "this " + std::to_string(report_->longestEntry) + "-character entry fits only in a folder path " +
                        "of at most " + std::to_string(report_->deepestFolder) +
                        " characters; a customer who copies the package deeper cannot install it");
            }
        }
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

    // Warnings every text file of the package shares.
    void CheckEncoding(const std::string& name, const std::string& bytes)
    {
        ByteOrderMark mark = FindByteOrderMark(bytes);
        if (mark != ByteOrderMark::None)
            Add(name, 1, Severity::Warning, std::string("starts with a ") + ByteOrderMarkName(mark) +
                                                " byte-order mark; save it as plain text in code page 874 (Thai)");
        if (mark != ByteOrderMark::Utf16LE && mark != ByteOrderMark::Utf16BE &&
            IsUtf8WithNonAscii(bytes.substr(ByteOrderMarkSize(mark))))
            Add(name, 0, Severity::Warning,
                "is UTF-8 text with non-ASCII characters; the installer reads code page 874 (Thai), so save it "
                "in that code page");
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
        CheckEncoding(mode.notes, bytes);
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
        CheckEncoding(mode.list, bytes);

        std::vector<ListLine> lines;
        {
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen((root_ + "/" + mode.list).c_str(), "rb"),
                                                                  std::fclose);
            if (!file || !ReadListLines(file.get(), &lines)) {
                Add(mode.list, 0, Severity::Error, "cannot be read");
                return;
            }
        }
        // The list's findings in line order, then those of the files it names.
        std::size_t start = report_->findings.size();
        std::vector<ListEntry> entries = CheckListLines(mode.list, lines, &report_->findings);
        if (entries.empty())
            Add(mode.list, 0, Severity::Warning,
                std::string("names no file; choosing ") + mode.mode + " installs nothing");

        std::map<std::string, int> listed;   // file found on disk → first line naming it
        std::vector<std::string> named;        // files not checked before, in list order
        for (const ListEntry& entry : entries) {
            ++report_->entries;
            if (static_cast<int>(entry.name.size()) > report_->longestEntry) {
                report_->longestEntry = static_cast<int>(entry.name.size());
                report_->longestWhere = std::string(mode.list) + ":" + std::to_string(entry.line);
            }
            Resolved r = resolver_.Resolve(entry.name);
            if (r.where != Where::Found) {
                Add(mode.list, entry.line, Severity::Error, Describe(entry.name, r));
                continue;
            }
            if (r.caseDiffers)
                Add(mode.list, entry.line, Severity::Warning,
                    Quote(entry.name) + " is found as " + Quote(r.actual) +
                        " only because Windows ignores case; write it as it is on disk, or it breaks on case-sensitive "
                        "media");
            auto first = listed.emplace(r.actual, entry.line);
            if (!first.second)
                Add(mode.list, entry.line, Severity::Warning,
                    Quote(entry.name) + " names the same file as line " + std::to_string(first.first->second) +
                        "; it is queued twice");
            if (checked_.insert(r.actual).second)
                named.push_back(r.actual);
        }
        std::stable_sort(report_->findings.begin() + static_cast<std::ptrdiff_t>(start), report_->findings.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        for (const std::string& file : named)
            CheckPackageFile(file);
    }

    std::string Describe(const std::string& name, const Resolved& r)
    {
        std::string n = Quote(name);
        switch (r.where) {
        case Where::Missing:
            return n + " is missing" + r.detail;
        case Where::IsFolder:
            return n + (r.actual.empty() ? " names the package folder itself" : " is a folder") + ", not a file";
        case Where::NotAFolder:
            return n + ": " + Quote(r.actual) + " is a file, not a folder";
        case Where::NotAFile:
            return n + " is not a regular file";
        case Where::Outside:
            return n + " names a file outside the package folder";
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
        if (!ReadHead(root_ + "/" + actual, kPalmHeaderSize, &head, &error)) {
            Add(actual, 0, Severity::Error, "cannot be read: " + error);
            return;
        }
        if (!PalmKindOfName(actual, &kind)) {
            Add(actual, 0, Severity::Warning,
                "is not a Palm OS database (.prc, .pdb or .pqa); Palm Desktop may not install it");
            return;
        }
        EntryInfo info = LookAt(root_ + "/" + actual);
        for (const std::string& problem : CheckPalmHeader(reinterpret_cast<const unsigned char*>(head.data()),
                                                          head.size(), info.size, kind))
            Add(actual, 0, Severity::Warning, "does not look like a Palm OS database: " + problem);
    }

    std::string root_;
    PackageReport* report_;
    Resolver resolver_;
    std::set<std::string> checked_;
};

}  // namespace

int DeepestFolderFor(int entryLength)
{
    // folder + "\" + entry must leave room for the slot's terminator.
    return kPathSlot - 1 - 1 - entryLength;
}

std::vector<ListEntry> CheckListLines(const std::string& listName, const std::vector<ListLine>& lines,
                                      std::vector<Finding>* findings)
{
    std::vector<ListEntry> entries;
    int line = 1;
    bool continued = false;   // this read carries on the previous one's line
    for (const ListLine& read : lines) {
        const std::string& text = read.text;
        auto add = [&](Severity severity, const std::string& message) {
            findings->push_back({listName, line, severity, message});
        };
        if (text.empty()) {
            if (!continued)
                add(Severity::Warning, "blank line; the installer skips it");
        } else if (read.hasZeroByte) {
            add(Severity::Error, "holds a zero byte; the installer refuses the list");
        } else {
            if (entries.size() == static_cast<std::size_t>(kMaxFiles))
                add(Severity::Error, "the list names more than " + std::to_string(kMaxFiles) +
                                         " files; the installer refuses it");
            if (static_cast<int>(text.size()) > kLongestEntry)
                add(Severity::Error,
                    "this " + std::to_string(text.size()) + "-character entry does not fit a " +
                        std::to_string(kPathSlot - 1) + "-character path even in a drive root (at most " +
                        std::to_string(kLongestEntry) + " characters)" +
                        (text.size() == kFullRead ? "; the rest of the line is read as the next entry" : ""));
            if (IsBlank(text.front()) || IsBlank(text.back()))
                add(Severity::Warning, Quote(text) + " has leading or trailing blanks, taken as part of the name");
            entries.push_back({line, text});
        }
        continued = text.size() == kFullRead;
        if (!continued)
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

bool CheckPackage(const std::string& folder, PackageReport* report, std::string* failure)
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
    Checker(folder, report).Run();
    return true;
}
