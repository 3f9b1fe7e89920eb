#include "core/FixedText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A field with guard bytes on both sides, so any write past it shows.
struct Guarded {
    char before[8];
    char field[8];
    char after[8];
    Guarded()
    {
        std::memset(this, 0x5A, sizeof *this);
    }
    bool GuardsIntact() const
    {
        for (int i = 0; i < 8; ++i)
            if (before[i] != 0x5A || after[i] != 0x5A)
                return false;
        return true;
    }
};

TEST(FixedText, CopyFitsOrStopsShortAndSays)
{
    Guarded g;
    EXPECT_TRUE(CopyText(g.field, "1234567"));   // 7 + terminator: exactly full
    EXPECT_STREQ("1234567", g.field);
    EXPECT_FALSE(CopyText(g.field, "12345678"));
    EXPECT_STREQ("1234567", g.field);
    EXPECT_TRUE(CopyText(g.field, ""));
    EXPECT_STREQ("", g.field);
    EXPECT_TRUE(g.GuardsIntact());
}

TEST(FixedText, AppendStopsAtTheFieldEnd)
{
    Guarded g;
    CopyText(g.field, "abc");
    EXPECT_TRUE(AppendText(g.field, "defg"));
    EXPECT_STREQ("abcdefg", g.field);
    EXPECT_FALSE(AppendText(g.field, "h"));
    EXPECT_STREQ("abcdefg", g.field);
    EXPECT_TRUE(AppendText(g.field, ""));
    EXPECT_TRUE(g.GuardsIntact());
}

TEST(FixedText, UnterminatedFieldIsNeverReadPast)
{
    Guarded g;
    std::memset(g.field, 'x', sizeof g.field);
    EXPECT_EQ(sizeof g.field, FieldLength(g.field));
    EXPECT_FALSE(AppendText(g.field, "y"));
    EXPECT_EQ(7u, std::strlen(g.field));
    EXPECT_TRUE(g.GuardsIntact());
}

TEST(FixedText, ZeroSizedFieldIsLeftAlone)
{
    char c = 'q';
    EXPECT_FALSE(CopyText(&c, 0, "a"));
    EXPECT_TRUE(CopyText(&c, 0, ""));
    EXPECT_FALSE(AppendText(&c, 0, "a"));
    EXPECT_EQ('q', c);
}

}  // namespace
