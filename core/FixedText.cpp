#include "core/FixedText.h"

#include <cstring>

std::size_t FieldLength(const char* field, std::size_t fieldSize)
{
    const void* end = std::memchr(field, '\0', fieldSize);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : fieldSize;
}

bool AppendText(char* dst, std::size_t dstSize, const char* src)
{
    if (dstSize == 0)
        return src[0] == '\0';
    std::size_t used = FieldLength(dst, dstSize);
    if (used == dstSize) {
        // An unterminated field: terminate it in place rather than read past it.
        dst[dstSize - 1] = '\0';
        used = dstSize - 1;
    }
    std::size_t room = dstSize - 1 - used;
    std::size_t want = std::strlen(src);
    std::size_t take = want < room ? want : room;
    std::memcpy(dst + used, src, take);
    dst[used + take] = '\0';
    return take == want;
}

bool CopyText(char* dst, std::size_t dstSize, const char* src)
{
    if (dstSize == 0)
        return src[0] == '\0';
    dst[0] = '\0';
    return AppendText(dst, dstSize, src);
}
