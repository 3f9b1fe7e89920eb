#include "palm/DesktopFolder.h"

#include <windows.h>

#include <cstring>
#include <vector>

const char kDesktopNotFound[] = "Hotsync not found!!";
const char kDesktopValueName[] = "HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core\\DesktopPath";

namespace {

const char kCoreKey[] = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char kDesktopPathValue[] = "DesktopPath";
const int kValuesSearched = 50;
const DWORD kWorkBufferSize = 256;

// The data of the value at `index` whose name is already known to match, read
// whole however long it is, and its type. Data that is not zero-terminated
// ends with the data.
bool ReadValueData(HKEY key, DWORD index, std::string* text, DWORD* type)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        char name[kWorkBufferSize];
        DWORD nameSize = kWorkBufferSize;
        DWORD dataSize = 0;
        if (::RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, nullptr, &dataSize) != ERROR_SUCCESS)
            return false;
        std::vector<BYTE> data(dataSize + 1, 0);
        nameSize = kWorkBufferSize;
        LONG rc = ::RegEnumValueA(key, index, name, &nameSize, nullptr, type, data.data(), &dataSize);
        if (rc == ERROR_MORE_DATA)   // the value grew between the two calls
            continue;
        if (rc != ERROR_SUCCESS)
            return false;
        const char* begin = reinterpret_cast<const char*>(data.data());
        text->assign(begin, strnlen(begin, dataSize));
        return true;
    }
    return false;
}

// REG_EXPAND_SZ is how Windows stores a path holding %NAME% parts
// (`%SystemDrive%\Palm`); only the expanded text names a folder. A name that
// is not set stays as it is written, as Windows leaves it.
std::string Expand(const std::string& text)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
        if (size == 0)
            return text;
        std::vector<char> expanded(size + 1, '\0');
        DWORD got = ::ExpandEnvironmentStringsA(text.c_str(), expanded.data(), size + 1);
        if (got == 0)
            return text;
        if (got <= size + 1)
            return expanded.data();
        // A variable grew between the two calls.
    }
    return text;
}

}  // namespace

std::string FindDesktopFolder()
{
    HKEY root = nullptr;
    if (::RegOpenKeyA(HKEY_CURRENT_USER, nullptr, &root) != ERROR_SUCCESS)
        return kDesktopNotFound;
    // Read access is all the lookup needs; asking for more is refused on
    // locked-down accounts, which would report Palm Desktop missing.
    HKEY key = nullptr;
    LONG opened = ::RegOpenKeyExA(root, kCoreKey, 0, KEY_READ, &key);
    ::RegCloseKey(root);
    if (opened != ERROR_SUCCESS)
        return kDesktopNotFound;

    std::string result = kDesktopNotFound;
    DWORD type = REG_NONE;
    for (DWORD i = 0; i < kValuesSearched; ++i) {
        char name[kWorkBufferSize];
        BYTE data[kWorkBufferSize];
        DWORD nameSize = kWorkBufferSize;
        DWORD dataSize = kWorkBufferSize;
        LONG rc = ::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize);
        if (rc == ERROR_MORE_DATA) {
            // Either the name or the data is longer than the work buffers:
            // learn the name alone, and read long data whole.
            nameSize = kWorkBufferSize;
            rc = ::RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_SUCCESS && std::strcmp(name, kDesktopPathValue) == 0) {
                if (!ReadValueData(key, i, &result, &type))
                    result = kDesktopNotFound;
                break;
            }
            continue;
        }
        if (rc != ERROR_SUCCESS)
            continue;
        if (std::strcmp(name, kDesktopPathValue) == 0) {
            const char* text = reinterpret_cast<const char*>(data);
            result.assign(text, strnlen(text, dataSize));
            break;
        }
    }
    ::RegCloseKey(key);
    if (type == REG_EXPAND_SZ && result != kDesktopNotFound)
        return Expand(result);
    return result;
}
