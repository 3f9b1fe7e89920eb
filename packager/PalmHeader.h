// Plausibility of a Palm OS database header (the first 78 bytes of a .prc,
// .pdb or .pqa file, big-endian), as far as a packager can judge it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "packager/PackageCheck.h"

const std::size_t kPalmHeaderSize = 78;

enum class PalmKind {
    Record,     // .pdb, .pqa
    Resource,   // .prc
};

// The kind a file of this name should be; false for a name whose extension
// is not a Palm OS database's.
bool PalmKindOfName(const std::string& name, PalmKind* kind);

struct PalmProblem {
    Rule rule;
    std::string text;   // "its database name is empty"
};

// What looks wrong in a header: `head` holds the file's first `size` bytes
// (up to kPalmHeaderSize), `fileSize` the whole file's size. Empty when the
// header is plausible for a database of kind `expected`.
std::vector<PalmProblem> CheckPalmHeader(const unsigned char* head, std::size_t size, std::uint64_t fileSize,
                                         PalmKind expected);

// Findings about a listed file itself, `actual` as found in the package
// folder `root`, reported once under its own name: whether Palm Desktop
// takes its kind and how plausible its header is.
void CheckListedFile(const std::string& root, const std::string& actual, std::vector<Finding>* findings);
