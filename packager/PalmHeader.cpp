#include "packager/PalmHeader.h"

#include "packager/Folder.h"

namespace {

const std::size_t kNameField = 32;
const std::size_t kAttributesAt = 32;
const std::size_t kRecordCountAt = 76;
const unsigned kResourceFlag = 0x0001;
const std::uint64_t kRecordEntry = 8;
const std::uint64_t kResourceEntry = 10;

unsigned BigEndian16(const unsigned char* at)
{
    return (static_cast<unsigned>(at[0]) << 8) | at[1];
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool PalmKindOfName(const std::string& name, PalmKind* kind)
{
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    std::string ext;
    for (std::size_t i = dot + 1; i < name.size(); ++i)
        ext.push_back(Lower(name[i]));
    // Applications are resource databases; data and web-clipping
    // applications (.pqa) are record databases.
    if (ext == "prc") {
        *kind = PalmKind::Resource;
        return true;
    }
    if (ext == "pdb" || ext == "pqa") {
        *kind = PalmKind::Record;
        return true;
    }
    return false;
}

std::vector<PalmProblem> CheckPalmHeader(const unsigned char* head, std::size_t size, std::uint64_t fileSize,
                                         PalmKind expected)
{
    std::vector<PalmProblem> problems;
    if (size < kPalmHeaderSize || fileSize < kPalmHeaderSize) {
        problems.push_back({Rule::PalmTooShort, "it is " + std::to_string(fileSize) +
                                                    (fileSize == 1 ? " byte" : " bytes") +
                                                    " long, too short for a Palm OS database (" +
                                                    std::to_string(kPalmHeaderSize) + "-byte header)"});
        return problems;
    }
    bool terminated = false;
    for (std::size_t i = 0; i < kNameField && !terminated; ++i)
        terminated = head[i] == 0;
    if (!terminated)
        problems.push_back({Rule::PalmNameUnterminated, "its database name is not terminated within " +
                                                            std::to_string(kNameField) + " bytes"});
    else if (head[0] == 0)
        problems.push_back({Rule::PalmNameEmpty, "its database name is empty"});

    bool resource = (BigEndian16(head + kAttributesAt) & kResourceFlag) != 0;
    if (resource && expected == PalmKind::Record)
        problems.push_back({Rule::PalmKindMismatch,
                            "it is a resource database (an application), but the name says record database"});
    else if (!resource && expected == PalmKind::Resource)
        problems.push_back(
            {Rule::PalmKindMismatch, "it is a record database, but a .prc should be a resource database"});

    std::uint64_t count = BigEndian16(head + kRecordCountAt);
    std::uint64_t entries = kPalmHeaderSize + count * (resource ? kResourceEntry : kRecordEntry);
    if (entries > fileSize)
        problems.push_back({Rule::PalmCountBeyondFile, "its header lists " + std::to_string(count) +
                                                           (resource ? " resource" : " record") +
                                                           (count == 1 ? "" : "s") + ", more than the file's " +
                                                           std::to_string(fileSize) + " bytes can hold"});
    return problems;
}

void CheckListedFile(const std::string& root, const std::string& actual, std::vector<Finding>* findings)
{
    PalmKind kind;
    std::string head, error;
    std::string shown = Quote(actual);
    shown = shown.substr(1, shown.size() - 2);
    if (!ReadHead(root + "/" + actual, kPalmHeaderSize, &head, &error)) {
        findings->push_back({shown, 0, Rule::FileUnreadable, "cannot be read: " + error});
        return;
    }
    if (!PalmKindOfName(actual, &kind)) {
        findings->push_back({shown, 0, Rule::FileNotPalmDatabase,
                             "is not a Palm OS database (.prc, .pdb or .pqa); Palm Desktop may not install it"});
        return;
    }
    EntryInfo info = LookAt(root + "/" + actual);
    for (const PalmProblem& problem :
         CheckPalmHeader(reinterpret_cast<const unsigned char*>(head.data()), head.size(), info.size, kind))
        findings->push_back({shown, 0, problem.rule, "does not look like a Palm OS database: " + problem.text});
}
