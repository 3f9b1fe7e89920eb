#include "core/PackageList.h"

#include "core/FixedText.h"

bool ReadListLines(std::FILE* stream, std::vector<ListLine>* lines)
{
    lines->clear();
    ListLine line = {std::string(), false};
    int taken = 0;
    bool open = false;   // a read is under way
    for (;;) {
        int c = std::getc(stream);
        if (c == '\r') {
            int next = std::getc(stream);
            if (next == '\n')
                c = '\n';
            else if (next != EOF)
                (void)std::ungetc(next, stream);
        }
        if (c == EOF || c == 0x1A)
            break;
        open = true;
        ++taken;
        if (c == '\n') {
            lines->push_back(line);
        } else {
            line.text.push_back(static_cast<char>(c));
            line.hasZeroByte |= (c == 0);
            if (taken < kListLineSlot - 1)
                continue;
            lines->push_back(line);
        }
        line = ListLine{std::string(), false};
        taken = 0;
        open = false;
    }
    // getc gives EOF for a failed read as for the end: a scratched disc or a
    // lost network share must not pass for a shorter list.
    if (std::ferror(stream))
        return false;
    if (open)
        lines->push_back(line);
    return true;
}

ListResult BuildFileList(const std::vector<ListLine>& lines, const std::string& baseFolder,
                         PathSlot* fileList, std::int32_t* fileCount)
{
    *fileCount = 0;
    int count = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ListLine& line = lines[i];
        int number = static_cast<int>(i) + 1;
        if (line.text.empty())
            continue;
        if (line.hasZeroByte)
            return {ListProblem::ZeroByte, number};
        if (count == kMaxFiles)
            return {ListProblem::TooManyFiles, number};
        std::string path = baseFolder + line.text;
        if (!CopyText(fileList[count], kPathSlot, path.c_str()))
            return {ListProblem::PathTooLong, number};
        ++count;
    }
    *fileCount = count;
    return {ListProblem::None, 0};
}
