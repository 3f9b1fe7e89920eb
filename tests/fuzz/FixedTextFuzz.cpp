// Drives the bounded copy helpers with fuzzed field sizes, field contents and
// sources. Input: byte 0 = the operation (even: copy, odd: append), byte 1 =
// the field size (0-63), then the field's earlier bytes (size bytes, terminated
// or not), then the source text up to the next zero byte or the end.
#include "core/FixedText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzCheck.h"

namespace {

const std::size_t kGuard = 16;
const unsigned char kGuardByte = 0xA5;

// What the field should say after the operation, and whether the source fit.
struct Expected {
    std::string text;
    bool fit;
};

Expected Model(bool append, const std::string& before, std::size_t fieldSize, const std::string& src)
{
    if (fieldSize == 0)
        return {std::string(), src.empty()};
    std::string text;
    if (append) {
        // An unterminated field counts as its first fieldSize - 1 bytes.
        text = before.substr(0, std::min(before.find('\0'), fieldSize - 1));
    }
    std::size_t room = fieldSize - 1 - text.size();
    text += src.substr(0, room);
    return {text, src.size() <= room};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    bool append = data[0] & 1;
    const char* what = append ? "append" : "copy";
    std::size_t fieldSize = data[1] % 64;
    const char* rest = reinterpret_cast<const char*>(data + 2);
    std::size_t taken = std::min(fieldSize, size - 2);
    std::string before(rest, taken);
    before.resize(fieldSize, 'x');   // a short input leaves the field unterminated
    std::string src(rest + taken, size - 2 - taken);
    src = src.substr(0, src.find('\0'));
    Expected want = Model(append, before, fieldSize, src);

    // The field between guard bytes: any write past either end changes a guard
    // (with a size of 0, any write at all).
    std::unique_ptr<unsigned char[]> block(new unsigned char[kGuard + fieldSize + kGuard]);
    std::memset(block.get(), kGuardByte, kGuard + fieldSize + kGuard);
    char* field = reinterpret_cast<char*>(block.get() + kGuard);
    std::memcpy(field, before.data(), fieldSize);
    bool fit = append ? AppendText(field, fieldSize, src.c_str()) : CopyText(field, fieldSize, src.c_str());
    for (std::size_t i = 0; i < kGuard; ++i)
        FUZZ_CHECK(block[i] == kGuardByte && block[kGuard + fieldSize + i] == kGuardByte,
                   "%s into a %zu-byte field wrote past it", what, fieldSize);
    FUZZ_CHECK(fit == want.fit, "%s of %zu characters into a %zu-byte field returned %d", what,
               src.size(), fieldSize, fit);
    if (fieldSize > 0) {
        std::size_t length = FieldLength(field, fieldSize);
        FUZZ_CHECK(length < fieldSize, "%s left a %zu-byte field unterminated", what, fieldSize);
        FUZZ_CHECK(std::string(field, length) == want.text,
                   "%s into a %zu-byte field holds %zu characters, the longest fitting text has %zu",
                   what, fieldSize, length, want.text.size());
    }

    // Again on a field of exactly its size on the heap, where the sanitizer
    // catches any read past it (a size of 0 allows no access at all).
    std::unique_ptr<char[]> exact(new char[fieldSize]);
    std::memcpy(exact.get(), before.data(), fieldSize);
    std::size_t beforeLength = FieldLength(exact.get(), fieldSize);
    FUZZ_CHECK(beforeLength == std::min(before.find('\0'), fieldSize), "FieldLength %zu is wrong",
               beforeLength);
    bool exactFit = append ? AppendText(exact.get(), fieldSize, src.c_str())
                           : CopyText(exact.get(), fieldSize, src.c_str());
    FUZZ_CHECK(exactFit == fit && std::memcmp(exact.get(), field, fieldSize) == 0,
               "the same %s gave another result in another field", what);
    return 0;
}
