#include "packager/TextFile.h"

#include <cstddef>

#include "core/InstallerLimits.h"
#include "core/PackageFiles.h"
#include "packager/Folder.h"

const char kListAdvice[] = "keep names to plain ASCII letters, digits, '.', '-' and '_'";
std::string NotesAdvice()
{
    return "save it as plain text in code page " + std::to_string(kNotesCodePage) + " (Thai), without a byte-order mark";
}

bool ReadPackageText(const std::string& root, const std::string& name, std::uint64_t limit,
                     const TextFileRules& rules, const std::string& whenMissing, std::vector<Finding>* findings,
                     std::string* bytes)
{
    auto add = [&](Rule rule, const std::string& text) { findings->push_back({name, 0, rule, text}); };
    EntryInfo info = LookAt(root + "/" + name);
    if (!info.error.empty()) {
        add(rules.unreadable, "cannot be read: " + info.error);
        return false;
    }
    if (info.kind == EntryKind::Missing) {
        add(rules.missing, "is missing; " + whenMissing);
        return false;
    }
    if (info.kind != EntryKind::File) {
        add(rules.notAFile,
            std::string("is ") + (info.kind == EntryKind::Folder ? "a folder" : "not a file") + "; " + whenMissing);
        return false;
    }
    if (info.size > limit) {
        std::string size = "is " + Plural(info.size, "byte", "bytes") + ", over ";
        if (rules.installersLimit)
            add(rules.tooLarge, size + "the installer's limit of " + std::to_string(limit) +
                                    " bytes; the customer gets a file error");
        else
            add(rules.tooLarge, size + "the " + std::to_string(limit) + " bytes the checker reads of a list; no list of " +
                                    std::to_string(kMaxFiles) + " names is that long");
        return false;
    }
    std::string error;
    if (!ReadHead(root + "/" + name, static_cast<std::size_t>(limit), bytes, &error)) {
        add(rules.unreadable, "cannot be read: " + error);
        return false;
    }
    return true;
}
