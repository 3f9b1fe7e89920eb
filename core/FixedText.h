// Bounded text operations for the fixed-width fields of the installer state.
// Every write into a fixed field goes through these: they never write past the
// field, always leave it zero-terminated, and say when they had to stop short.
#pragma once

#include <cstddef>

// Length of the text in a field of fieldSize bytes; a field without a
// terminator counts as full (fieldSize) and is never read past its end.
std::size_t FieldLength(const char* field, std::size_t fieldSize);

// Copies src into dst; returns false when src did not fit whole (dst then holds
// the longest prefix that fits). A dst of size 0 is left untouched.
bool CopyText(char* dst, std::size_t dstSize, const char* src);

// Appends src to the text in dst; returns false when it did not fit whole.
bool AppendText(char* dst, std::size_t dstSize, const char* src);

template <std::size_t N>
inline bool CopyText(char (&dst)[N], const char* src) { return CopyText(dst, N, src); }

template <std::size_t N>
inline bool AppendText(char (&dst)[N], const char* src) { return AppendText(dst, N, src); }

template <std::size_t N>
inline std::size_t FieldLength(const char (&field)[N]) { return FieldLength(field, N); }
