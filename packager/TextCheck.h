// Byte-level checks of the package's text files (lists and notes), which the
// installer reads as 8-bit text in the ANSI code page.
#pragma once

#include <cstddef>
#include <string>

enum class ByteOrderMark { None, Utf8, Utf16LE, Utf16BE };

ByteOrderMark FindByteOrderMark(const std::string& bytes);
std::size_t ByteOrderMarkSize(ByteOrderMark mark);
const char* ByteOrderMarkName(ByteOrderMark mark);

// UTF-16 text, told by its byte-order mark or, without one, by its zero
// bytes: every ASCII character in UTF-16 has one, always on the same side.
// Utf16LE, Utf16BE or None.
ByteOrderMark FindUtf16(const std::string& bytes);

// True when every byte is below 0x80.
bool IsAscii(const std::string& bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF) and hold at least one non-ASCII
// character. Thai text in code page 874 practically never passes.
bool IsUtf8WithNonAscii(const std::string& bytes);
