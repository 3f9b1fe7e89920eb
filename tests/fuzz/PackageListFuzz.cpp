// Reads the fuzz bytes as a package list and builds the file table from it.
// Input: byte 0 = length of the base folder, then the base folder, then the list.
#include "core/PackageList.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "core/FixedText.h"

namespace {

// The text a Windows text-mode read sees: everything before the first Ctrl-Z,
// each CR LF pair as one LF. A lone CR stays.
std::string TextModeView(const std::string& bytes)
{
    std::string cut = bytes.substr(0, bytes.find('\x1A'));
    std::string text;
    for (std::size_t i = 0; i < cut.size(); ++i) {
        if (cut[i] == '\r' && i + 1 < cut.size() && cut[i + 1] == '\n')
            continue;
        text.push_back(cut[i]);
    }
    return text;
}

void CheckReads(const std::vector<ListLine>& lines, const std::string& text)
{
    const std::size_t kMaxRead = kListLineSlot - 1;   // 299
    // Rebuild the text from the reads: a read ends at a newline (which it
    // counts), after 299 characters without one, or at the end of the text.
    // Only the last read can end without a newline short of 299 characters.
    std::string rebuilt;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& t = lines[i].text;
        FUZZ_CHECK(t.size() <= kMaxRead, "read %zu holds %zu characters", i + 1, t.size());
        FUZZ_CHECK(lines[i].hasZeroByte == (t.find('\0') != std::string::npos),
                   "read %zu: zero-byte flag %d is wrong", i + 1, lines[i].hasZeroByte);
        rebuilt += t;
        bool last = i + 1 == lines.size();
        if (last ? (!text.empty() && text.back() == '\n') : t.size() < kMaxRead)
            rebuilt.push_back('\n');
    }
    FUZZ_CHECK(rebuilt == text, "the %zu reads rebuild %zu characters of a %zu-character text",
               lines.size(), rebuilt.size(), text.size());
    // The only read that may be empty is one that ended at its newline.
    if (!text.empty() && text.back() != '\n')
        FUZZ_CHECK(!lines.back().text.empty(), "an empty last read without a newline");
}

void CheckTable(const std::vector<ListLine>& lines, const std::string& base, const PathSlot* table,
                std::int32_t count, ListResult result)
{
    // What the table should hold: the first problem in list order refuses the list.
    std::vector<std::string> want;
    ListResult expected = {ListProblem::None, 0};
    for (std::size_t i = 0; i < lines.size() && expected.problem == ListProblem::None; ++i) {
        const ListLine& l = lines[i];
        int number = static_cast<int>(i) + 1;
        if (l.text.empty())
            continue;
        if (l.text.find('\0') != std::string::npos)
            expected = {ListProblem::ZeroByte, number};
        else if (want.size() == static_cast<std::size_t>(kMaxFiles))
            expected = {ListProblem::TooManyFiles, number};
        else if (base.size() + l.text.size() >= static_cast<std::size_t>(kPathSlot))
            expected = {ListProblem::PathTooLong, number};
        else
            want.push_back(base + l.text);
    }
    FUZZ_CHECK(result.problem == expected.problem && result.line == expected.line,
               "result (problem %d, line %d), expected (problem %d, line %d)",
               static_cast<int>(result.problem), result.line, static_cast<int>(expected.problem),
               expected.line);
    if (result.problem != ListProblem::None) {
        FUZZ_CHECK(count == 0, "a refused list kept %d paths", count);
        return;
    }
    FUZZ_CHECK(count >= 0 && count <= kMaxFiles, "count %d", count);
    FUZZ_CHECK(static_cast<std::size_t>(count) == want.size(), "count %d, %zu non-blank lines",
               count, want.size());
    for (int i = 0; i < count; ++i) {
        std::size_t length = FieldLength(table[i]);
        FUZZ_CHECK(length < static_cast<std::size_t>(kPathSlot), "path %d is unterminated", i);
        std::string path(table[i], length);
        FUZZ_CHECK(path.compare(0, base.size(), base) == 0, "path %d lacks the base folder", i);
        FUZZ_CHECK(path == want[i], "path %d is not base folder + non-blank line %d", i, i + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string base, list;
    if (!input.empty()) {
        std::size_t baseLength = std::min<std::size_t>(static_cast<unsigned char>(input[0]), size - 1);
        // A base folder comes from C strings: it never holds a zero byte.
        for (char c : input.substr(1, baseLength))
            if (c != '\0')
                base.push_back(c);
        list = input.substr(1 + baseLength);
    }

    std::FILE* stream = fmemopen(list.data(), list.size(), "rb");
    FUZZ_CHECK(stream != nullptr, "fmemopen failed");
    std::vector<ListLine> lines;
    FUZZ_CHECK(ReadListLines(stream, &lines), "reading a memory stream failed");
    std::fclose(stream);
    CheckReads(lines, TextModeView(list));

    // Exactly the table's size on the heap, so the sanitizer sees any write past it.
    std::unique_ptr<PathSlot[]> table(new PathSlot[kMaxFiles]);
    std::memset(table.get(), 0x5A, kMaxFiles * sizeof(PathSlot));
    std::int32_t count = -1;
    ListResult result = BuildFileList(lines, base, table.get(), &count);
    CheckTable(lines, base, table.get(), count, result);
    return 0;
}
