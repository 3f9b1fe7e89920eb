#include "app/BaseFolder.h"

namespace {

// The program path: up to the closing quote when it is quoted, else up to the
// first blank, as Windows itself splits a command line.
std::string ProgramPath(const char* commandLine)
{
    const char* at = commandLine;
    if (*at == '"') {
        ++at;
        const char* end = at;
        while (*end && *end != '"')
            ++end;
        return std::string(at, end);
    }
    const char* end = at;
    while (*end && *end != ' ' && *end != '\t')
        ++end;
    return std::string(at, end);
}

}  // namespace

std::string DeriveBaseFolder(const char* commandLine, const std::string& currentDirectory)
{
    std::string path = ProgramPath(commandLine ? commandLine : "");
    // The last dot at position 1 or later, then the nearest backslash at or
    // before it, again never position 0.
    std::size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && dot >= 1) {
        std::size_t slash = path.find_last_of('\\', dot);
        if (slash != std::string::npos && slash >= 1)
            return path.substr(0, slash) + "\\";
    }
    return currentDirectory + "\\";
}
