#include "packager/PackageCheck.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/FixedText.h"
#include "packager/CodePage.h"
#include "packager/PalmHeader.h"
#include "packager/TextCheck.h"

namespace {

typedef std::vector<std::string> Lines;

std::string SourceFile(const std::string& relative)
{
    std::string self = __FILE__;
    return self.substr(0, self.rfind("tests/unit/")) + relative;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Real Thai release notes, in the code page a Thai packager saves them in.
std::string ThaiNotesCp874()
{
    std::string utf8 = Slurp(SourceFile("demo/package/install.txt"));
    iconv_t cd = iconv_open("CP874", "UTF-8");
    EXPECT_NE(reinterpret_cast<iconv_t>(-1), cd);
    std::string out(utf8.size(), '\0');
    char* in = &utf8[0];
    char* at = &out[0];
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    EXPECT_NE(static_cast<std::size_t>(-1), iconv(cd, &in, &inLeft, &at, &outLeft));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    std::string crlf;
    for (char c : out)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

// A Palm OS database header of `size` bytes in all (the rest zero).
std::string PalmFile(const std::string& name, bool resource, unsigned count, std::size_t size)
{
    std::string bytes(size, '\0');
    std::memcpy(&bytes[0], name.data(), std::min<std::size_t>(name.size(), size));
    if (size >= kPalmHeaderSize) {
        bytes[33] = resource ? 1 : 0;
        std::memcpy(&bytes[60], resource ? "applMrbo" : "DataMrbo", 8);
        bytes[76] = static_cast<char>(count >> 8);
        bytes[77] = static_cast<char>(count & 0xFF);
    }
    return bytes;
}

// A package folder of its own under /tmp, removed afterwards.
class Package {
public:
    Package()
    {
        char pattern[] = "/tmp/check-package-XXXXXX";
        root_ = ::mkdtemp(pattern);
    }
    ~Package()
    {
        std::string command = "rm -rf '" + root_ + "'";
        EXPECT_EQ(0, std::system(command.c_str()));
    }
    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(root_ + "/" + name, std::ios::binary) << bytes;
    }
    void Folder(const std::string& name) const { ASSERT_EQ(0, ::mkdir((root_ + "/" + name).c_str(), 0755)); }
    // The usual good package: Thai notes, both lists naming an application and a database.
    void Standard(const std::string& installList, const std::string& updateList = "Reader.prc\r\n") const
    {
        Write("install.tms", ThaiNotesCp874());
        Write("update.tms", "Fixes.\r\n");
        Write("install.cfg", installList);
        Write("update.cfg", updateList);
        Write("Reader.prc", PalmFile("Reader", true, 1, 88));
        Write("Guide.pdb", PalmFile("Guide", false, 2, 100));
    }
    // The findings by where and which rule: "file:line: rule-id", or
    // "file: rule-id" for the whole file.
    Lines Check(PackageReport* out = nullptr, int codePage = kDefaultCodePage) const
    {
        PackageReport report;
        std::string failure;
        EXPECT_TRUE(CheckPackage(root_, codePage, &report, &failure)) << failure;
        Lines lines;
        for (const Finding& f : report.findings)
            lines.push_back(f.file + (f.line ? ":" + std::to_string(f.line) : std::string()) + ": " +
                            RuleId(f.rule));
        if (out)
            *out = report;
        return lines;
    }
    std::string root_;
};

// Finding `i` says `words`: where the wording matters beyond the rule, the
// names as quoted and the numbers the maker acts on.
void ExpectSays(const PackageReport& report, std::size_t i, const std::string& words)
{
    ASSERT_LT(i, report.findings.size());
    EXPECT_NE(std::string::npos, report.findings[i].text.find(words)) << report.findings[i].text;
}

TEST(PackageCheck, CleanPackageAndItsDepth)
{
    Package p;
    p.Standard("Reader.prc\r\nGuide.pdb\r\n");
    PackageReport report;
    EXPECT_EQ(Lines(), p.Check(&report));
    EXPECT_EQ(3, report.entries);
    EXPECT_EQ(10, report.longestEntry);
    EXPECT_EQ("install.cfg:1", report.longestWhere);
    EXPECT_EQ(188, report.deepestFolder);
}

TEST(PackageCheck, DepthAgreesWithTheInstallersFileTable)
{
    // A folder of the reported depth takes the entry; one character more does not.
    for (int length : {1, 16, 150, kLongestEntry}) {
        int deepest = DeepestFolderFor(length);
        std::string folder = "C:";
        while (static_cast<int>(folder.size()) < deepest)
            folder += "\\Mirabo";
        folder.resize(static_cast<std::size_t>(deepest));
        if (folder.back() == '\\')
            folder.back() = '_';
        EXPECT_LE(ExampleFolder(deepest).size(), folder.size());
        EXPECT_FALSE(ExampleFolder(deepest).empty());
        std::vector<ListLine> lines = {{std::string(static_cast<std::size_t>(length), 'a'), false}};
        static PathSlot table[kMaxFiles];
        std::int32_t count = 0;
        EXPECT_EQ(ListProblem::None, BuildFileList(lines, folder + "\\", table, &count).problem) << length;
        EXPECT_EQ(ListProblem::PathTooLong, BuildFileList(lines, folder + "x\\", table, &count).problem) << length;
    }
    EXPECT_EQ(kShortestFolder, DeepestFolderFor(kLongestEntry));
}

TEST(PackageCheck, ListLineRules)
{
    Package p;
    std::string tooLong(kLongestEntry + 1, 'x');
    p.Standard(std::string("\xEF\xBB\xBFReader.prc\r\n\r\n Guide.pdb\r\nGui\0de.pdb\r\n", 41) + tooLong + "\r\n" +
               std::string(350, 'z') + "\r\nGuide.pdb\r\n");
    PackageReport report;
    // Each mistake once: the mark by name, a long line as one error however
    // many reads the installer makes of it.
    EXPECT_EQ((Lines{"install.cfg:1: list-byte-order-mark", "install.cfg:2: list-blank-line",
                     "install.cfg:3: list-name-blanks", "install.cfg:3: file-missing", "install.cfg:4: list-zero-byte",
                     "install.cfg:5: list-entry-too-long", "install.cfg:6: list-entry-too-long"}),
              p.Check(&report));
    ExpectSays(report, 0, "first name, \"\\xEF\\xBB\\xBFReader.prc\", so");
    ExpectSays(report, 5, "this 197-character entry does not fit a 199-character path even in a drive root (at most "
                          "196 characters)");
    EXPECT_EQ(6, report.entries);
    // The depth still comes, from the entries that fit.
    EXPECT_EQ(13, report.longestEntry);
    EXPECT_EQ("install.cfg:1", report.longestWhere);
    EXPECT_EQ(DeepestFolderFor(13), report.deepestFolder);
}

TEST(PackageCheck, ListsOfBlankLinesOrUtf16AreOneFinding)
{
    Package p;
    p.Standard("\r\n\r\n", std::string("R\0e\0a\0d\0e\0r\0.\0p\0r\0c\0\r\0\n\0", 24));
    PackageReport report;
    EXPECT_EQ((Lines{"install.cfg: list-empty", "update.cfg: list-utf16"}), p.Check(&report));
    ExpectSays(report, 1, "is UTF-16 (little-endian) text");
    p.Write("update.cfg", std::string("\xFE\xFF\0R\0.\0p\0r\0c", 12));
    EXPECT_EQ((Lines{"install.cfg: list-empty", "update.cfg: list-utf16"}), p.Check(&report));
    ExpectSays(report, 1, "is UTF-16 (big-endian) text");
}

TEST(PackageCheck, EveryShallowEntryIsWarnedAndTheDepthStays)
{
    Package p;
    std::string deep = std::string(189, 'g') + ".pdb";   // 193 characters
    std::string deeper = std::string(190, 'h') + ".pdb";
    p.Standard("Guide.pdb\r\n" + deep + "\r\n" + std::string(350, 'x') + "\r\n", deeper + "\r\n");
    p.Write(deep, PalmFile("Long", false, 0, 78));
    p.Write(deeper, PalmFile("Long", false, 0, 78));
    PackageReport report;
    EXPECT_EQ((Lines{"install.cfg:2: list-entry-limits-depth", "install.cfg:3: list-entry-too-long",
                     "update.cfg:1: list-entry-limits-depth"}),
              p.Check(&report));
    ExpectSays(report, 0, "this 193-character entry fits only in a folder path of at most 5 characters");
    ExpectSays(report, 2, "this 194-character entry fits only in a folder path of at most 4 characters");
    EXPECT_EQ(4, report.deepestFolder);
    EXPECT_EQ("update.cfg:1", report.longestWhere);
}

TEST(PackageCheck, TwoHundredEntriesAtMost)
{
    Package p;
    std::string list;
    for (int i = 0; i <= kMaxFiles; ++i) {
        p.Write("f" + std::to_string(i) + ".pdb", PalmFile("f", false, 0, 78));
        list += "f" + std::to_string(i) + ".pdb\r\n" + (i == 100 ? "\r\n" : "");
    }
    p.Standard(list);
    PackageReport report;
    // The blank line does not count, but moves the entry over the limit down one line.
    std::string over = std::to_string(kMaxFiles + 2);
    EXPECT_EQ((Lines{"install.cfg:102: list-blank-line", "install.cfg:" + over + ": list-too-many-files"}),
              p.Check(&report));
    ExpectSays(report, 1, "the list names more than " + std::to_string(kMaxFiles) + " files");
    // A line read in two pieces is two of the installer's kMaxFiles.
    list = std::string(350, 'y') + "\r\n";
    for (int i = 0; i < kMaxFiles - 1; ++i)
        list += "Guide.pdb\r\n";
    p.Write("install.cfg", list);
    std::string last = std::to_string(kMaxFiles);
    EXPECT_EQ((Lines{"install.cfg:1: list-entry-too-long", "install.cfg:2: list-repeated-file",
                     "install.cfg:" + last + ": list-too-many-files"}),
              p.Check(&report));
    ExpectSays(report, 1, "\"Guide.pdb\" is listed " + std::to_string(kMaxFiles - 1) + " times (lines 2, 3, 4, ..., " +
                              last + ")");
}

TEST(PackageCheck, ARepeatedFileIsOneWarningWithItsCount)
{
    Package p;
    p.Standard("Guide.pdb\r\nReader.prc\r\nguide.PDB\r\n.\\Guide.pdb\r\n", "Reader.prc\r\nReader.prc\r\n");
    PackageReport report;
    EXPECT_EQ((Lines{"install.cfg:1: list-repeated-file", "install.cfg:3: file-name-case",
                     "update.cfg:1: list-repeated-file"}),
              p.Check(&report));
    // Told by the first line's spelling; a line that differs only in case is the same file.
    ExpectSays(report, 0, "\"Guide.pdb\" is listed 3 times (lines 1, 3 and 4)");
    ExpectSays(report, 1, "\"guide.PDB\" is found as \"Guide.pdb\"");
}

TEST(PackageCheck, NamesAreFoundAsWindowsFindsThem)
{
    Package p;
    p.Folder("Data");
    p.Folder("Empty");
    p.Write("Data/Extra.pdb", PalmFile("Extra", false, 0, 78));
    p.Write("a:b.pdb", PalmFile("ab", false, 0, 78));
    p.Standard("data\\extra.PDB\r\n"
               "Data/Extra.pdb\r\n"
               "Data\\\\.\\Extra.pdb. \r\n"
               "Nowhere\\..\\Guide.pdb\r\n"
               "Data\\Missing.pdb\r\n"
               "Empty\r\n"
               "Guide.pdb\\x.pdb\r\n"
               "..\\Mirabo\\Guide.pdb\r\n"
               "a:b.pdb\r\n"
               "nul.pdb\r\n"
               "Reader.prc\\\r\n"
               "C:\\Mirabo\\Guide.pdb\r\n"
               "Data\\COM0\r\n"
               "lpt0.txt\r\n"
               "Con .pdb\r\n"
               "aux\r\n"
               "LPT9\r\n"
               "Tab\there.pdb\r\n");
    PackageReport report;
    EXPECT_EQ((Lines{"install.cfg:1: file-name-case", "install.cfg:1: list-repeated-file",
                     "install.cfg:3: list-name-blanks", "install.cfg:5: file-missing", "install.cfg:6: file-is-folder",
                     "install.cfg:7: file-parent-is-file", "install.cfg:8: file-outside-package",
                     "install.cfg:9: file-name-character", "install.cfg:10: file-name-device",
                     "install.cfg:11: file-parent-is-file", "install.cfg:12: file-absolute-path",
                     "install.cfg:13: file-name-device", "install.cfg:14: file-name-device",
                     "install.cfg:15: file-name-device", "install.cfg:16: file-name-device",
                     "install.cfg:17: file-name-device", "install.cfg:18: file-name-character"}),
              p.Check(&report));
    // The report names the part of the path that is wrong, and shows bytes a
    // name cannot show as \xHH.
    ExpectSays(report, 1, "\"data\\extra.PDB\" is listed 3 times (lines 1, 2 and 3)");
    ExpectSays(report, 3, "\"Data\\Missing.pdb\" is missing (no \"Missing.pdb\" in \"Data\")");
    ExpectSays(report, 5, "\"Guide.pdb\\x.pdb\": \"Guide.pdb\" is a file, not a folder");
    ExpectSays(report, 7, "cannot hold ':'");
    ExpectSays(report, 11, "\"Data\\COM0\": \"COM0\" is the name of a Windows device");
    ExpectSays(report, 16, "\"Tab\\x09here.pdb\": a Windows file name cannot hold control characters");
}

// The installer hands Windows the list's bytes, which it reads in the
// system's ANSI code page; the names on disk are Unicode.
TEST(PackageCheck, NamesAreReadInTheCustomersCodePage)
{
    Package p;
    p.Write("\xC3\xBC" "ber.prc", PalmFile("Uber", true, 0, 78));      // "über.prc" on disk
    p.Write("\xE0\xB8\x81\xE0\xB8\x82.pdb", PalmFile("Thai", false, 0, 78));   // Thai "ko kho"
    // Saved as UTF-8: on a Thai Windows the bytes are Thai letters, no such file.
    p.Standard("\xC3\xBC" "ber.prc\r\n"
               "\xA1\xA2.pdb\r\n"
               "\xA1\xA3.pdb\r\n");
    PackageReport report;
    EXPECT_EQ((Lines{"install.cfg:1: file-name-utf8", "install.cfg:2: file-name-not-ascii",
                     "install.cfg:3: file-missing"}),
              p.Check(&report));
    ExpectSays(report, 0, "\"\\xC3\\xBCber.prc\" is missing as Windows reads it");
    ExpectSays(report, 0, "the system's code page (874 here)");
    ExpectSays(report, 1, "the system's code page is 874, the one it was saved in");
    // The same folder for a Western customer: code page 1252, with case
    // folded beyond ASCII ("\xDC" is U+00DC, upper-case u umlaut).
    p.Write("install.cfg", "\xFC" "ber.prc\r\n\xDC" "BER.prc\r\n\xA1\xA2.pdb\r\n");
    EXPECT_EQ((Lines{"install.cfg:1: file-name-not-ascii", "install.cfg:1: list-repeated-file",
                     "install.cfg:2: file-name-not-ascii", "install.cfg:2: file-name-case",
                     "install.cfg:3: file-missing"}),
              p.Check(&report, 1252));
    ExpectSays(report, 0, "the system's code page is 1252");
    ExpectSays(report, 3, "\"\\xDCBER.prc\" is found as \"\\xC3\\xBCber.prc\"");
}

TEST(CodePage, ConvertsAsWindowsDoes)
{
    EXPECT_EQ(u"\u0E01\u0E02.pdb", FromCodePage(874, "\xA1\xA2.pdb"));
    // Windows' own stand-ins for the bytes code page 874 leaves undefined.
    EXPECT_EQ(u"\u20AC\u0081\uF8C1\uF8C8", FromCodePage(874, "\x80\x81\xDB\xFF"));
    EXPECT_EQ(u"\u00FC\u0178\u20AC", FromCodePage(1252, "\xFC\x9F\x80"));
    EXPECT_EQ(u"\u0416", FromCodePage(1251, "\xC6"));
    EXPECT_EQ(u"\u00FC\U0001F600", FromUtf8("\xC3\xBC\xF0\x9F\x98\x80"));
    EXPECT_EQ("\xC3\xBC\xF0\x9F\x98\x80", ToUtf8(FromUtf8("\xC3\xBC\xF0\x9F\x98\x80")));
    EXPECT_EQ(u"\uFFFD\uFFFDa", FromUtf8("\xC0\xAF" "a"));   // overlong '/', not a separator
    EXPECT_EQ(u"\uFFFD", FromUtf8("\xED"));
    EXPECT_EQ(u"ABC\u00DC\u0178\u0141\u0179\u0391\u03C2\u03A3\u0416\u0401\u0490\u0E01",
              FoldedName(u"abc\u00FC\u00FF\u0142\u017A\u03B1\u03C2\u03C3\u0436\u0451\u0491\u0E01"));
    EXPECT_EQ(u"\u00F7\u00D7\u0130\u0131", FoldedName(u"\u00F7\u00D7\u0130\u0131"));
    EXPECT_TRUE(IsKnownCodePage(874));
    EXPECT_FALSE(IsKnownCodePage(65001));
    EXPECT_EQ("874, 1250, 1251, 1252, 1253, 1254, 1257", KnownCodePages());
}

TEST(PackageCheck, MissingAndMisplacedFiles)
{
    Package p;
    p.Standard("Reader.prc\r\n");
    ASSERT_EQ(0, std::remove((p.root_ + "/update.tms").c_str()));
    ASSERT_EQ(0, std::remove((p.root_ + "/update.cfg").c_str()));
    p.Folder("update.cfg");
    p.Write("Readme.txt", "hello");
    p.Write("install.cfg", "Readme.txt\r\nReader.prc\r\n");
    PackageReport report;
    EXPECT_EQ((Lines{"update.tms: notes-missing", "Readme.txt: file-not-palm-database", "update.cfg: list-not-a-file"}),
              p.Check(&report));
    // What the customer meets depends on the mode.
    ExpectSays(report, 0, "the mode page shows a file error when Update is chosen");
    ExpectSays(report, 2, "is a folder; choosing Update ends in a file error");
}

TEST(PackageCheck, NotesRules)
{
    Package p;
    p.Standard("Reader.prc\r\n");
    p.Write("install.tms", std::string(kMaxNotesBytes, 'a'));
    const char notes[] = "Thai \xE0\xB8\x81 in UTF-8\nsecond\0 line\r\n";
    p.Write("update.tms", std::string(notes, sizeof notes - 1));
    PackageReport report;
    EXPECT_EQ((Lines{"update.tms: notes-utf8", "update.tms:2: notes-zero-byte", "update.tms: notes-lf-line-ends"}),
              p.Check(&report));
    ExpectSays(report, 1, "(at byte 24)");

    p.Write("install.tms", std::string(kMaxNotesBytes + 1, 'a'));
    p.Write("update.tms", "");
    EXPECT_EQ((Lines{"install.tms: notes-too-large", "update.tms: notes-empty"}), p.Check(&report));
    ExpectSays(report, 0, "is " + std::to_string(kMaxNotesBytes + 1) + " bytes, over the installer's limit of " +
                              std::to_string(kMaxNotesBytes) + " bytes");
}

// The installer takes a list of any size; only the checker stops reading.
TEST(PackageCheck, AnOversizedListIsNotBlamedOnTheInstaller)
{
    Package p;
    p.Standard("Reader.prc\r\n");
    p.Write("update.cfg", std::string((16u << 20) + 1, '\n'));
    PackageReport report;
    EXPECT_EQ((Lines{"update.cfg: list-too-large"}), p.Check(&report));
    ExpectSays(report, 0, "bytes the checker reads of a list");
    EXPECT_EQ(report.findings[0].text.find("installer's limit"), std::string::npos) << report.findings[0].text;
}

TEST(PackageCheck, NotesEncodingIsOneFinding)
{
    Package p;
    p.Standard("Reader.prc\r\n");
    // UTF-16 explains its zero bytes and its line ends; a mark on UTF-8 is part of the same mistake.
    p.Write("install.tms", std::string("\xFF\xFEH\0i\0\n\0", 8));
    p.Write("update.tms", "\xEF\xBB\xBFThai \xE0\xB8\x81\r\n");
    PackageReport report;
    EXPECT_EQ((Lines{"install.tms: notes-utf16", "update.tms: notes-utf8"}), p.Check(&report));
    ExpectSays(report, 1, "is UTF-8 text with a byte-order mark");
    p.Write("install.tms", std::string("H\0i\0\r\0\n\0", 8));
    p.Write("update.tms", "\xEF\xBB\xBFPlain\r\n");
    EXPECT_EQ((Lines{"install.tms: notes-utf16", "update.tms:1: notes-byte-order-mark"}), p.Check());
}

TEST(PackageCheck, QuotedNamesArePlainAscii)
{
    EXPECT_EQ("\"a\\x09b\\x7F\\x80\\xFF\\c\"", Quote("a\tb\x7F\x80\xFF\\c"));
}

TEST(PalmHeader, Plausibility)
{
    struct Case {
        std::string bytes;
        std::uint64_t fileSize;
        PalmKind expected;
        Lines rules;
        const char* says;   // part of the first problem's text, where its wording matters
    };
    std::string unterminated = PalmFile(std::string(32, 'N'), false, 0, 78);
    const Case cases[] = {
        {PalmFile("Reader", true, 2, 98), 98, PalmKind::Resource, {}, nullptr},
        {PalmFile("Guide", false, 2, 94), 94, PalmKind::Record, {}, nullptr},
        {PalmFile("Guide", false, 0, 77), 77, PalmKind::Record, {"palm-too-short"}, "it is 77 bytes long"},
        {PalmFile("Guide", false, 0, 1), 1, PalmKind::Record, {"palm-too-short"}, "it is 1 byte long"},
        {unterminated, 78, PalmKind::Record, {"palm-name-unterminated"}, "not terminated within 32 bytes"},
        {PalmFile("", false, 0, 78), 78, PalmKind::Record, {"palm-name-empty"}, nullptr},
        {PalmFile("Reader", false, 0, 78), 78, PalmKind::Resource, {"palm-kind-mismatch"}, "a .prc should be"},
        {PalmFile("Guide", true, 0, 78), 78, PalmKind::Record, {"palm-kind-mismatch"}, "the name says record"},
        // Entries are 10 bytes in a resource database, 8 in a record database.
        {PalmFile("Reader", true, 2, 97), 97, PalmKind::Resource, {"palm-count-beyond-file"},
         "its header lists 2 resources, more than the file's 97 bytes"},
        {PalmFile("Guide", false, 3, 101), 101, PalmKind::Record, {"palm-count-beyond-file"}, nullptr},
        {PalmFile("Guide", false, 1, 85), 85, PalmKind::Record, {"palm-count-beyond-file"}, "lists 1 record, more"},
        {PalmFile("Guide", false, 65535, 78), 78, PalmKind::Record, {"palm-count-beyond-file"}, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<PalmProblem> problems = CheckPalmHeader(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                                            std::min(c.bytes.size(), kPalmHeaderSize), c.fileSize,
                                                            c.expected);
        Lines rules;
        for (const PalmProblem& problem : problems)
            rules.push_back(RuleId(problem.rule));
        EXPECT_EQ(c.rules, rules) << c.fileSize;
        if (c.says && !problems.empty()) {
            EXPECT_NE(std::string::npos, problems[0].text.find(c.says)) << problems[0].text;
        }
    }
    PalmKind kind;
    EXPECT_TRUE(PalmKindOfName("a/B.PQA", &kind));
    EXPECT_EQ(PalmKind::Record, kind);
    EXPECT_TRUE(PalmKindOfName("x.prc", &kind));
    EXPECT_EQ(PalmKind::Resource, kind);
    EXPECT_FALSE(PalmKindOfName("prc", &kind));
    EXPECT_FALSE(PalmKindOfName("a.prc.txt", &kind));
}

TEST(TextCheck, Utf8IsToldFromCodePage874)
{
    EXPECT_FALSE(IsUtf8WithNonAscii(ThaiNotesCp874()));
    EXPECT_TRUE(IsUtf8WithNonAscii(Slurp(SourceFile("demo/package/install.txt"))));
    EXPECT_FALSE(IsUtf8WithNonAscii("plain ASCII\r\n"));
    EXPECT_TRUE(IsUtf8WithNonAscii("\xF0\x9F\x98\x80"));    // U+1F600
    EXPECT_FALSE(IsUtf8WithNonAscii("\xC0\xAF"));           // overlong '/'
    EXPECT_FALSE(IsUtf8WithNonAscii("\xED\xA0\x80"));       // a surrogate
    EXPECT_FALSE(IsUtf8WithNonAscii("\xF4\x90\x80\x80"));   // past U+10FFFF
    EXPECT_FALSE(IsUtf8WithNonAscii("ok \xE0\xB8"));        // cut short
    EXPECT_EQ(ByteOrderMark::Utf16LE, FindByteOrderMark("\xFF\xFEh\0"));
    EXPECT_EQ(ByteOrderMark::None, FindByteOrderMark("\xEF\xBB"));
    EXPECT_EQ(ByteOrderMark::Utf16BE, FindUtf16(std::string("\0a\0b", 4)));
    EXPECT_EQ(ByteOrderMark::Utf16LE, FindUtf16(std::string("a\0b\0\x0E\x01", 6)));
    EXPECT_EQ(ByteOrderMark::None, FindUtf16(std::string("ab\0\0", 4)));     // zeros on both sides
    EXPECT_EQ(ByteOrderMark::None, FindUtf16(std::string("abcdefg\0", 8)));   // one stray zero
}

}  // namespace
