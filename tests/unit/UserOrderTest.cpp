#include "core/UserOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

struct Tables {
    NameSlot names[kMaxUsers];
    NameSlot folded[kMaxUsers];
    std::int32_t lengths[kMaxUsers];
};

// Lists the names the way the user page does: fold, order, read row by row.
Names Order(const Names& input, std::int32_t* longest = nullptr)
{
    Tables t;
    std::memset(&t, 0, sizeof t);
    for (std::size_t i = 0; i < input.size(); ++i)
        std::memcpy(t.names[i], input[i].data(), input[i].size());
    int count = static_cast<int>(input.size());
    FoldNames(t.names, t.folded, t.lengths, count);
    std::int32_t l = OrderUsers(t.names, t.folded, t.lengths, count);
    if (longest)
        *longest = l;
    Names rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back(t.names[i]);
        // Each row's key is still its own name, folded.
        std::string key = t.names[i];
        for (char& c : key)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        EXPECT_EQ(key, std::string(t.folded[i])) << "row " << i;
    }
    return rows;
}

const std::string kE0 = "\xE0";

TEST(UserOrder, ListedOrders)
{
    struct Case {
        Names input, expected;
    };
    const Case cases[] = {
        {{"Bob", "alice", "Carol"}, {"alice", "Bob", "Carol"}},
        {{"Jon", "Anna"}, {"Anna", "Jon"}},
        {{"Anna", "Jon"}, {"Anna", "Jon"}},
        {{"Ann", "anna", "ANDY"}, {"ANDY", "Ann", "anna"}},
        {{"ab", "a"}, {"a", "ab"}},
        {{"Billy", "Ed", "Bill"}, {"Bill", "Billy", "Ed"}},
        {{"Mary", "Mark", "Max"}, {"Mark", "Mary", "Max"}},
        {{"Zed", kE0 + "bc", "abc"}, {kE0 + "bc", "abc", "Zed"}},
        {{"ab", "ab" + kE0}, {"ab" + kE0, "ab"}},
        {{"bob", "Bob"}, {"bob", "Bob"}},
        {{"Bob", "bob"}, {"Bob", "bob"}},
        {{"solo"}, {"solo"}},
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Order(c.input));
}

TEST(UserOrder, HighBytesOrderBeforeAsciiAndAreNotFolded)
{
    // Thai names in code page 874 (0xA1-0xFB) come first, among themselves by
    // signed byte value; 0xC1 is not a capital and stays as it is.
    const std::string kor = "\xA1\xC3", mor = "\xC1\xD2", ror = "\xC3\xD2";
    EXPECT_EQ((Names{kor, mor, ror, "Anna"}), Order({"Anna", ror, mor, kor}));
    EXPECT_EQ((Names{"\x80", "\xFF", "!", "A"}), Order({"A", "\xFF", "!", "\x80"}));
}

TEST(UserOrder, EveryOrderOfThreeNamesGivesOneResult)
{
    Names sorted = {"ANDY", "Ann", "anna"};
    Names input = sorted;
    std::sort(input.begin(), input.end());
    do {
        Names got = Order(input);
        // Equal keys do not occur here, so the result cannot depend on the input order.
        EXPECT_EQ(sorted, got);
    } while (std::next_permutation(input.begin(), input.end()));
}

TEST(UserOrder, EqualFoldedNamesKeepLibraryOrderInLargeTables)
{
    Names input;
    for (int i = 0; i < kMaxUsers; ++i) {
        std::string name(49, 'a' + (i % 3));
        name[48] = (i % 2) ? 'Q' : 'q';   // same folded key, different bytes
        input.push_back(name);
    }
    std::int32_t longest = 0;
    Names rows = Order(input, &longest);
    EXPECT_EQ(49, longest);
    ASSERT_EQ(input.size(), rows.size());
    // Rows of one key appear in the order they were reported.
    Names expected;
    for (char letter = 'a'; letter <= 'c'; ++letter)
        for (const std::string& n : input)
            if (n[0] == letter)
                expected.push_back(n);
    EXPECT_EQ(expected, rows);
}

TEST(UserOrder, UnterminatedSlotIsReadAs49Bytes)
{
    Tables t;
    std::memset(&t, 'Z', sizeof t.names);
    FoldNames(t.names, t.folded, t.lengths, 2);
    EXPECT_EQ(49, t.lengths[0]);
    EXPECT_EQ(std::string(49, 'z'), std::string(t.folded[0]));
}

TEST(UserOrder, NoUsersNothingToOrder)
{
    Tables t;
    EXPECT_EQ(0, OrderUsers(t.names, t.folded, t.lengths, 0));
    EXPECT_EQ(0, OrderUsers(t.names, t.folded, t.lengths, -5));
}

}  // namespace
