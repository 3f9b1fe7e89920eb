// The package checker's readers on any bytes: the bytes as a package list
// (line rules), as release notes and as the head of a Palm OS database, the
// text checks and the conversions of names.
#include "packager/PackageCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "core/InstallerLimits.h"
#include "core/PackageFiles.h"
#include "packager/CodePage.h"
#include "packager/NotesCheck.h"
#include "packager/PalmHeader.h"
#include "packager/TextCheck.h"

namespace {

bool IsOfGroup(Rule rule, const char* prefix)
{
    return std::strncmp(RuleId(rule), prefix, std::strlen(prefix)) == 0;
}

void CheckList(const std::string& bytes)
{
    std::FILE* stream = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    FUZZ_CHECK(stream != nullptr, "fmemopen failed");
    std::vector<ListLine> lines;
    FUZZ_CHECK(ReadListLines(stream, &lines), "reading a memory stream failed");
    std::fclose(stream);

    std::vector<Finding> findings;
    int count = 0;
    std::vector<ListEntry> entries = CheckListLines("install.cfg", lines, &findings, &count);
    int lastLine = 0;
    for (const ListEntry& e : entries) {
        FUZZ_CHECK(!e.name.empty() && e.name.find('\0') == std::string::npos, "entry on line %d is unusable", e.line);
        FUZZ_CHECK(e.name.size() <= static_cast<std::size_t>(kLongestEntry), "a %zu-character entry passed",
                   e.name.size());
        FUZZ_CHECK(e.line > lastLine, "entry lines go back: %d after %d", e.line, lastLine);
        lastLine = e.line;
    }
    FUZZ_CHECK(entries.size() <= static_cast<std::size_t>(count) && static_cast<std::size_t>(count) <= lines.size(),
               "%zu entries that fit, %d in all, from %zu reads", entries.size(), count, lines.size());
    // The installer counts reads; one line of the file may take several.
    std::size_t reads = 0;
    bool zero = false;
    for (const ListLine& l : lines) {
        reads += !l.text.empty();
        zero |= l.hasZeroByte;
    }
    std::size_t overLimit = 0, tooLong = 0;
    for (const Finding& f : findings) {
        FUZZ_CHECK(f.line >= 1 && static_cast<std::size_t>(f.line) <= lines.size(), "finding on line %d of %zu reads",
                   f.line, lines.size());
        FUZZ_CHECK(f.file == "install.cfg", "finding names %s", f.file.c_str());
        FUZZ_CHECK(IsOfGroup(f.rule, "list-"), "a list line breaks %s", RuleId(f.rule));
        overLimit += f.rule == Rule::ListTooManyFiles;
        tooLong += f.rule == Rule::ListEntryTooLong;
    }
    FUZZ_CHECK(overLimit <= 1, "%zu over-limit findings", overLimit);
    if (!zero)
        FUZZ_CHECK(overLimit == (reads > static_cast<std::size_t>(kMaxFiles) ? 1u : 0u),
                   "%zu over-limit findings for %zu reads", overLimit, reads);
    FUZZ_CHECK(tooLong + entries.size() <= static_cast<std::size_t>(count), "%zu too-long findings, %zu entries of %d",
               tooLong, entries.size(), count);
}

// The notes' encoding is one finding, and UTF-16 explains all else.
void CheckNotes(const std::string& bytes)
{
    std::vector<Finding> findings;
    CheckNotesText(kPackageModes[0], bytes, &findings);
    std::size_t encodings = 0, utf16 = 0;
    int lines = 1 + static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
    for (const Finding& f : findings) {
        FUZZ_CHECK(IsOfGroup(f.rule, "notes-"), "notes break %s", RuleId(f.rule));
        FUZZ_CHECK(f.line >= 0 && f.line <= lines, "finding on line %d of %d", f.line, lines);
        encodings += f.rule == Rule::NotesUtf16 || f.rule == Rule::NotesUtf8 || f.rule == Rule::NotesByteOrderMark;
        utf16 += f.rule == Rule::NotesUtf16;
    }
    FUZZ_CHECK(encodings <= 1, "%zu encoding findings", encodings);
    FUZZ_CHECK(utf16 == 0 || findings.size() == 1, "UTF-16 notes with %zu findings", findings.size());
    FUZZ_CHECK(!bytes.empty() || (findings.size() == 1 && findings[0].rule == Rule::NotesEmpty),
               "empty notes with %zu findings", findings.size());
}

void CheckHeader(const std::string& bytes)
{
    std::size_t size = std::min(bytes.size(), kPalmHeaderSize);
    for (PalmKind kind : {PalmKind::Record, PalmKind::Resource}) {
        std::vector<PalmProblem> problems =
            CheckPalmHeader(reinterpret_cast<const unsigned char*>(bytes.data()), size, bytes.size(), kind);
        if (bytes.size() < kPalmHeaderSize)
            FUZZ_CHECK(problems.size() == 1 && problems[0].rule == Rule::PalmTooShort,
                       "%zu problems with a %zu-byte file", problems.size(), bytes.size());
        FUZZ_CHECK(problems.size() <= 3, "%zu problems", problems.size());
        for (const PalmProblem& problem : problems)
            FUZZ_CHECK(IsOfGroup(problem.rule, "palm-"), "a header breaks %s", RuleId(problem.rule));
    }
}

void CheckText(const std::string& bytes)
{
    if (IsUtf8WithNonAscii(bytes))
        FUZZ_CHECK(std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }),
                   "ASCII text taken for UTF-8 with non-ASCII characters");
    if (FromUtf8(bytes).find(u'\uFFFD') == std::u16string::npos)
        FUZZ_CHECK(ToUtf8(FromUtf8(bytes)) == bytes, "well-formed UTF-8 does not come back the same");
    for (int codePage : {874, 1252})
        FUZZ_CHECK(FromCodePage(codePage, bytes).size() == bytes.size(), "one code page byte is not one unit");
    ByteOrderMark mark = FindByteOrderMark(bytes);
    FUZZ_CHECK(ByteOrderMarkSize(mark) <= bytes.size(), "a mark longer than the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckList(bytes);
    // Larger notes are refused before their bytes are looked at.
    if (bytes.size() <= kMaxNotesBytes)
        CheckNotes(bytes);
    CheckHeader(bytes);
    CheckText(bytes);
    return 0;
}
