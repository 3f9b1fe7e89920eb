// What Palm Desktop's install library answers for a file, as far as the
// installer acts on it. What each code means to a customer is worded in
// core/Refusals (kLibraryCodes).
#pragma once

// The file is already waiting in the user's install queue.
inline constexpr int kPltAlreadyQueued = -512;

// Queued now, or already waiting in the queue: either way the next HotSync
// carries it.
inline bool IsQueued(int result)
{
    return result == 0 || result == kPltAlreadyQueued;
}
