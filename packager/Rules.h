// The checker's rules: one for each cause of a finding, each with the id the
// report prints after the finding and the guide's table lists, and the one
// severity all its findings have. Ids are stable: scripts and makers' notes
// key on them, so a rule keeps its id when its wording changes.
#pragma once

#include <cstddef>

enum class Severity { Error, Warning };

enum class Rule {
    // The package lists, as files and line by line.
    ListMissing,
    ListNotAFile,
    ListUnreadable,
    ListTooLarge,
    ListUtf16,
    ListByteOrderMark,
    ListEmpty,
    ListBlankLine,
    ListZeroByte,
    ListTooManyFiles,
    ListEntryTooLong,
    ListEntryLimitsDepth,
    ListNameBlanks,
    ListRepeatedFile,
    // The files the lists name, as Windows finds them.
    FileMissing,
    FileNameUtf8,
    FileIsFolder,
    FileParentIsFile,
    FileNotRegular,
    FileOutsidePackage,
    FileAbsolutePath,
    FileNameCharacter,
    FileNameDevice,
    FileLookupFailed,
    FileNameNotAscii,
    FileNameCase,
    FileUnreadable,
    FileNotPalmDatabase,
    // The notes files.
    NotesMissing,
    NotesNotAFile,
    NotesUnreadable,
    NotesTooLarge,
    NotesEmpty,
    NotesUtf16,
    NotesUtf8,
    NotesByteOrderMark,
    NotesZeroByte,
    NotesLfLineEnds,
    // The headers of listed Palm OS databases.
    PalmTooShort,
    PalmNameUnterminated,
    PalmNameEmpty,
    PalmKindMismatch,
    PalmCountBeyondFile,
};

struct RuleInfo {
    Rule rule;
    const char* id;   // "list-too-many-files"
    Severity severity;
};

// Every rule, in the order of the enum.
inline constexpr RuleInfo kRules[] = {
    {Rule::ListMissing, "list-missing", Severity::Error},
    {Rule::ListNotAFile, "list-not-a-file", Severity::Error},
    {Rule::ListUnreadable, "list-unreadable", Severity::Error},
    {Rule::ListTooLarge, "list-too-large", Severity::Error},
    {Rule::ListUtf16, "list-utf16", Severity::Error},
    {Rule::ListByteOrderMark, "list-byte-order-mark", Severity::Error},
    {Rule::ListEmpty, "list-empty", Severity::Warning},
    {Rule::ListBlankLine, "list-blank-line", Severity::Warning},
    {Rule::ListZeroByte, "list-zero-byte", Severity::Error},
    {Rule::ListTooManyFiles, "list-too-many-files", Severity::Error},
    {Rule::ListEntryTooLong, "list-entry-too-long", Severity::Error},
    {Rule::ListEntryLimitsDepth, "list-entry-limits-depth", Severity::Warning},
    {Rule::ListNameBlanks, "list-name-blanks", Severity::Warning},
    {Rule::ListRepeatedFile, "list-repeated-file", Severity::Warning},
    {Rule::FileMissing, "file-missing", Severity::Error},
    {Rule::FileNameUtf8, "file-name-utf8", Severity::Error},
    {Rule::FileIsFolder, "file-is-folder", Severity::Error},
    {Rule::FileParentIsFile, "file-parent-is-file", Severity::Error},
    {Rule::FileNotRegular, "file-not-regular", Severity::Error},
    {Rule::FileOutsidePackage, "file-outside-package", Severity::Error},
    {Rule::FileAbsolutePath, "file-absolute-path", Severity::Error},
    {Rule::FileNameCharacter, "file-name-character", Severity::Error},
    {Rule::FileNameDevice, "file-name-device", Severity::Error},
    {Rule::FileLookupFailed, "file-lookup-failed", Severity::Error},
    {Rule::FileNameNotAscii, "file-name-not-ascii", Severity::Warning},
    {Rule::FileNameCase, "file-name-case", Severity::Warning},
    {Rule::FileUnreadable, "file-unreadable", Severity::Error},
    {Rule::FileNotPalmDatabase, "file-not-palm-database", Severity::Warning},
    {Rule::NotesMissing, "notes-missing", Severity::Error},
    {Rule::NotesNotAFile, "notes-not-a-file", Severity::Error},
    {Rule::NotesUnreadable, "notes-unreadable", Severity::Error},
    {Rule::NotesTooLarge, "notes-too-large", Severity::Error},
    {Rule::NotesEmpty, "notes-empty", Severity::Warning},
    {Rule::NotesUtf16, "notes-utf16", Severity::Warning},
    {Rule::NotesUtf8, "notes-utf8", Severity::Warning},
    {Rule::NotesByteOrderMark, "notes-byte-order-mark", Severity::Warning},
    {Rule::NotesZeroByte, "notes-zero-byte", Severity::Warning},
    {Rule::NotesLfLineEnds, "notes-lf-line-ends", Severity::Warning},
    {Rule::PalmTooShort, "palm-too-short", Severity::Warning},
    {Rule::PalmNameUnterminated, "palm-name-unterminated", Severity::Warning},
    {Rule::PalmNameEmpty, "palm-name-empty", Severity::Warning},
    {Rule::PalmKindMismatch, "palm-kind-mismatch", Severity::Warning},
    {Rule::PalmCountBeyondFile, "palm-count-beyond-file", Severity::Warning},
};
inline constexpr std::size_t kRuleCount = sizeof kRules / sizeof kRules[0];

constexpr bool RulesInEnumOrder()
{
    for (std::size_t i = 0; i < kRuleCount; ++i) {
        if (static_cast<std::size_t>(kRules[i].rule) != i)
            return false;
    }
    return static_cast<std::size_t>(Rule::PalmCountBeyondFile) + 1 == kRuleCount;
}
static_assert(RulesInEnumOrder(), "kRules has one row per rule, in the order of the enum");

inline const char* RuleId(Rule rule)
{
    return kRules[static_cast<std::size_t>(rule)].id;
}

inline Severity RuleSeverity(Rule rule)
{
    return kRules[static_cast<std::size_t>(rule)].severity;
}
