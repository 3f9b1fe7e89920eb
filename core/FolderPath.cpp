#include "core/FolderPath.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Drive letters are ASCII whatever the code page.
bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// `X:` and a separator at `at`.
bool IsDriveRootAt(const std::string& path, std::size_t at, bool (*separator)(char))
{
    return path.size() >= at + 3 && IsDriveLetter(path[at]) && path[at + 1] == ':' && separator(path[at + 2]);
}

// `server`, a separator and a non-empty `share` at `at`.
bool IsShareAt(const std::string& path, std::size_t at, bool (*separator)(char))
{
    std::size_t server = at;
    while (server < path.size() && !separator(path[server]))
        ++server;
    return server > at && server + 1 < path.size() && !separator(path[server + 1]);
}

bool IsBackslash(char c)
{
    return c == '\\';
}

// `\\?\` or `\\.\`: the rest goes to the system as it is.
bool IsVerbatim(const std::string& path)
{
    return path.compare(0, 4, "\\\\?\\") == 0 || path.compare(0, 4, "\\\\.\\") == 0;
}

}  // namespace

bool IsFullFolderPath(const std::string& folder)
{
    if (IsDriveRootAt(folder, 0, IsSeparator))
        return true;
    if (folder.size() < 2 || !IsSeparator(folder[0]) || !IsSeparator(folder[1]))
        return false;
    // Past `\\?\` and `\\.\` Windows changes nothing in the path: only
    // backslashes separate, and `UNC\` stands for the leading `\\`.
    if (folder.size() >= 4 && (folder[2] == '?' || folder[2] == '.') && IsSeparator(folder[3])) {
        if (!IsVerbatim(folder))
            return false;
        if (IsDriveRootAt(folder, 4, IsBackslash))
            return true;
        return folder.compare(4, 4, "UNC\\") == 0 && IsShareAt(folder, 8, IsBackslash);
    }
    return IsShareAt(folder, 2, IsSeparator);
}

std::string PathInFolder(const std::string& folder, const std::string& name)
{
    bool (*separator)(char) = IsVerbatim(folder) ? IsBackslash : IsSeparator;
    std::size_t end = folder.size();
    while (end > 0 && separator(folder[end - 1]))
        --end;
    return folder.substr(0, end) + '\\' + name;
}
