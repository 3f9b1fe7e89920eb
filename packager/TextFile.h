// The package's text files, the lists and the notes: reading one whole as
// the installer opens it, and the guide's advice for each kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packager/PackageCheck.h"

// The guide's advice for each kind of text file.
extern const char kListAdvice[];
std::string NotesAdvice();

// The rule each way of not getting at a text file breaks: lists and notes
// fail alike, but for the customer they are different mistakes.
struct TextFileRules {
    Rule missing;
    Rule notAFile;
    Rule unreadable;
    Rule tooLarge;
    // A file over the limit is refused by the installer (the notes), or
    // beyond what the checker reads (a list, whose size the installer takes).
    bool installersLimit;
};

// Reads `name` in the package folder `root` whole, up to `limit` bytes;
// false after a finding. `whenMissing` tells what the customer meets without
// the file.
bool ReadPackageText(const std::string& root, const std::string& name, std::uint64_t limit,
                     const TextFileRules& rules, const std::string& whenMissing, std::vector<Finding>* findings,
                     std::string* bytes);
