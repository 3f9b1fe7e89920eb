// Plausibility of a Palm OS database header (the first 78 bytes of a .prc,
// .pdb or .pqa file, big-endian), as far as a packager can judge it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

const std::size_t kPalmHeaderSize = 78;

enum class PalmKind {
    Record,     // .pdb, .pqa
    Resource,   // .prc
};

// The kind a file of this name should be; false for a name whose extension
// is not a Palm OS database's.
bool PalmKindOfName(const std::string& name, PalmKind* kind);

// What looks wrong in a header: `head` holds the file's first `size` bytes
// (up to kPalmHeaderSize), `fileSize` the whole file's size. Empty when the
// header is plausible for a database of kind `expected`.
std::vector<std::string> CheckPalmHeader(const unsigned char* head, std::size_t size, std::uint64_t fileSize,
                                         PalmKind expected);
