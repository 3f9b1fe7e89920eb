#include "packager/NotesCheck.h"

#include <cstddef>

#include "core/InstallerLimits.h"
#include "packager/TextCheck.h"
#include "packager/TextFile.h"

namespace {

const TextFileRules kNotesFileRules = {Rule::NotesMissing, Rule::NotesNotAFile, Rule::NotesUnreadable,
                                       Rule::NotesTooLarge, true};

// One finding for the encoding; true when it explains the zero bytes and
// line ends too, so that nothing more is said of them.
bool CheckEncoding(const PackageMode& mode, const std::string& bytes, std::vector<Finding>* findings)
{
    ByteOrderMark utf16 = FindUtf16(bytes);
    if (utf16 != ByteOrderMark::None) {
        findings->push_back({mode.notes, 0, Rule::NotesUtf16,
                             std::string("is ") + ByteOrderMarkName(utf16) +
                                 " text; the mode page reads code page " + std::to_string(kNotesCodePage) +
                                 " and shows it as garbage cut short at the first zero byte; " + NotesAdvice()});
        return true;
    }
    // A mark on UTF-8 is part of the same mistake.
    bool mark = FindByteOrderMark(bytes) == ByteOrderMark::Utf8;
    if (IsUtf8WithNonAscii(bytes.substr(mark ? 3 : 0)))
        findings->push_back({mode.notes, 0, Rule::NotesUtf8,
                             std::string("is UTF-8 text") + (mark ? " with a byte-order mark" : "") +
                                 "; the mode page reads code page " + std::to_string(kNotesCodePage) +
                                 " (Thai) and shows its non-ASCII characters as garbage; " + NotesAdvice()});
    else if (mark)
        findings->push_back({mode.notes, 1, Rule::NotesByteOrderMark,
                             std::string("starts with a UTF-8 byte-order mark, which the mode page shows as three "
                                         "stray characters; ") + NotesAdvice()});
    return false;
}

}  // namespace

void CheckNotes(const std::string& root, const PackageMode& mode, std::vector<Finding>* findings)
{
    std::string bytes;
    std::string when = std::string("the mode page shows a file error ") +
                       (mode.mode == kModeInstall ? std::string("as it opens") : "when " + std::string(mode.name) + " is chosen");
    if (ReadPackageText(root, mode.notes, kMaxNotesBytes, kNotesFileRules, when, findings, &bytes))
        CheckNotesText(mode, bytes, findings);
}

void CheckNotesText(const PackageMode& mode, const std::string& bytes, std::vector<Finding>* findings)
{
    if (bytes.empty()) {
        findings->push_back(
            {mode.notes, 0, Rule::NotesEmpty, std::string("is empty; the mode page shows no notes for ") + mode.name});
        return;
    }
    if (CheckEncoding(mode, bytes, findings))
        return;
    std::size_t zero = bytes.find('\0');
    if (zero != std::string::npos) {
        int line = 1;
        for (std::size_t i = 0; i < zero; ++i)
            line += bytes[i] == '\n';
        findings->push_back({mode.notes, line, Rule::NotesZeroByte,
                             "holds a zero byte (at byte " + std::to_string(zero) +
                                 "); the notes are shown only up to it"});
    }
    bool bareLf = false;
    for (std::size_t i = 0; i < bytes.size() && !bareLf; ++i)
        bareLf = bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
    if (bareLf)
        findings->push_back({mode.notes, 0, Rule::NotesLfLineEnds,
                             "has lines ending in LF alone; the notes box breaks lines only at CR LF, so they run "
                             "together"});
}
