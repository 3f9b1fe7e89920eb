#include "packager/Folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

std::string ErrorText(int error)
{
    return std::strerror(error);
}

}  // namespace

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

bool ReadHead(const std::string& path, std::size_t limit, std::string* bytes, std::string* error)
{
    bytes->clear();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
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
