#include "core/PackageList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Texts;

// The lines a package list with exactly these bytes is read as.
std::vector<ListLine> Read(const std::string& bytes)
{
    std::FILE* f = std::tmpfile();
    EXPECT_NE(nullptr, f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    std::vector<ListLine> lines;
    EXPECT_TRUE(ReadListLines(f, &lines));
    std::fclose(f);
    return lines;
}

Texts TextsOf(const std::vector<ListLine>& lines)
{
    Texts t;
    for (const ListLine& l : lines)
        t.push_back(l.text);
    return t;
}

struct Built {
    ListResult result;
    Texts paths;
};

Built Build(const std::string& bytes, const std::string& base = "C:\\Setup\\")
{
    static PathSlot table[kMaxFiles];
    std::memset(table, 0x5A, sizeof table);
    std::int32_t count = -1;
    Built b;
    b.result = BuildFileList(Read(bytes), base, table, &count);
    for (int i = 0; i < count; ++i)
        b.paths.push_back(table[i]);
    return b;
}

TEST(PackageList, LineEnds)
{
    EXPECT_EQ((Texts{"a.prc", "b.pdb", "c.prc"}), TextsOf(Read("a.prc\nb.pdb\nc.prc")));
    EXPECT_EQ((Texts{"a.prc", "b.pdb"}), TextsOf(Read("a.prc\r\nb.pdb\r\n")));
    EXPECT_EQ((Texts{"a.prc", "b.pdb"}), TextsOf(Read("a.prc\r\nb.pdb\n")));
    // A lone CR is part of the name, as text reading leaves it.
    EXPECT_EQ((Texts{"a\rb", "c\r"}), TextsOf(Read("a\rb\nc\r")));
    EXPECT_EQ((Texts{"", "x", ""}), TextsOf(Read("\nx\n\n")));
    EXPECT_EQ(Texts{}, TextsOf(Read("")));
    // Ctrl-Z ends a text file.
    EXPECT_EQ((Texts{"a.prc"}), TextsOf(Read("a.prc\n\x1A" "b.prc\n")));
}

TEST(PackageList, LongLinesAreReadIn299CharacterPieces)
{
    std::string l298(298, 'a'), l299(299, 'b'), l300(300, 'c');
    EXPECT_EQ((Texts{l298, "x"}), TextsOf(Read(l298 + "\nx\n")));
    // 299 characters fill one read; its newline comes as an empty next line.
    EXPECT_EQ((Texts{l299, "", "x"}), TextsOf(Read(l299 + "\nx\n")));
    EXPECT_EQ((Texts{std::string(299, 'c'), "c", "x"}), TextsOf(Read(l300 + "\nx")));
    std::string l1000(1000, 'd');
    Texts pieces = TextsOf(Read(l1000));
    ASSERT_EQ(4u, pieces.size());
    EXPECT_EQ(std::string(299, 'd'), pieces[0]);
    EXPECT_EQ(std::string(103, 'd'), pieces[3]);
    // A CR LF pair counts as one character, as text reading sees it.
    EXPECT_EQ((Texts{l298, "x"}), TextsOf(Read(l298 + "\r\nx")));
}

TEST(PackageList, ZeroBytesAreNoticed)
{
    std::vector<ListLine> lines = Read(std::string("a.prc\0junk\nb.prc\n", 17));
    ASSERT_EQ(2u, lines.size());
    EXPECT_TRUE(lines[0].hasZeroByte);
    EXPECT_FALSE(lines[1].hasZeroByte);
    Built b = Build(std::string("a.prc\nb\0.prc\n", 13));
    EXPECT_EQ(ListProblem::ZeroByte, b.result.problem);
    EXPECT_EQ(2, b.result.line);
    EXPECT_TRUE(b.paths.empty());
}

// A stream that hands out `bytes` a few at a time and then fails, as a file
// on a scratched disc or a lost network share does; failAt == size() ends
// normally instead.
struct FailingSource {
    std::string bytes;
    std::size_t failAt;
    std::size_t at;
};

ssize_t ReadFailing(void* cookie, char* buffer, std::size_t size)
{
    FailingSource* source = static_cast<FailingSource*>(cookie);
    if (source->at == source->bytes.size())
        return 0;
    if (source->at == source->failAt) {
        errno = EIO;
        return -1;
    }
    std::size_t n = std::min({size, source->failAt - source->at, std::size_t(3)});
    if (source->failAt == source->bytes.size())
        n = std::min(size, source->bytes.size() - source->at);
    std::memcpy(buffer, source->bytes.data() + source->at, n);
    source->at += n;
    return static_cast<ssize_t>(n);
}

bool ReadThroughFailure(const std::string& bytes, std::size_t failAt, std::vector<ListLine>* lines)
{
    FailingSource source = {bytes, failAt, 0};
    cookie_io_functions_t io = {ReadFailing, nullptr, nullptr, nullptr};
    std::FILE* f = fopencookie(&source, "rb", io);
    EXPECT_NE(nullptr, f);
    if (!f)
        return true;
    bool read = ReadListLines(f, lines);
    std::fclose(f);
    return read;
}

TEST(PackageList, AReadErrorIsNotTheEndOfTheList)
{
    const std::string list = "a.prc\r\nb.pdb\r\nc.prc\r\n";
    std::vector<ListLine> lines;
    // The same stream without the failure reads the whole list.
    EXPECT_TRUE(ReadThroughFailure(list, list.size(), &lines));
    EXPECT_EQ((Texts{"a.prc", "b.pdb", "c.prc"}), TextsOf(lines));
    // Failing at once, inside a name, between CR and LF, just after a line
    // end, and just before the end: never a shorter list.
    for (std::size_t failAt : {std::size_t(0), std::size_t(3), std::size_t(6), std::size_t(7), list.size() - 1}) {
        SCOPED_TRACE("failing after byte " + std::to_string(failAt));
        EXPECT_FALSE(ReadThroughFailure(list, failAt, &lines));
    }
}

TEST(PackageList, PathsInListOrderBlankLinesSkipped)
{
    Built b = Build("a.prc\n\nsub\\b.pdb\n  spaced .prc \nc.prc");
    EXPECT_EQ(ListProblem::None, b.result.problem);
    EXPECT_EQ((Texts{"C:\\Setup\\a.prc", "C:\\Setup\\sub\\b.pdb", "C:\\Setup\\  spaced .prc ",
                     "C:\\Setup\\c.prc"}),
              b.paths);
    EXPECT_TRUE(Build("").paths.empty());
    EXPECT_EQ(ListProblem::None, Build("\n\r\n\n").result.problem);
}

TEST(PackageList, TableLimits)
{
    std::string list;
    for (int i = 0; i < kMaxFiles; ++i)
        list += "f" + std::to_string(i) + ".prc\n";
    Built full = Build(list + "\n\n");
    EXPECT_EQ(ListProblem::None, full.result.problem);
    ASSERT_EQ(200u, full.paths.size());
    EXPECT_EQ("C:\\Setup\\f199.prc", full.paths.back());

    Built over = Build(list + "one-more.prc\n");
    EXPECT_EQ(ListProblem::TooManyFiles, over.result.problem);
    EXPECT_EQ(201, over.result.line);
    EXPECT_TRUE(over.paths.empty());
}

TEST(PackageList, PathsAreNeverCutShort)
{
    std::string base = "C:\\Setup\\";   // 9 characters
    std::string fits(199 - base.size(), 'p');
    Built ok = Build(fits + "\n", base);
    ASSERT_EQ(1u, ok.paths.size());
    EXPECT_EQ(199u, ok.paths[0].size());

    Built tooLong = Build("a.prc\n" + fits + "q\n", base);
    EXPECT_EQ(ListProblem::PathTooLong, tooLong.result.problem);
    EXPECT_EQ(2, tooLong.result.line);
    EXPECT_TRUE(tooLong.paths.empty());

    // A base folder that alone fills the slot refuses every entry.
    EXPECT_EQ(ListProblem::PathTooLong, Build("a\n", std::string(250, 'B') + "\\").result.problem);
}

}  // namespace
