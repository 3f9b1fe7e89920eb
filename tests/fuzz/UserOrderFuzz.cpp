// Folds and orders a user table filled from the fuzz bytes.
// Input: byte 0 = the number of users the library reports (0-120, of which the
// table takes kMaxUsers); then per slot a length byte and that many name bytes
// (at most kNameSlot). A length byte with its top bit set leaves the slot
// unterminated after the name: left-over bytes run on to the zero the user page
// puts in its last byte.
#include "core/UserOrder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzCheck.h"

namespace {

// The folding key of a slot: its text with ASCII capitals lowered.
std::string KeyOf(const NameSlot& slot)
{
    std::string key(slot, strnlen(slot, kNameSlot));
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

// Byte by byte as signed values, the end of the text counting as 0.
bool KeyBefore(const std::string& a, const std::string& b)
{
    for (std::size_t k = 0;; ++k) {
        int ca = k < a.size() ? static_cast<signed char>(a[k]) : 0;
        int cb = k < b.size() ? static_cast<signed char>(b[k]) : 0;
        if (ca != cb)
            return ca < cb;
        if (ca == 0)
            return false;
    }
}

// A stable insertion sort of the slot numbers by key: an element moves only
// past keys strictly after its own.
std::vector<int> ExpectedOrder(const std::vector<std::string>& keys)
{
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(keys.size()); ++i) {
        std::size_t at = order.size();
        while (at > 0 && KeyBefore(keys[i], keys[order[at - 1]]))
            --at;
        order.insert(order.begin() + static_cast<std::ptrdiff_t>(at), i);
    }
    return order;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    int reported = data[0] % 121;
    int count = reported < kMaxUsers ? reported : kMaxUsers;

    // Tables of exactly count rows on the heap, so the sanitizer sees any row past them.
    std::unique_ptr<NameSlot[]> names(new NameSlot[count]);
    std::unique_ptr<NameSlot[]> folded(new NameSlot[count]);
    std::unique_ptr<std::int32_t[]> lengths(new std::int32_t[count]);
    std::size_t at = 1;
    for (int i = 0; i < count; ++i) {
        // Left-over bytes from earlier fetches, capitals among them.
        std::memset(names[i], 'A' + i % 26, kNameSlot);
        if (at < size) {
            unsigned lengthByte = data[at++];
            std::size_t length = std::min<std::size_t>(lengthByte & 0x7F, kNameSlot);
            length = std::min(length, size - at);
            std::memcpy(names[i], data + at, length);
            at += length;
            if (!(lengthByte & 0x80) && length < static_cast<std::size_t>(kNameSlot))
                names[i][length] = '\0';
        }
        names[i][kNameSlot - 1] = '\0';   // as the user page does after each fetch
    }
    std::memset(folded.get(), 0x5A, count * sizeof(NameSlot));
    std::memset(lengths.get(), 0x5A, count * sizeof(std::int32_t));

    std::vector<std::string> slots, keys;
    std::int32_t longestWanted = 0;
    for (int i = 0; i < count; ++i) {
        slots.emplace_back(names[i], kNameSlot);
        keys.push_back(KeyOf(names[i]));
        longestWanted = std::max<std::int32_t>(longestWanted, static_cast<std::int32_t>(keys[i].size()));
    }

    FoldNames(names.get(), folded.get(), lengths.get(), count);
    for (int i = 0; i < count; ++i) {
        FUZZ_CHECK(lengths[i] == static_cast<std::int32_t>(keys[i].size()),
                   "slot %d: length %d, name has %zu bytes", i, lengths[i], keys[i].size());
        std::string wantFolded = keys[i] + std::string(kNameSlot - keys[i].size(), '\0');
        FUZZ_CHECK(std::memcmp(folded[i], wantFolded.data(), kNameSlot) == 0,
                   "slot %d: folded slot is not the lowered name, zero-filled", i);
        if (i > 0)
            FUZZ_CHECK(FoldedBefore(folded[i - 1], folded[i]) == KeyBefore(keys[i - 1], keys[i]),
                       "slots %d and %d: FoldedBefore disagrees with the ordering rule", i - 1, i);
    }

    std::int32_t longest = OrderUsers(names.get(), folded.get(), lengths.get(), count);
    FUZZ_CHECK(longest == longestWanted, "longest %d, expected %d", longest, longestWanted);

    // The rows are a permutation of the input slots, each slot whole, in
    // non-decreasing order of their folded names.
    std::vector<std::string> rows;
    for (int row = 0; row < count; ++row) {
        rows.emplace_back(names[row], kNameSlot);
        if (row > 0)
            FUZZ_CHECK(!KeyBefore(KeyOf(folded[row]), KeyOf(folded[row - 1])),
                       "rows %d and %d: folded names out of order", row - 1, row);
    }
    std::vector<std::string> sortedRows = rows, sortedSlots = slots;
    std::sort(sortedRows.begin(), sortedRows.end());
    std::sort(sortedSlots.begin(), sortedSlots.end());
    FUZZ_CHECK(sortedRows == sortedSlots, "the rows are not a permutation of the input slots");
    // Equal keys keep their input order: the rows are exactly the stable order,
    // with each folded name and length still beside its own name.
    std::vector<int> order = ExpectedOrder(keys);
    for (int row = 0; row < count; ++row) {
        std::size_t from = static_cast<std::size_t>(order[static_cast<std::size_t>(row)]);
        FUZZ_CHECK(rows[static_cast<std::size_t>(row)] == slots[from],
                   "row %d: the stable order puts input slot %zu here", row, from);
        std::string wantFolded = keys[from] + std::string(kNameSlot - keys[from].size(), '\0');
        FUZZ_CHECK(std::memcmp(folded[row], wantFolded.data(), kNameSlot) == 0 &&
                       lengths[row] == static_cast<std::int32_t>(keys[from].size()),
                   "row %d: folded name or length did not move with the name", row);
    }
    return 0;
}
