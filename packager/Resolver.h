// Finds the files a package list names the way the customer's Windows
// would, and says why an entry names none.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "packager/Rules.h"

enum class Where {
    Found,
    Missing,
    IsFolder,
    NotAFolder,
    NotAFile,
    Outside,
    Absolute,
    BadCharacter,
    DeviceName,
    Unreadable,
};

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

// Why an entry names no file, for the report.
struct Unresolved {
    Rule rule;
    std::string text;
};

// Finds list entries the way Windows would: either separator, "." and ".."
// taken by name, trailing dots and blanks of the last part dropped, the bytes
// read in the customer's code page and compared in Unicode, without regard to
// case, with the names on disk. Folder listings are read once.
class Resolver {
public:
    explicit Resolver(const std::string& root) : root_(root) {}

    Resolved Resolve(const std::string& name, Decoding decoding);

    // The finding for `name`, which resolved as `r` (not Found) when read in
    // `codePage`.
    Unresolved Explain(const std::string& name, const Resolved& r, int codePage);

private:
    // A folder's names in UTF-16, as Windows holds them, each with its UTF-8
    // form for the paths the checker opens.
    struct Names {
        std::map<std::u16string, std::string> exact;
        std::map<std::u16string, std::string> folded;   // upper-cased → the first such name
    };

    const Names* Listing(const std::string& folder, std::string* error);
    // Looks up the next part of a path, `part`, in the folder r->actual;
    // false, with r->where set, when the path ends there.
    bool Step(const std::string& part, bool last, Decoding decoding, Resolved* r);

    std::string root_;
    std::map<std::string, Names> listings_;
};
