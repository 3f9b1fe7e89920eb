#include "packager/Resolver.h"

#include <cstddef>
#include <utility>

#include "packager/CodePage.h"
#include "packager/Folder.h"
#include "packager/PackageCheck.h"
#include "packager/TextCheck.h"
#include "packager/TextFile.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string Upper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return upper;
}

// What Windows refuses in a file or folder name: Found when nothing, else
// BadCharacter or DeviceName with `detail` set. Device names are reserved
// with any extension and with blanks before it: "nul.pdb", "COM0 .txt".
Where NameProblem(const std::string& part, std::string* detail)
{
    for (char c : part) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20) {
            *detail = "a Windows file name cannot hold control characters";
            return Where::BadCharacter;
        }
        if (std::string("<>:\"|?*").find(c) != std::string::npos) {
            *detail = std::string("a Windows file name cannot hold '") + c + "'";
            return Where::BadCharacter;
        }
    }
    std::string stem = part.substr(0, part.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    std::string upper = Upper(stem);
    bool device = upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL";
    if (upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
        upper[3] >= '0' && upper[3] <= '9')
        device = true;
    if (!device)
        return Where::Found;
    *detail = Quote(part) + " is the name of a Windows device, not of a file";
    return Where::DeviceName;
}

// "C:\A.prc": the installer puts the package folder before every line, so a
// full path names nothing inside it.
bool IsDrivePath(const std::string& name)
{
    return name.size() >= 3 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
           name[1] == ':' && IsSeparator(name[2]);
}

// The parts of `name` as Windows walks them: "." and ".." taken, trailing
// dots and blanks of the last part dropped. Found, Outside or IsFolder (the
// package folder itself).
Where SplitPath(const std::string& name, std::vector<std::string>* path)
{
    std::vector<std::string> parts(1);
    for (char c : name) {
        if (IsSeparator(c))
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    std::string& last = parts.back();
    if (last != "." && last != "..")
        while (!last.empty() && (last.back() == '.' || last.back() == ' '))
            last.pop_back();
    for (const std::string& part : parts) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (path->empty())
                return Where::Outside;
            path->pop_back();
            continue;
        }
        path->push_back(part);
    }
    return path->empty() ? Where::IsFolder : Where::Found;
}

}  // namespace

Resolved Resolver::Resolve(const std::string& name, Decoding decoding)
{
    if (IsDrivePath(name))
        return {Where::Absolute, std::string(), std::string(), false};
    std::vector<std::string> path;
    Where split = SplitPath(name, &path);
    if (split == Where::IsFolder)
        return {Where::IsFolder, std::string(), "it names the package folder itself", false};
    if (split != Where::Found)
        return {split, std::string(), std::string(), false};

    Resolved r = {Where::Found, std::string(), std::string(), false};
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (!Step(path[i], i + 1 == path.size(), decoding, &r))
            return r;
    }
    if (r.where == Where::Found && !name.empty() && IsSeparator(name.back()))
        r.where = Where::NotAFolder;
    return r;
}

bool Resolver::Step(const std::string& part, bool last, Decoding decoding, Resolved* r)
{
    Where problem = NameProblem(part, &r->detail);
    if (problem != Where::Found) {
        *r = {problem, std::string(), r->detail, false};
        return false;
    }
    const Names* names = Listing(r->actual, &r->detail);
    if (!names) {
        r->where = Where::Unreadable;
        return false;
    }
    std::u16string wanted = decoding.utf8 ? FromUtf8(part) : FromCodePage(decoding.codePage, part);
    auto exact = names->exact.find(wanted);
    auto folded = names->folded.find(FoldedName(wanted));
    const std::string* match = exact != names->exact.end()       ? &exact->second
                               : folded != names->folded.end() ? &folded->second
                                                               : nullptr;
    if (!match) {
        r->where = Where::Missing;
        r->detail = r->actual.empty() ? std::string() : " (no " + Quote(part) + " in " + Quote(r->actual) + ")";
        return false;
    }
    r->caseDiffers |= exact == names->exact.end();
    r->actual += (r->actual.empty() ? "" : "/") + *match;
    EntryInfo info = LookAt(root_ + "/" + r->actual);
    if (!info.error.empty()) {
        r->where = Where::Unreadable;
        r->detail = info.error;
        return false;
    }
    if (!last && info.kind != EntryKind::Folder) {
        r->where = Where::NotAFolder;
        return false;
    }
    if (last && info.kind == EntryKind::Folder)
        r->where = Where::IsFolder;
    else if (last && info.kind != EntryKind::File)
        r->where = Where::NotAFile;
    return true;
}

const Resolver::Names* Resolver::Listing(const std::string& folder, std::string* error)
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

Unresolved Resolver::Explain(const std::string& name, const Resolved& r, int codePage)
{
    std::string n = Quote(name);
    switch (r.where) {
    case Where::Missing:
        // Saved as UTF-8: the name is there, but not as the customer's Windows reads the bytes.
        if (!IsAscii(name) && IsUtf8WithNonAscii(name) && Resolve(name, Decoding{true, codePage}).where == Where::Found)
            return {Rule::FileNameUtf8,
                    n + " is missing as Windows reads it: the list is UTF-8, but the installer reads names in the "
                        "system's code page (" + std::to_string(codePage) + " here), where these bytes are other "
                        "letters; " + kListAdvice};
        return {Rule::FileMissing, n + " is missing" + r.detail};
    case Where::IsFolder:
        return {Rule::FileIsFolder,
                n + (r.actual.empty() ? " names the package folder itself" : " is a folder") + ", not a file"};
    case Where::NotAFolder:
        return {Rule::FileParentIsFile, n + ": " + Quote(r.actual) + " is a file, not a folder"};
    case Where::NotAFile:
        return {Rule::FileNotRegular, n + " is not a regular file"};
    case Where::Outside:
        return {Rule::FileOutsidePackage, n + " names a file outside the package folder"};
    case Where::Absolute:
        return {Rule::FileAbsolutePath, n + " is an absolute path, which names a file outside the package folder; "
                                            "list names are relative to it"};
    case Where::BadCharacter:
        return {Rule::FileNameCharacter, n + ": " + r.detail};
    case Where::DeviceName:
        return {Rule::FileNameDevice, n + ": " + r.detail};
    case Where::Unreadable:
    case Where::Found:
        break;
    }
    return {Rule::FileLookupFailed, n + " cannot be looked up: " + r.detail};
}
