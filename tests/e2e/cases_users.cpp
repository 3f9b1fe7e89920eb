// Cases of the users page: what it lists and in which order, what the
// library's limits and defects do to it, and how real clicks and keys keep
// exactly one row checked. Where it finds Palm Desktop: cases_desktop_path.cpp.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

using namespace e2e;

namespace {

typedef std::vector<std::string> Lines;

// The package, setup.exe started, the disclaimer and the mode page accepted:
// the mode page just left, or null.
HWND LaidOutToUsers(World& world, Process& setup)
{
    return PutPackage(world) ? PassToUsers(world, setup) : nullptr;
}

// setup.exe of a fresh world, with the package and a Palm Desktop of these
// users, on the users page; and the page's list.
struct UsersPageOf {
    explicit UsersPageOf(const std::string& users)
        : page(world.StandardPalm(users) && PutPackage(world) ? StartAtUsers(world, setup).hwnd : nullptr),
          list(Control(page, IDC_USERLIST))
    {
    }
    World world;
    Process setup;
    HWND page;
    RemoteListView list;
};

// "1" for a checked row, "0" for an unchecked one.
std::string Checks(RemoteListView& list)
{
    std::string s;
    for (bool c : list.CheckStates())
        s += c ? '1' : '0';
    return s;
}

std::string RowZeroChecked(std::size_t rows)
{
    return rows ? "1" + std::string(rows - 1, '0') : "";
}

// The name the stand-in makes for its generated user `number`, `length` bytes.
std::string GeneratedName(unsigned number, std::size_t length)
{
    char head[16];
    std::snprintf(head, sizeof head, "User%04u", number);
    std::string name = head;
    for (std::size_t i = name.size(); i < length; ++i)
        name += static_cast<char>('a' + (i - 8) % 26);
    return name;
}

std::string Repeat(const std::string& unit, std::size_t length)
{
    std::string s;
    while (s.size() < length)
        s += unit[s.size() % unit.size()];
    return s;
}

std::string UsersFile(const Lines& names)
{
    std::string s;
    for (const std::string& n : names)
        s += n + "\n";
    return s;
}

// 99 generated names of 49 bytes, then "zed".
Lines ManyNames()
{
    Lines many;
    for (unsigned i = 1; i <= 99; ++i)
        many.push_back(GeneratedName(i, 49));
    many.push_back("zed");
    return many;
}

// What the library reports (the stand-in's users file), the rows the page
// lists, and the library's calls while it opens.
struct ListedRow {
    const char* name;
    std::string users;
    Lines listed;
    Lines calls;    // none: not compared
};

const ListedRow kListedRows[] = {
    // The order of the rows.
    {"letters_fold_to_small", UsersFile({"Bob", "alice", "Carol"}), {"alice", "Bob", "Carol"}, {}},
    {"reversed", UsersFile({"Jon", "Anna"}), {"Anna", "Jon"}, {}},
    {"in_order", UsersFile({"Anna", "Jon"}), {"Anna", "Jon"}, {}},
    {"shared_beginnings", UsersFile({"Ann", "anna", "ANDY"}), {"ANDY", "Ann", "anna"}, {}},
    {"shorter_first", UsersFile({"ab", "a"}), {"a", "ab"}, {}},
    {"shorter_first_among_three", UsersFile({"Billy", "Ed", "Bill"}), {"Bill", "Billy", "Ed"}, {}},
    {"third_letter", UsersFile({"Mary", "Mark", "Max"}), {"Mark", "Mary", "Max"}, {}},
    {"high_byte_first", UsersFile({"Zed", "\xE0" "bc", "abc"}), {"\xE0" "bc", "abc", "Zed"}, {}},
    {"high_byte_before_the_end", UsersFile({"ab", "ab\xE0"}), {"ab\xE0", "ab"}, {}},
    {"alike_small_first", UsersFile({"bob", "Bob"}), {"bob", "Bob"}, {}},
    {"alike_capital_first", UsersFile({"Bob", "bob"}), {"Bob", "bob"}, {}},
    {"alike_three", UsersFile({"AL", "al", "Al"}), {"AL", "al", "Al"}, {}},
    // '_' and '[' lie between the capitals and the small letters.
    {"underscore", UsersFile({"Ab", "_a"}), {"_a", "Ab"}, {}},
    {"bracket", UsersFile({"Zed", "[x"}), {"[x", "Zed"}, {}},
    // Thai in code page 874: สมชาย, กมล, then an ASCII name.
    {"thai", UsersFile({"Somchai", "\xCA\xC1\xAA\xD2\xC2", "\xA1\xC1\xC5"}),
     {"\xA1\xC1\xC5", "\xCA\xC1\xAA\xD2\xC2", "Somchai"}, {}},
    {"bytes_signed", UsersFile({"\xFB", "b", "\x80z", "\xA1"}), {"\x80z", "\xA1", "\xFB", "b"}, {}},
    // Odd counts and names.
    {"count_0", "Alice\nBob\n#count=0\n", {}, {"attach", "PltGetUserCount 0", "detach"}},
    {"count_minus_3", "Alice\n#count=-3\n", {}, {"attach", "PltGetUserCount -3", "detach"}},
    {"one_user", "Alice\n", {"Alice"}, {"attach", "PltGetUserCount 1", "PltGetUser 0 0", "detach"}},
    // The first 100 reported, not the first 100 in order.
    {"users_121", "zed\n#many=120,49\n", ManyNames(), {}},
    // Slot 0 filled to its end without a terminator, "Alice" right after it.
    {"unterminated_name", "Bob\nAlice\n#unterminated=0\n", {"Alice", Repeat("Bob", 49)}, {}},
    {"untouched_slot", "Alice\nBob\n#untouched=0\n", {"", "Bob"}, {}},
};

using Listed = Rows<ListedRow>;

struct LibraryRow {
    const char* name;
    const char* variant;     // copied as Instaide.dll; null: no library
    const char* says;        // in the box
    Lines calls;
};

const LibraryRow kLibraryRows[] = {
    {"no_library", nullptr, "could not be loaded: ", {}},
    {"no_PltGetUserCount", "Instaide-no-PltGetUserCount.dll", "no entry point PltGetUserCount.", {"attach", "detach"}},
    {"no_PltGetUser", "Instaide-no-PltGetUser.dll", "no entry point PltGetUser.", {"attach", "detach"}},
};

using Library = Rows<LibraryRow>;

}  // namespace

// ---------------------------------------------------------------- list and order

// The list's look and the library's use while the page opens: loaded,
// asked, and released before the page waits for the user.
TEST_F(Thai, users_list_style_column_and_library_calls)
{
    UsersPageOf on("Carol\nalice\nBob\n");
    ASSERT_TRUE(on.page);
    EXPECT_EQ(on.list.Rows(), (Lines{"alice", "Bob", "Carol"}));
    EXPECT_EQ(Checks(on.list), std::string("100"));
    EXPECT_EQ(on.list.ExtendedStyle(), static_cast<DWORD>(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT));
    std::string heading;
    int width = 0, format = -1;
    ASSERT_TRUE(on.list.Column(0, &heading, &width, &format));
    EXPECT_EQ(heading, std::string("U"));
    EXPECT_EQ(format & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    RECT r;
    GetWindowRect(on.list.Hwnd(), &r);
    MapWindowPoints(nullptr, on.page, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(width, r.right - 200);
    EXPECT_TRUE(!on.list.Column(1, nullptr));
    EXPECT_EQ(on.world.CallLines(), (Lines{"attach", "PltGetUserCount 3", "PltGetUser 0 0", "PltGetUser 1 0",
                                          "PltGetUser 2 0", "detach"}));
    Screenshot(on.page, "users");
}

// The rows in the order of the folded names, compared byte by byte as
// signed values with the end of a name as 0: ASCII letters fold to small
// ones, nothing else folds, bytes 0x80-0xFF come first, and names that fold
// alike keep the library's order. Only what the library reports is listed,
// at most 100 names, a name slot read as at most 49 bytes. Row 0, and only
// row 0, starts checked.
TEST_P(Listed, users_list_order_and_limits)
{
    const ListedRow& row = GetParam();
    UsersPageOf on(row.users);
    ASSERT_TRUE(on.page);
    EXPECT_EQ(on.list.Rows(), row.listed);
    EXPECT_EQ(Checks(on.list), RowZeroChecked(row.listed.size()));
    if (!row.calls.empty()) {
        EXPECT_EQ(on.world.CallLines(), row.calls);
    }
    if (!row.listed.empty() && row.listed[0] == "\xA1\xC1\xC5") {
        EXPECT_EQ(on.list.TextW(0), std::wstring(L"\u0E01\u0E21\u0E25"));
        Screenshot(on.page, "thai");
    }
    EXPECT_TRUE(on.setup.Running());
}

E2E_ROWS(Thai, Listed, kListedRows);

// ---------------------------------------------------------------- library problems

// A Palm Desktop without its library, or with one lacking an entry point
// the page needs: a box names the library's full path, nothing is listed,
// and the program goes on. (One that lacks only what confirming needs:
// cases_queue.cpp.)
TEST_P(Library, users_library_problems)
{
    const LibraryRow& row = GetParam();
    World world;
    Process setup;
    ASSERT_TRUE(SetDesktopPath(world.PalmDir()));
    ASSERT_TRUE((!row.variant || world.UseStandin(row.variant)) && world.WriteUsers("Bob\nAlice\n"));
    if (!LaidOutToUsers(world, setup))
        return;
    MessageBoxInfo box = ExpectBox(setup, nullptr, {JoinPath(world.PalmDir(), "Instaide.dll"), row.says}, "box");
    if (box.hwnd) {
        EXPECT_EQ(Classify(box.owner), PageKind::Users);
    }
    if (box.hwnd && !row.variant) {
        // The system's own reason, as every other failure gives it.
        std::wstring reason = SystemText(ERROR_MOD_NOT_FOUND);
        reason.erase(reason.find_last_not_of(L". ") + 1);
        EXPECT_NE(box.text.find(L"could not be loaded: " + reason + L" (error 126)."), std::wstring::npos)
            << Utf8(box.text);
    }
    if (HWND page = WaitFor(setup, PageKind::Users).hwnd) {
        RemoteListView list(Control(page, IDC_USERLIST));
        EXPECT_EQ(list.Rows(), Lines{});
        EXPECT_EQ(world.CallLines(), row.calls);
        ExpectLivesOn(setup, page);
    }
}

E2E_ROWS(Thai, Library, kLibraryRows);

// ---------------------------------------------------------------- single choice

namespace {

enum class Act { Text, Box, Below, Key };

struct Step {
    Act act;
    int arg;               // row, or virtual key
    const char* checks;    // "010": only row 1 checked
    int selected;          // the selected row; -1 none; -2 not compared
};

const char kThree[] = "Alice\nBob\nCarol\n";

// Steps of real input on a fresh users page of these users.
struct ChoiceRow {
    const char* name;
    const char* users;
    std::vector<Step> steps;
};

const ChoiceRow kChoiceRows[] = {
    {"click_text_makes_the_only_checked_row", kThree,
     {{Act::Text, 2, "001", 2}, {Act::Text, 1, "010", 1}, {Act::Text, 1, "010", 1}, {Act::Text, 0, "100", 0}}},
    {"click_unchecked_box_clears_every_other", kThree,
     {{Act::Box, 2, "001", 2}, {Act::Box, 1, "010", 1}, {Act::Box, 0, "100", 0}}},
    // Unchecking the checked row does not stick: on a fresh page, where row 0
    // is checked but not selected, and on a row checked by clicking its text.
    {"clearing_the_checked_box_does_not_stick", kThree,
     {{Act::Box, 0, "100", 0}, {Act::Text, 1, "010", 1}, {Act::Box, 1, "010", 1}, {Act::Box, 1, "010", 1}}},
    {"click_below_rows_changes_no_check", kThree,
     {{Act::Below, 0, "100", -2}, {Act::Text, 2, "001", 2}, {Act::Below, 0, "001", -2}, {Act::Box, 1, "010", 1},
      {Act::Below, 0, "010", -2}}},
    // The selection moved by keys takes the check with it; Space on the
    // checked selected row does not clear it.
    {"arrow_keys_move_the_check", kThree,
     {{Act::Text, 0, "100", 0}, {Act::Key, VK_DOWN, "010", 1}, {Act::Key, VK_DOWN, "001", 2},
      {Act::Key, VK_DOWN, "001", 2}, {Act::Key, VK_UP, "010", 1}, {Act::Key, VK_SPACE, "010", 1},
      {Act::Key, VK_HOME, "100", 0}, {Act::Key, VK_END, "001", 2}}},
    {"single_row_stays_checked", "Alice\n",
     {{Act::Box, 0, "1", 0}, {Act::Box, 0, "1", 0}, {Act::Text, 0, "1", 0}, {Act::Below, 0, "1", -2},
      {Act::Key, VK_SPACE, "1", -2}}},
};

using SingleChoice = Rows<ChoiceRow>;

}  // namespace

// Runs the row's steps and compares the check boxes after each, then once
// more a moment later: a check put back by the page must be back at once
// and stay.
TEST_P(SingleChoice, users_single_choice)
{
    const ChoiceRow& row = GetParam();
    UsersPageOf on(row.users);
    ASSERT_TRUE(on.page);
    EXPECT_EQ(Checks(on.list), RowZeroChecked(static_cast<std::size_t>(on.list.Count())));
    int n = 0;
    for (const Step& s : row.steps) {
        SCOPED_TRACE("step " + std::to_string(++n));
        POINT at;
        bool done = false;
        switch (s.act) {
        case Act::Text: done = on.list.TextPoint(s.arg, &at) && Click(on.page, at); break;
        case Act::Box: done = on.list.CheckBoxPoint(s.arg, &at) && Click(on.page, at); break;
        case Act::Below: done = on.list.EmptyAreaPoint(&at) && Click(on.page, at); break;
        case Act::Key: done = PressKey(on.page, static_cast<WORD>(s.arg)); break;
        }
        ASSERT_TRUE(done) << "input failed";
        WaitUntil([&] { return Checks(on.list) == s.checks; }, 2000);
        Settle(on.page, 200);
        EXPECT_EQ(Checks(on.list), std::string(s.checks));
        if (s.selected != -2) {
            int selected = -1;
            for (int i = 0; i < on.list.Count(); ++i)
                selected = on.list.Selected(i) ? i : selected;
            EXPECT_EQ(selected, s.selected);
        }
    }
    Screenshot(on.page, "end");
    EXPECT_EQ(CurrentDialog(on.setup.Pid()), on.page);
}

E2E_ROWS(Thai, SingleChoice, kChoiceRows);

// A list longer than the page: laid out with its scroll bar when shown, and
// the keys carry the one check down to the last row, scrolled into view, and
// back.
TEST_F(Thai, users_long_list_scrolls_with_the_check)
{
    UsersPageOf on("#many=100,49\n");
    ASSERT_TRUE(on.page);
    const int n = on.list.Count();
    ASSERT_EQ(n, 100);
    EXPECT_EQ(Checks(on.list), RowZeroChecked(n));
    EXPECT_TRUE(GetWindowLongW(on.list.Hwnd(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_LT(on.list.CountPerPage(), n);

    POINT at;
    ASSERT_TRUE(on.list.TextPoint(0, &at) && Click(on.page, at));
    ASSERT_TRUE(PressKey(on.page, VK_END));
    const std::string last = std::string(n - 1, '0') + "1";
    EXPECT_TRUE(WaitUntil([&] { return Checks(on.list) == last; }, 2000)) << Checks(on.list);
    EXPECT_TRUE(on.list.Selected(n - 1));
    EXPECT_EQ(on.list.TopIndex(), n - on.list.CountPerPage());

    ASSERT_TRUE(PressKey(on.page, VK_HOME));
    EXPECT_TRUE(WaitUntil([&] { return Checks(on.list) == RowZeroChecked(n); }, 2000)) << Checks(on.list);
    EXPECT_EQ(on.list.TopIndex(), 0);
    Screenshot(on.page, "long");
}
