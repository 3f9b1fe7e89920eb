#include "core/BaseFolder.h"

namespace {

// The program path: up to the closing quote when it is quoted, else up to the
// first blank, as Windows itself splits a command line.
template <class Char>
std::basic_string<Char> ProgramPath(const Char* commandLine)
{
    const Char* at = commandLine;
    if (*at == '"') {
        ++at;
        const Char* end = at;
        while (*end && *end != '"')
            ++end;
        return std::basic_string<Char>(at, end);
    }
    const Char* end = at;
    while (*end && *end != ' ' && *end != '\t')
        ++end;
    return std::basic_string<Char>(at, end);
}

template <class Char>
std::basic_string<Char> Derive(const Char* commandLine, const std::basic_string<Char>& currentDirectory)
{
    const Char empty[] = {0};
    const Char backslash[] = {'\\', 0};
    std::basic_string<Char> path = ProgramPath(commandLine ? commandLine : empty);
    // The last dot at position 1 or later, then the nearest backslash at or
    // before it, again never position 0.
    std::size_t dot = path.find_last_of(Char('.'));
    if (dot != std::basic_string<Char>::npos && dot >= 1) {
        std::size_t slash = path.find_last_of(Char('\\'), dot);
        if (slash != std::basic_string<Char>::npos && slash >= 1)
            return path.substr(0, slash) + backslash;
    }
    return currentDirectory + backslash;
}

}  // namespace

std::string DeriveBaseFolder(const char* commandLine, const std::string& currentDirectory)
{
    return Derive(commandLine, currentDirectory);
}

std::wstring DeriveBaseFolder(const wchar_t* commandLine, const std::wstring& currentDirectory)
{
    return Derive(commandLine, currentDirectory);
}
