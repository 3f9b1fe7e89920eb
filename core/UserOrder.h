// Folding and ordering of HotSync user names for the user list.
#pragma once

#include <cstdint>

#include "core/InstallerLimits.h"

// Copies each name into its folding slot with ASCII capitals lowered (bytes
// 0x80-0xFF stay as they are) and records each name's length.
void FoldNames(const NameSlot* names, NameSlot* folded, std::int32_t* lengths, int count);

// Orders the entries by their folded names: ascending, byte by byte as signed
// 8-bit values with the terminator as 0 (so bytes 0x80-0xFF come before the
// terminator and before every ASCII byte); equal folded names keep the order
// the library reported them in. Names, folded names and lengths move together.
// Returns the longest name's length.
std::int32_t OrderUsers(NameSlot* names, NameSlot* folded, std::int32_t* lengths, int count);

// True when folded name a orders before folded name b.
bool FoldedBefore(const NameSlot& a, const NameSlot& b);
