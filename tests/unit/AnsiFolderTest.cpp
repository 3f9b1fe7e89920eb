#include "core/AnsiFolder.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const char* what;
    AnsiForms forms;
    AnsiSpelling spelling;
    const char* path;
};

// What the system gives for a folder, as ANSI forms, and which one is used.
const Row kRows[] = {
    {"spelled: its own name, even with a short one", {"C:\\Work\\Setup\\", true, "C:\\Work\\Setup\\", true},
     AnsiSpelling::Long, "C:\\Work\\Setup\\"},
    {"spelled, no short name asked for", {"C:\\Work\\\xCA\xD4\\", true, "", false}, AnsiSpelling::Long,
     "C:\\Work\\\xCA\xD4\\"},
    {"not spelled, short name spelled", {"C:\\Work\\??????\\", false, "C:\\Work\\5QPQ~1\\", true},
     AnsiSpelling::Short, "C:\\Work\\5QPQ~1\\"},
    {"not spelled, no short name (8.3 names off, or no folder)", {"D:\\??????\\", false, "", true},
     AnsiSpelling::None, ""},
    {"not spelled, 8.3 off: the long name given back as the short one", {"D:\\??????\\", false, "D:\\??????\\", false},
     AnsiSpelling::None, ""},
    {"not spelled, short name not spelled either", {"C:\\??????\\", false, "C:\\??~1\\", false},
     AnsiSpelling::None, ""},
};

TEST(AnsiFolder, OwnNameThenShortNameThenNone)
{
    for (const Row& row : kRows) {
        AnsiFolder got = ChooseAnsiFolder(row.forms);
        EXPECT_EQ(got.spelling, row.spelling) << row.what;
        EXPECT_EQ(got.path, row.path) << row.what;
    }
}

}  // namespace
