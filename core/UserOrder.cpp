#include "core/UserOrder.h"

#include <algorithm>
#include <cstring>

#include "core/FixedText.h"

void FoldNames(const NameSlot* names, NameSlot* folded, std::int32_t* lengths, int count)
{
    for (int i = 0; i < count; ++i) {
        // A slot filled without a terminator is read as its first kNameSlot - 1 bytes.
        std::size_t length = std::min<std::size_t>(FieldLength(names[i]), kNameSlot - 1);
        std::memset(folded[i], 0, sizeof folded[i]);
        for (std::size_t j = 0; j < length; ++j) {
            char c = names[i][j];
            folded[i][j] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
        lengths[i] = static_cast<std::int32_t>(length);
    }
}

bool FoldedBefore(const NameSlot& a, const NameSlot& b)
{
    for (int k = 0; k < kNameSlot; ++k) {
        signed char ca = static_cast<signed char>(a[k]);
        signed char cb = static_cast<signed char>(b[k]);
        if (ca != cb)
            return ca < cb;
        if (ca == 0)
            return false;
    }
    return false;
}

std::int32_t OrderUsers(NameSlot* names, NameSlot* folded, std::int32_t* lengths, int count)
{
    if (count <= 0)
        return 0;
    int order[kMaxUsers];
    int n = std::min(count, kMaxUsers);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order, order + n, [folded](int a, int b) { return FoldedBefore(folded[a], folded[b]); });

    NameSlot sortedNames[kMaxUsers];
    NameSlot sortedFolded[kMaxUsers];
    std::int32_t sortedLengths[kMaxUsers] = {};
    std::int32_t longest = 0;
    for (int i = 0; i < n; ++i) {
        std::memcpy(sortedNames[i], names[order[i]], sizeof(NameSlot));
        std::memcpy(sortedFolded[i], folded[order[i]], sizeof(NameSlot));
        sortedLengths[i] = lengths[order[i]];
        longest = std::max(longest, sortedLengths[i]);
    }
    std::memcpy(names, sortedNames, n * sizeof(NameSlot));
    std::memcpy(folded, sortedFolded, n * sizeof(NameSlot));
    std::memcpy(lengths, sortedLengths, n * sizeof(std::int32_t));
    return longest;
}
