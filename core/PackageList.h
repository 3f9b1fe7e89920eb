// Package lists: one file name per line, relative to the installer's folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/InstallerLimits.h"

struct ListLine {
    std::string text;       // without its line end
    bool hasZeroByte;       // a zero byte would cut the name short
};

// Reads every line of a stream opened in binary, the way text is read on
// Windows: CR LF and LF end a line, Ctrl-Z ends the file, and one read takes
// at most kListLineSlot - 1 characters, its newline included, so the rest of
// a longer line is read as the next line. False when reading failed before
// the end of the stream: the lines read by then are not the whole list.
[[nodiscard]] bool ReadListLines(std::FILE* stream, std::vector<ListLine>* lines);

enum class ListProblem {
    None,
    TooManyFiles,   // more entries than the file table holds
    PathTooLong,    // base folder + line does not fit a path slot
    ZeroByte,       // a line holds a zero byte
};

struct ListResult {
    ListProblem problem;
    int line;               // 1-based number of the offending read; 0 with None
};

// Turns the lines into full paths (base folder + line) in fileList, in order.
// Blank lines name no file and are skipped; every other line is taken as it
// stands. On any problem nothing is kept (*fileCount is 0): a path is never
// cut short, since that would name another file.
ListResult BuildFileList(const std::vector<ListLine>& lines, const std::string& baseFolder,
                         PathSlot* fileList, std::int32_t* fileCount);
