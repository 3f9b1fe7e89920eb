#include "palm/DesktopFolder.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "framework/AnsiPath.h"

const char kDesktopNotFound[] = "Hotsync not found!!";
const char kDesktopValueName[] = "HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core\\DesktopPath";

namespace {

const wchar_t kCoreKey[] = L"Software\\U.S. Robotics\\Pilot Desktop\\Core";
const wchar_t kDesktopPathValue[] = L"DesktopPath";
const int kValuesSearched = 50;
const DWORD kWorkBufferSize = 256;   // characters

// The registry holds string data as Unicode, read as such so that a folder
// named in letters the ANSI code page lacks is still found. Data of another
// type is the bytes it holds, as the ANSI functions give it.
struct ValueData {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    DWORD size = 0;
};

bool IsText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The data of the value at `index` whose name is already known to match, read
// whole however long it is.
bool ReadValueData(HKEY key, DWORD index, ValueData* value)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        wchar_t name[kWorkBufferSize];
        DWORD nameSize = kWorkBufferSize;
        DWORD dataSize = 0;
        if (::RegEnumValueW(key, index, name, &nameSize, nullptr, nullptr, nullptr, &dataSize) != ERROR_SUCCESS)
            return false;
        value->bytes.assign(dataSize + sizeof(wchar_t), 0);
        nameSize = kWorkBufferSize;
        LONG rc = ::RegEnumValueW(key, index, name, &nameSize, nullptr, &value->type, value->bytes.data(), &dataSize);
        if (rc == ERROR_MORE_DATA)   // the value grew between the two calls
            continue;
        if (rc != ERROR_SUCCESS)
            return false;
        value->size = dataSize;
        return true;
    }
    return false;
}

// REG_EXPAND_SZ is how Windows stores a path holding %NAME% parts
// (`%SystemDrive%\Palm`); only the expanded text names a folder. A name that
// is not set stays as it is written, as Windows leaves it.
std::wstring Expand(const std::wstring& text)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
        if (size == 0)
            return text;
        std::vector<wchar_t> expanded(size + 1, L'\0');
        DWORD got = ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size + 1);
        if (got == 0)
            return text;
        if (got <= size + 1)
            return expanded.data();
        // A variable grew between the two calls.
    }
    return text;
}

// Data that is not zero-terminated ends with the data.
DesktopFolder FolderOf(const ValueData& value)
{
    if (!IsText(value.type)) {
        const char* bytes = reinterpret_cast<const char*>(value.bytes.data());
        return {std::string(bytes, strnlen(bytes, value.size)), std::wstring()};
    }
    std::vector<wchar_t> chars(value.size / sizeof(wchar_t) + 1, L'\0');
    std::memcpy(chars.data(), value.bytes.data(), value.size / sizeof(wchar_t) * sizeof(wchar_t));
    std::wstring text(chars.data(), wcsnlen(chars.data(), chars.size()));
    if (value.type == REG_EXPAND_SZ)
        text = Expand(text);
    AnsiFolder folder = AfxAnsiFolder(text);
    if (folder.spelling == AnsiSpelling::None)
        return {std::string(), text};
    return {folder.path, std::wstring()};
}

}  // namespace

DesktopFolder FindDesktopFolder()
{
    const DesktopFolder notFound = {kDesktopNotFound, std::wstring()};
    HKEY root = nullptr;
    if (::RegOpenKeyW(HKEY_CURRENT_USER, nullptr, &root) != ERROR_SUCCESS)
        return notFound;
    // Read access is all the lookup needs; asking for more is refused on
    // locked-down accounts, which would report Palm Desktop missing.
    HKEY key = nullptr;
    LONG opened = ::RegOpenKeyExW(root, kCoreKey, 0, KEY_READ, &key);
    ::RegCloseKey(root);
    if (opened != ERROR_SUCCESS)
        return notFound;

    bool found = false;
    ValueData value;
    for (DWORD i = 0; i < kValuesSearched; ++i) {
        wchar_t name[kWorkBufferSize];
        wchar_t data[kWorkBufferSize];
        DWORD nameSize = kWorkBufferSize;
        DWORD dataSize = sizeof data;
        LONG rc = ::RegEnumValueW(key, i, name, &nameSize, nullptr, &value.type, reinterpret_cast<BYTE*>(data),
                                  &dataSize);
        if (rc == ERROR_MORE_DATA) {
            // Either the name or the data is longer than the work buffers:
            // learn the name alone, and read long data whole.
            nameSize = kWorkBufferSize;
            rc = ::RegEnumValueW(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_SUCCESS && std::wcscmp(name, kDesktopPathValue) == 0) {
                found = ReadValueData(key, i, &value);
                break;
            }
            continue;
        }
        if (rc != ERROR_SUCCESS)
            continue;
        if (std::wcscmp(name, kDesktopPathValue) == 0) {
            const BYTE* begin = reinterpret_cast<const BYTE*>(data);
            value.bytes.assign(begin, begin + dataSize);
            value.bytes.resize(dataSize + sizeof(wchar_t), 0);
            value.size = dataSize;
            found = true;
            break;
        }
    }
    ::RegCloseKey(key);
    return found ? FolderOf(value) : notFound;
}
