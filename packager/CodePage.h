// Names as Windows sees them: list bytes read in an ANSI code page, names on
// disk in Unicode, and the two compared without regard to case.
#pragma once

#include <string>

// The ANSI code page of a Thai Windows, which the package is made for.
const int kDefaultCodePage = 874;

// True for the code pages the checker carries a table of.
bool IsKnownCodePage(int codePage);
// "874, 1250, ..." for the usage text.
std::string KnownCodePages();

// 8-bit text in `codePage` as UTF-16, byte for unit, as MultiByteToWideChar
// gives it (bytes a code page leaves undefined get its table's stand-ins).
std::u16string FromCodePage(int codePage, const std::string& bytes);

// UTF-8 (names on disk on Linux, and the checker's own paths) to UTF-16 and
// back. A byte that is not part of a well-formed sequence becomes U+FFFD.
std::u16string FromUtf8(const std::string& utf8);
std::string ToUtf8(const std::u16string& text);

// The key Windows compares file names by: each UTF-16 unit in upper case.
std::u16string FoldedName(const std::u16string& name);
