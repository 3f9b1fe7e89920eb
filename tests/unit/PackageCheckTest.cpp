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

#include "app/FixedText.h"
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
    // Findings as the tool prints them: "file:line: error: text".
    Lines Check(PackageReport* out = nullptr) const
    {
        PackageReport report;
        std::string failure;
        EXPECT_TRUE(CheckPackage(root_, &report, &failure)) << failure;
        Lines lines;
        for (const Finding& f : report.findings)
            lines.push_back(f.file + (f.line ? ":" + std::to_string(f.line) : std::string()) +
                            (f.severity == Severity::Error ? ": error: " : ": warning: ") + f.text);
        if (out)
            *out = report;
        return lines;
    }
    std::string root_;
};

// Every finding starts with one of `prefixes`, in order, one each.
void ExpectFindings(const Lines& prefixes, const Lines& found)
{
    ASSERT_EQ(prefixes.size(), found.size()) << ::testing::PrintToString(found);
    for (std::size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(0u, found[i].rfind(prefixes[i], 0)) << "finding " << i << ": " << found[i];
}

TEST(PackageCheck, CleanPackageAndItsDepth)
{
    Package p;
    p.Standard("Reader.prc\r\nGuide.pdb\r\n");
    PackageReport report;
    ExpectFindings({}, p.Check(&report));
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
    p.Standard(std::string("\xEF\xBB\xBFReader.prc\r\n\r\n Guide.pdb\r\nGui\0de.pdb\r\n", 41) + tooLong + "\r\n" + std::string(300, 'z') + "\r\n");
    PackageReport report;
    ExpectFindings({"install.cfg:1: warning: starts with a UTF-8 byte-order mark",
                    "install.cfg:1: error: \"\xEF\xBB\xBFReader.prc\" is missing",
                    "install.cfg:2: warning: blank line",
                    "install.cfg:3: warning: \" Guide.pdb\" has leading or trailing blanks",
                    "install.cfg:3: error: \" Guide.pdb\" is missing",
                    "install.cfg:4: error: holds a zero byte",
                    "install.cfg:5: error: this 197-character entry does not fit",
                    "install.cfg:5: error: \"xxx",
                    // 300 characters are read as 299 and 1, both on line 6 of the file.
                    "install.cfg:6: error: this 299-character entry does not fit a 199-character path even in a "
                    "drive root (at most 196 characters); the rest of the line is read as the next entry",
                    "install.cfg:6: error: \"zzz",
                    "install.cfg:6: error: \"z\" is missing"},
                   p.Check(&report));
    EXPECT_EQ(299, report.longestEntry);
    EXPECT_EQ("install.cfg:6", report.longestWhere);
}

TEST(PackageCheck, ShallowDepthIsWarned)
{
    // 100 characters of folder are enough; fewer are worth a warning.
    for (int length : {98, 99, kLongestEntry}) {
        Package p;
        std::string name = std::string(static_cast<std::size_t>(length) - 4, 'g') + ".pdb";
        p.Standard("Guide.pdb\r\n", "Reader.prc\r\n" + name + "\r\n");
        p.Write(name, PalmFile("Long", false, 0, 78));
        PackageReport report;
        Lines found = p.Check(&report);
        EXPECT_EQ(DeepestFolderFor(length), report.deepestFolder);
        if (length == 98) {
            ExpectFindings({}, found);
        } else {
            ExpectFindings({"update.cfg:2: warning: this " + std::to_string(length) +
                            "-character entry fits only in a folder path of at most " +
                            std::to_string(DeepestFolderFor(length)) + " characters"},
                           found);
        }
    }
}

TEST(PackageCheck, TwoHundredEntriesAtMost)
{
    Package p;
    std::string list;
    for (int i = 0; i < 201; ++i) {
        p.Write("f" + std::to_string(i) + ".pdb", PalmFile("f", false, 0, 78));
        list += "f" + std::to_string(i) + ".pdb\r\n" + (i == 100 ? "\r\n" : "");
    }
    p.Standard(list);
    Lines found = p.Check();
    ExpectFindings({"install.cfg:102: warning: blank line",
                    "install.cfg:202: error: the list names more than 200 files"},
                   found);
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
               "Reader.prc\\\r\n");
    ExpectFindings({"install.cfg:1: warning: \"data\\extra.PDB\" is found as \"Data/Extra.pdb\" only because "
                    "Windows ignores case",
                    "install.cfg:2: warning: \"Data/Extra.pdb\" names the same file as line 1",
                    "install.cfg:3: warning: \"Data\\\\.\\Extra.pdb. \" has leading or trailing blanks",
                    "install.cfg:3: warning: \"Data\\\\.\\Extra.pdb. \" names the same file as line 1",
                    "install.cfg:5: error: \"Data\\Missing.pdb\" is missing (no \"Missing.pdb\" in \"Data\")",
                    "install.cfg:6: error: \"Empty\" is a folder, not a file",
                    "install.cfg:7: error: \"Guide.pdb\\x.pdb\": \"Guide.pdb\" is a file, not a folder",
                    "install.cfg:8: error: \"..\\Mirabo\\Guide.pdb\" names a file outside the package folder",
                    "install.cfg:9: error: \"a:b.pdb\": a Windows file name cannot hold ':'",
                    "install.cfg:10: error: \"nul.pdb\": \"nul.pdb\" is the name of a Windows device",
                    "install.cfg:11: error: \"Reader.prc\\\": \"Reader.prc\" is a file, not a folder"},
                   p.Check());
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
    ExpectFindings({"update.tms: error: is missing; the mode page shows a file error when Update is chosen",
                    "Readme.txt: warning: is not a Palm OS database",
                    "update.cfg: error: is a folder; choosing Update ends in a file error"},
                   p.Check());
}

TEST(PackageCheck, NotesRules)
{
    Package p;
    p.Standard("Reader.prc\r\n");
    p.Write("install.tms", std::string(kMaxNotesBytes, 'a'));
    const char notes[] = "Thai \xE0\xB8\x81 in UTF-8\nsecond\0 line\r\n";
    p.Write("update.tms", std::string(notes, sizeof notes - 1));
    ExpectFindings({"update.tms: warning: is UTF-8 text with non-ASCII characters",
                    "update.tms:2: warning: holds a zero byte (at byte 24)",
                    "update.tms: warning: has lines ending in LF alone"},
                   p.Check());

    p.Write("install.tms", std::string(kMaxNotesBytes + 1, 'a'));
    p.Write("update.tms", "");
    ExpectFindings({"install.tms: error: is 1048577 bytes, over the installer's limit of 1048576 bytes",
                    "update.tms: warning: is empty"},
                   p.Check());
}

TEST(PalmHeader, Plausibility)
{
    struct Case {
        std::string bytes;
        std::uint64_t fileSize;
        PalmKind expected;
        Lines problems;   // each starts so
    };
    std::string unterminated = PalmFile(std::string(32, 'N'), false, 0, 78);
    const Case cases[] = {
        {PalmFile("Reader", true, 2, 98), 98, PalmKind::Resource, {}},
        {PalmFile("Guide", false, 2, 94), 94, PalmKind::Record, {}},
        {PalmFile("Guide", false, 0, 77), 77, PalmKind::Record, {"it is 77 bytes long, too short"}},
        {unterminated, 78, PalmKind::Record, {"its database name is not terminated"}},
        {PalmFile("", false, 0, 78), 78, PalmKind::Record, {"its database name is empty"}},
        {PalmFile("Reader", false, 0, 78), 78, PalmKind::Resource, {"it is a record database, but a .prc"}},
        {PalmFile("Guide", true, 0, 78), 78, PalmKind::Record, {"it is a resource database"}},
        // Entries are 10 bytes in a resource database, 8 in a record database.
        {PalmFile("Reader", true, 2, 97), 97, PalmKind::Resource, {"its header lists 2 resources, more than"}},
        {PalmFile("Guide", false, 3, 101), 101, PalmKind::Record, {"its header lists 3 records"}},
        {PalmFile("Guide", false, 65535, 78), 78, PalmKind::Record, {"its header lists 65535 records"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> got = CheckPalmHeader(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                                       std::min(c.bytes.size(), kPalmHeaderSize), c.fileSize,
                                                       c.expected);
        ExpectFindings(c.problems, got);
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
}

}  // namespace
