// Derives the base folder from a command line and a current directory.
// Input: the command line up to the first zero byte, the current directory after
// it. An empty input stands for a missing (null) command line.
#include "core/BaseFolder.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"

namespace {

// The program path as Windows splits a command line: inside the quotes when it
// starts with one (to the end when the quote is never closed), else up to the
// first space or tab.
std::string ProgramPathOf(const std::string& commandLine)
{
    if (!commandLine.empty() && commandLine[0] == '"')
        return commandLine.substr(1, commandLine.find('"', 1) - 1);
    return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

// The folder expected from a program path: up to the last backslash before its
// last dot, neither of them at position 0; empty when there is none.
std::string FolderOf(const std::string& path)
{
    std::string folder;
    std::size_t lastDot = 0;
    for (std::size_t i = 1; i < path.size(); ++i)
        if (path[i] == '.')
            lastDot = i;
    for (std::size_t i = 1; i < lastDot; ++i)
        if (path[i] == '\\')
            folder = path.substr(0, i + 1);
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t zero = input.find('\0');
    std::string commandLine = input.substr(0, zero);
    std::string currentDirectory = zero == std::string::npos ? std::string() : input.substr(zero + 1);

    std::string got = DeriveBaseFolder(size == 0 ? nullptr : commandLine.c_str(), currentDirectory);

    FUZZ_CHECK(!got.empty() && got.back() == '\\', "result does not end with a backslash");
    std::string path = ProgramPathOf(commandLine);
    std::string fallback = currentDirectory + "\\";
    bool prefix = got.size() >= 2 && got.size() <= path.size() && path.compare(0, got.size(), got) == 0;
    FUZZ_CHECK(prefix || got == fallback,
               "result (%zu chars) is neither a folder of the program path (%zu chars) nor the "
               "current directory",
               got.size(), path.size());
    std::string folder = FolderOf(path);
    FUZZ_CHECK(got == (folder.empty() ? fallback : folder),
               "result (%zu chars), expected %s (%zu chars)", got.size(),
               folder.empty() ? "the current directory" : "the program's folder",
               folder.empty() ? fallback.size() : folder.size());
    return 0;
}
