// A folder named in Unicode, made into the 8-bit path the ANSI functions take.
#pragma once

#include <string>

#include "core/AnsiFolder.h"

// `text` in the ANSI code page; false when a letter had to be replaced by
// the default character (never by a look-alike: best fit is off).
bool AfxToAnsi(const std::wstring& text, std::string* ansi);

// `folder` as the ANSI functions can be given it: ChooseAnsiFolder over its
// own name and, where that is not spelled, its short name.
AnsiFolder AfxAnsiFolder(const std::wstring& folder);
