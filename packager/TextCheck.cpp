#include "packager/TextCheck.h"

#include <algorithm>

ByteOrderMark FindByteOrderMark(const std::string& bytes)
{
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return ByteOrderMark::Utf8;
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return ByteOrderMark::Utf16LE;
    if (bytes.compare(0, 2, "\xFE\xFF") == 0)
        return ByteOrderMark::Utf16BE;
    return ByteOrderMark::None;
}

bool IsAscii(const std::string& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::size_t ByteOrderMarkSize(ByteOrderMark mark)
{
    switch (mark) {
    case ByteOrderMark::Utf8:
        return 3;
    case ByteOrderMark::Utf16LE:
    case ByteOrderMark::Utf16BE:
        return 2;
    case ByteOrderMark::None:
        break;
    }
    return 0;
}

const char* ByteOrderMarkName(ByteOrderMark mark)
{
    switch (mark) {
    case ByteOrderMark::Utf8:
        return "UTF-8";
    case ByteOrderMark::Utf16LE:
        return "UTF-16 (little-endian)";
    case ByteOrderMark::Utf16BE:
        return "UTF-16 (big-endian)";
    case ByteOrderMark::None:
        break;
    }
    return "";
}

ByteOrderMark FindUtf16(const std::string& bytes)
{
    ByteOrderMark mark = FindByteOrderMark(bytes);
    if (mark == ByteOrderMark::Utf16LE || mark == ByteOrderMark::Utf16BE)
        return mark;
    std::size_t pairs = bytes.size() / 2, zeros[2] = {0, 0};
    for (std::size_t i = 0; i < pairs * 2; ++i)
        zeros[i % 2] += bytes[i] == '\0';
    if (pairs == 0 || (zeros[0] > 0) == (zeros[1] > 0))
        return ByteOrderMark::None;
    std::size_t high = zeros[1] > 0 ? 1 : 0;
    return zeros[high] * 2 >= pairs ? (high == 1 ? ByteOrderMark::Utf16LE : ByteOrderMark::Utf16BE)
                                    : ByteOrderMark::None;
}

bool IsUtf8WithNonAscii(const std::string& bytes)
{
    bool nonAscii = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // Length and the range of the first continuation byte (RFC 3629 table).
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (bytes.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            unsigned char c = static_cast<unsigned char>(bytes[i + k]);
            if (c < low || c > high)
                return false;
            low = 0x80;
            high = 0xBF;
        }
        nonAscii = true;
        i += length;
    }
    return nonAscii;
}
