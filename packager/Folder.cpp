#include "packager/Folder.h"

#include <cerrno>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include <windows.h>

#include "core/Refusals.h"
#include "framework/SystemError.h"
#include "packager/CodePage.h"
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

std::string ErrorText(int error)
{
    return std::strerror(error);
}

#ifdef _WIN32
// A path for the wide file functions: full, with "\\?\" before it, so that
// a deep package folder is not cut off at MAX_PATH and names are taken as
// they are on disk (the resolver has already dropped trailing dots).
std::wstring Wide(const std::string& utf8)
{
    std::u16string text = FromUtf8(utf8);
    std::wstring path(text.begin(), text.end());
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    if (full.compare(0, 2, L"\\\\") == 0)
        return full.compare(0, 4, L"\\\\?\\") == 0 ? full : L"\\\\?\\UNC" + full.substr(1);
    return L"\\\\?\\" + full;
}

std::string Narrow(const wchar_t* wide)
{
    std::u16string text;
    for (; *wide; ++wide)
        text.push_back(static_cast<char16_t>(*wide));
    return ToUtf8(text);
}

// In the report's own form, which the Linux build's strerror texts share: no
// full stop, no line break.
std::string SystemErrorText(DWORD error)
{
    std::string text = SystemTextLine(AfxSystemErrorText(error));
    return !text.empty() ? text : "system error " + std::to_string(error);
}
#endif

}  // namespace

#ifdef _WIN32
EntryInfo LookAt(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {EntryKind::Missing, 0, std::string()};
        return {EntryKind::Missing, 0, SystemErrorText(error)};
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return {EntryKind::Folder, 0, std::string()};
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        return {EntryKind::Other, 0, std::string()};
    return {EntryKind::File, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            std::string()};
}

bool ListFolder(const std::string& path, std::vector<std::string>* names, std::string* error)
{
    names->clear();
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(Wide(path + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        *error = SystemErrorText(GetLastError());
        return false;
    }
    do {
        std::string name = Narrow(found.cFileName);
        if (name != "." && name != "..")
            names->push_back(name);
    } while (FindNextFileW(find, &found));
    DWORD failure = GetLastError();
    FindClose(find);
    if (failure != ERROR_NO_MORE_FILES) {
        *error = SystemErrorText(failure);
        return false;
    }
    return true;
}

std::FILE* OpenRead(const std::string& path)
{
    return _wfopen(Wide(path).c_str(), L"rb");
}
#else
EntryInfo LookAt(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {EntryKind::Missing, 0, std::string()};
        return {EntryKind::Missing, 0, ErrorText(errno)};
    }
    if (S_ISDIR(st.st_mode))
        return {EntryKind::Folder, 0, std::string()};
    if (S_ISREG(st.st_mode))
        return {EntryKind::File, static_cast<std::uint64_t>(st.st_size), std::string()};
    return {EntryKind::Other, 0, std::string()};
}

bool ListFolder(const std::string& path, std::vector<std::string>* names, std::string* error)
{
    names->clear();
    DIR* dir = ::opendir(path.c_str());
    if (!dir) {
        *error = ErrorText(errno);
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names->push_back(name);
        errno = 0;
    }
    int failure = errno;
    ::closedir(dir);
    if (failure != 0) {
        *error = ErrorText(failure);
        return false;
    }
    return true;
}

std::FILE* OpenRead(const std::string& path)
{
    return std::fopen(path.c_str(), "rb");
}
#endif

bool ReadHead(const std::string& path, std::size_t limit, std::string* bytes, std::string* error)
{
    bytes->clear();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRead(path), std::fclose);
    if (!file) {
        *error = ErrorText(errno);
        return false;
    }
    char buffer[65536];
    while (bytes->size() < limit) {
        std::size_t want = limit - bytes->size() < sizeof buffer ? limit - bytes->size() : sizeof buffer;
        std::size_t got = std::fread(buffer, 1, want, file.get());
        bytes->append(buffer, got);
        if (got < want) {
            if (std::ferror(file.get())) {
                *error = ErrorText(errno ? errno : EIO);
                return false;
            }
            break;
        }
    }
    return true;
}
