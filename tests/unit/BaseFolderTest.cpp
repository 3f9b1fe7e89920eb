#include "core/BaseFolder.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* commandLine;
    const char* currentDirectory;
    const char* expected;
};

const Case kCases[] = {
    // The program path, quoted or not, names the folder.
    {"\"C:\\Shop\\Setup\\setup.exe\"", "D:\\Elsewhere", "C:\\Shop\\Setup\\"},
    {"C:\\Shop\\Setup\\setup.exe", "D:\\Elsewhere", "C:\\Shop\\Setup\\"},
    // Arguments after the program path are not read.
    {"\"C:\\Shop\\Setup\\setup.exe\" /q x.y\\z", "D:\\Elsewhere", "C:\\Shop\\Setup\\"},
    {"C:\\Shop\\Setup\\setup.exe /s:a.b\\c", "D:\\Elsewhere", "C:\\Shop\\Setup\\"},
    {"\"C:\\Program Files\\Mirabo\\setup.exe\" --x", "D:\\", "C:\\Program Files\\Mirabo\\"},
    {"C:\\Setup\\setup.exe\tlast", "D:\\", "C:\\Setup\\"},
    // No dot, or no backslash before the dot: the current directory.
    {"C:\\Shop\\Setup\\setup", "D:\\Work", "D:\\Work\\"},
    {"setup.exe", "D:\\Work", "D:\\Work\\"},
    {"\"setup.exe\"", "D:\\Work", "D:\\Work\\"},
    // A drive root keeps its backslash and gains one.
    {"setup", "C:\\", "C:\\\\"},
    // Position 0 is never taken as the dot or the backslash.
    {".\\setup", "D:\\Work", "D:\\Work\\"},
    {"\\setup.exe", "D:\\Work", "D:\\Work\\"},
    {"\\\\server\\share\\setup.exe", "D:\\Work", "\\\\server\\share\\"},
    // A dot in a folder name, with the nearest backslash before it.
    {"C:\\v1.2\\setup", "D:\\Work", "C:\\"},
    // Odd command lines fall back without reading past their end.
    {"", "D:\\Work", "D:\\Work\\"},
    {"\"", "D:\\Work", "D:\\Work\\"},
    {"\"\"", "D:\\Work", "D:\\Work\\"},
    {"\"C:\\Shop\\setup.exe", "D:\\Work", "C:\\Shop\\"},
    {" C:\\Shop\\setup.exe", "D:\\Work", "D:\\Work\\"},
    {".", "", "\\"},
};

TEST(BaseFolder, EveryCommandLineShape)
{
    for (const Case& c : kCases) {
        EXPECT_EQ(c.expected, DeriveBaseFolder(c.commandLine, c.currentDirectory))
            << "command line [" << c.commandLine << "], current directory [" << c.currentDirectory << "]";
    }
}

std::wstring Wide(const char* ascii)
{
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

// The Unicode command line follows the same rules, and keeps letters no
// code page has.
TEST(BaseFolder, UnicodeCommandLineFollowsTheSameRules)
{
    for (const Case& c : kCases) {
        EXPECT_EQ(Wide(c.expected), DeriveBaseFolder(Wide(c.commandLine).c_str(), Wide(c.currentDirectory)))
            << "command line [" << c.commandLine << "], current directory [" << c.currentDirectory << "]";
    }
    EXPECT_EQ(L"C:\\Work\\\u0E0A\u0E38\u0E14 \u0417\\",
              DeriveBaseFolder(L"\"C:\\Work\\\u0E0A\u0E38\u0E14 \u0417\\setup.exe\" /x", L"D:\\"));
    EXPECT_EQ(L"D:\\\u0417\\", DeriveBaseFolder(static_cast<const wchar_t*>(nullptr), L"D:\\\u0417"));
}

TEST(BaseFolder, LongCurrentDirectoryIsUsedWhole)
{
    std::string deep = "C:";
    while (deep.size() < 1000)
        deep += "\\level";
    EXPECT_EQ(deep + "\\", DeriveBaseFolder("setup", deep));
}

TEST(BaseFolder, NullCommandLineFallsBack)
{
    EXPECT_EQ("D:\\\\", DeriveBaseFolder(nullptr, "D:\\"));
}

}  // namespace
