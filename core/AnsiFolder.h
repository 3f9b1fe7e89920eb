// Which name of a folder the ANSI functions are given. The installer, its
// file classes and Palm Desktop's install library take 8-bit paths in the
// ANSI code page, which lacks the letters of most other scripts: a folder
// named in them is reached through its short (8.3) name, or not at all.
#pragma once

#include <string>

// What the system says of one folder, converted to the ANSI code page.
struct AnsiForms {
    std::string longForm;    // the folder's own name
    bool longLossless;       // every letter of it is in the code page
    std::string shortForm;   // its short name; empty when it has none (8.3 names off, or no such folder)
    bool shortLossless;
};

enum class AnsiSpelling { Long, Short, None };

struct AnsiFolder {
    AnsiSpelling spelling;
    std::string path;        // the form to use; empty for None
};

// The folder's own name where the code page spells it, else its short name
// where that is spelled, else none: the folder cannot be given to an ANSI
// function and nothing may be read from it.
AnsiFolder ChooseAnsiFolder(const AnsiForms& forms);
