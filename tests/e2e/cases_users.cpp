// Cases of the users page: where it finds Palm Desktop in the registry, what
// it lists and in which order, what the library's limits and defects do to
// it, and how real clicks and keys keep exactly one row checked.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

using namespace e2e;

namespace {

const char kNotFound[] = "Cannot find Palm Desktop !!\n\nPlease install Palm Desktop Application.";

typedef std::vector<std::string> Lines;

// The package, setup.exe started, the disclaimer and the mode page accepted:
// the mode page just left, or null.
HWND LaidOutToUsers(World& world, Process& setup)
{
    return PutPackage(world) ? PassToUsers(world, setup) : nullptr;
}

HWND UsersPage(World& world, Process& setup, const std::string& users)
{
    return world.StandardPalm(users) && PutPackage(world) ? StartAtUsers(world, setup).hwnd : nullptr;
}

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

int VisibleButtons(HWND box)
{
    int n = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        n += IsWindowVisible(c) && _wcsicmp(ClassName(c).c_str(), L"Button") == 0;
    return n;
}

// The box of a missing Palm Desktop, exactly, then the page it leaves: no
// rows, no column, no check boxes, the library never loaded.
void CheckNotFound(World& world, Process& setup)
{
    MessageBoxInfo box = WaitMessageBox(setup);
    if (!box.hwnd)
        return;
    EXPECT_EQ(box.text, Widen(kNotFound));
    EXPECT_EQ(box.caption, std::wstring(L"Error"));
    EXPECT_EQ(Classify(box.owner), PageKind::Users);
    EXPECT_EQ(VisibleButtons(box.hwnd), 1);
    EXPECT_TRUE(ShowsSystemIcon(box.hwnd, kStopIcon));
    ASSERT_TRUE(PressMessageBoxOk(box.hwnd));
    HWND page = WaitFor(setup, PageKind::Users).hwnd;
    if (!page)
        return;
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(!list.Column(0, nullptr));
    EXPECT_EQ(list.ExtendedStyle() & LVS_EX_CHECKBOXES, 0u);
    EXPECT_EQ(world.CallsLog(), std::string());
}

// A page that could not list anyone is still there and still ends the
// program when cancelled.
void CheckLivesOn(Process& setup, HWND page)
{
    EXPECT_TRUE(setup.StillRunningAfter(300));
    EXPECT_EQ(CurrentDialog(setup.Pid()), page);
    ExpectCancelEnds(setup, page);
}

// base + "\seg\seg..." of exactly `length` characters.
std::string NestTo(std::string path, std::size_t length)
{
    const std::string filler = "Palm_Desktop_folder_";
    while (path.size() + 1 < length) {
        std::size_t rest = length - path.size() - 1;
        std::size_t n = rest <= 60 ? rest : 40;
        path += '\\';
        for (std::size_t i = 0; i < n; ++i)
            path += filler[i % filler.size()];
    }
    return path;
}

// The Palm folder's name below the world's root for a Palm folder of
// `length` characters in all.
std::string PalmNameOfLength(const std::string& worldName, std::size_t length)
{
    std::string root = JoinPath(Cfg().workRoot, worldName);
    return NestTo(JoinPath(root, "Palm"), length).substr(root.size() + 1);
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

// What the registry says: prepared by `prepare`, where DesktopPath (that
// exact name) is enumerated, -1 for nowhere, and whether the Palm folder is
// found; palmLength 0 for the world's usual Palm folder.
struct LookupRow {
    const char* name;
    bool (*prepare)(const World&);
    int index;
    bool found;
    std::size_t palmLength;
};

const LookupRow kLookupRows[] = {
    {"at_index_0", [](const World& w) { return SetDesktopPath(w.PalmDir()) &&
                                               SetDesktopValueAnsi(REG_SZ, std::string("x", 2), "Zulu"); },
     0, true, 0},
    {"among_several", [](const World& w) { return AddOtherValues(10) && SetDesktopPath(w.PalmDir()) &&
                                                  SetDesktopValueAnsi(REG_SZ, std::string("x", 2), "Zulu"); },
     10, true, 0},
    {"as_the_50th_value", [](const World& w) { return AddOtherValues(49) && SetDesktopPath(w.PalmDir()); },
     49, true, 0},
    {"as_the_51st_value", [](const World& w) { return AddOtherValues(50) && SetDesktopPath(w.PalmDir()); },
     50, false, 0},
    {"named_in_small_letters", [](const World& w) {
         return SetDesktopValueAnsi(REG_SZ, std::string(w.PalmDir().c_str(), w.PalmDir().size() + 1), "desktoppath"); },
     -1, false, 0},
    {"named_in_capitals", [](const World& w) {
         return SetDesktopValueAnsi(REG_SZ, std::string(w.PalmDir().c_str(), w.PalmDir().size() + 1), "DESKTOPPATH"); },
     -1, false, 0},
    {"key_without_the_value", [](const World&) { return AddOtherValues(3); }, -1, false, 0},
    {"no_key", [](const World&) { return !DesktopKeyExists(); }, -1, false, 0},
    // 300 bytes after the terminator: the data is longer than 256 bytes,
    // the folder is the text up to the terminator.
    {"data_over_256_bytes", [](const World& w) {
         return SetDesktopValueAnsi(REG_SZ, w.PalmDir() + '\0' + std::string(300, 'x') + '\0'); },
     0, true, 0},
    {"folder_of_200", [](const World& w) { return SetDesktopPath(w.PalmDir()); }, 0, true, 200},
    // The longest folder whose library path fits the 256-byte path field.
    {"folder_of_242", [](const World& w) { return SetDesktopPath(w.PalmDir()); }, 0, true, 242},
};

using Lookup = Rows<LookupRow>;

// The names the library reports, and the rows they are listed in.
struct OrderRow {
    const char* name;
    Lines reported, listed;
};

const OrderRow kOrderRows[] = {
    {"letters_fold_to_small", {"Bob", "alice", "Carol"}, {"alice", "Bob", "Carol"}},
    {"reversed", {"Jon", "Anna"}, {"Anna", "Jon"}},
    {"in_order", {"Anna", "Jon"}, {"Anna", "Jon"}},
    {"shared_beginnings", {"Ann", "anna", "ANDY"}, {"ANDY", "Ann", "anna"}},
    {"shorter_first", {"ab", "a"}, {"a", "ab"}},
    {"shorter_first_among_three", {"Billy", "Ed", "Bill"}, {"Bill", "Billy", "Ed"}},
    {"third_letter", {"Mary", "Mark", "Max"}, {"Mark", "Mary", "Max"}},
    {"high_byte_first", {"Zed", "\xE0" "bc", "abc"}, {"\xE0" "bc", "abc", "Zed"}},
    {"high_byte_before_the_end", {"ab", "ab\xE0"}, {"ab\xE0", "ab"}},
    {"alike_small_first", {"bob", "Bob"}, {"bob", "Bob"}},
    {"alike_capital_first", {"Bob", "bob"}, {"Bob", "bob"}},
    {"alike_three", {"AL", "al", "Al"}, {"AL", "al", "Al"}},
    // '_' and '[' lie between the capitals and the small letters.
    {"underscore", {"Ab", "_a"}, {"_a", "Ab"}},
    {"bracket", {"Zed", "[x"}, {"[x", "Zed"}},
    // Thai in code page 874: สมชาย, กมล, then an ASCII name.
    {"thai", {"Somchai", "\xCA\xC1\xAA\xD2\xC2", "\xA1\xC1\xC5"}, {"\xA1\xC1\xC5", "\xCA\xC1\xAA\xD2\xC2", "Somchai"}},
    {"bytes_signed", {"\xFB", "b", "\x80z", "\xA1"}, {"\x80z", "\xA1", "\xFB", "b"}},
};

using Order = Rows<OrderRow>;

// 99 generated names of 49 bytes, then "zed".
Lines ManyNames()
{
    Lines many;
    for (unsigned i = 1; i <= 99; ++i)
        many.push_back(GeneratedName(i, 49));
    many.push_back("zed");
    return many;
}

struct LimitRow {
    const char* name;
    std::string users;
    Lines listed;
    Lines calls;    // none: not compared
};

const LimitRow kLimitRows[] = {
    {"count_0", "Alice\nBob\n#count=0\n", {}, {"attach", "PltGetUserCount 0", "detach"}},
    {"count_minus_3", "Alice\n#count=-3\n", {}, {"attach", "PltGetUserCount -3", "detach"}},
    {"one_user", "Alice\n", {"Alice"}, {"attach", "PltGetUserCount 1", "PltGetUser 0 0", "detach"}},
    // The first 100 reported, not the first 100 in order.
    {"users_121", "zed\n#many=120,49\n", ManyNames(), {}},
    // Slot 0 filled to its end without a terminator, "Alice" right after it.
    {"unterminated_name", "Bob\nAlice\n#unterminated=0\n", {"Alice", Repeat("Bob", 49)}, {}},
    {"untouched_slot", "Alice\nBob\n#untouched=0\n", {"", "Bob"}, {}},
};

using Limits = Rows<LimitRow>;

struct LibraryRow {
    const char* name;
    const char* variant;     // copied as Instaide.dll; null: no library
    const char* says;        // in the box; null: no box
    Lines calls;
};

const LibraryRow kLibraryRows[] = {
    {"no_library", nullptr, "could not be loaded: ", {}},
    {"no_PltGetUserCount", "Instaide-no-PltGetUserCount.dll", "no entry point PltGetUserCount.", {"attach", "detach"}},
    {"no_PltGetUser", "Instaide-no-PltGetUser.dll", "no entry point PltGetUser.", {"attach", "detach"}},
    {"no_PltInstallFile", "Instaide-no-PltInstallFile.dll", nullptr,
     {"attach", "PltGetUserCount 2", "PltGetUser 0 0", "PltGetUser 1 0", "detach"}},
};

using Library = Rows<LibraryRow>;

}  // namespace

// ---------------------------------------------------------------- registry lookup

// What the registry says decides whether the page lists the users of the
// Palm folder or shows its "not found" box.
TEST_P(Lookup, users_lookup_in_the_registry)
{
    const LookupRow& row = GetParam();
    std::string name = CurrentCaseName();
    World world(name, "installer", row.palmLength ? PalmNameOfLength(name, row.palmLength) : "Palm");
    if (row.palmLength) {
        EXPECT_EQ(world.PalmDir().size(), row.palmLength);
    }
    Process setup;
    ASSERT_TRUE(world.UseStandin() && world.WriteUsers("Bob\nAlice\n") && row.prepare(world));
    EXPECT_EQ(DesktopValueIndex("DesktopPath"), row.index);
    if (!row.found) {
        if (LaidOutToUsers(world, setup))
            CheckNotFound(world, setup);
        return;
    }
    HWND page = PutPackage(world) ? StartAtUsers(world, setup).hwnd : nullptr;
    if (page) {
        RemoteListView list(Control(page, IDC_USERLIST));
        EXPECT_EQ(list.Rows(), (Lines{"Alice", "Bob"}));
        EXPECT_EQ(Checks(list), std::string("10"));
    }
}

E2E_ROWS(Thai, Lookup, kLookupRows);

// A folder over the path limit: the page names the whole folder and loads
// no library, neither from the folder nor from any shorter part of it. The
// parts at 114 and 242 characters are where a fixed work field would have
// cut it; each holds a stand-in that would log its loading.
TEST_F(Thai, users_desktop_folder_over_path_limit)
{
    std::string name = CurrentCaseName();
    std::string root = JoinPath(Cfg().workRoot, name);
    std::string at114 = NestTo(JoinPath(root, "P"), 114);
    std::string at242 = NestTo(at114, 242);
    std::string folder = NestTo(at242, 300);
    World world(name, "installer", at242.substr(root.size() + 1));
    Process setup;
    ASSERT_TRUE(world.StandardPalm("Alice\n"));
    ASSERT_TRUE(CopyFileA(JoinPath(at242, "Instaide.dll").c_str(), JoinPath(at114, "Instaide.dll").c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(JoinPath(at114, "users.txt"), "Alice\n"));
    ASSERT_TRUE(SetDesktopPath(folder));
    if (!LaidOutToUsers(world, setup))
        return;
    MessageBoxInfo box = ExpectBox(setup, nullptr, {folder, "too long"}, "box");
    if (!box.hwnd)
        return;
    EXPECT_EQ(Classify(box.owner), PageKind::Users);
    HWND page = WaitFor(setup, PageKind::Users).hwnd;
    if (!page)
        return;
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(!FileExists(JoinPath(at242, "calls.log")));
    EXPECT_TRUE(!FileExists(JoinPath(at114, "calls.log")));
    CheckLivesOn(setup, page);
}

// ---------------------------------------------------------------- list and order

// The list's look and the library's use while the page opens: loaded,
// asked, and released before the page waits for the user.
TEST_F(Thai, users_list_style_column_and_library_calls)
{
    World world;
    Process setup;
    HWND page = UsersPage(world, setup, "Carol\nalice\nBob\n");
    if (!page)
        return;
    HWND hwnd = Control(page, IDC_USERLIST);
    RemoteListView list(hwnd);
    EXPECT_EQ(list.Rows(), (Lines{"alice", "Bob", "Carol"}));
    EXPECT_EQ(Checks(list), std::string("100"));
    EXPECT_EQ(list.ExtendedStyle(), static_cast<DWORD>(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT));
    std::string heading;
    int width = 0, format = -1;
    ASSERT_TRUE(list.Column(0, &heading, &width, &format));
    EXPECT_EQ(heading, std::string("U"));
    EXPECT_EQ(format & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(width, r.right - 200);
    EXPECT_TRUE(!list.Column(1, nullptr));
    EXPECT_EQ(world.CallLines(), (Lines{"attach", "PltGetUserCount 3", "PltGetUser 0 0", "PltGetUser 1 0",
                                       "PltGetUser 2 0", "detach"}));
    Screenshot(page, "users");
}

// The rows in the order of the folded names, compared byte by byte as
// signed values with the end of a name as 0: ASCII letters fold to small
// ones, nothing else folds, bytes 0x80-0xFF come first, and names that fold
// alike keep the library's order. Row 0, and only row 0, starts checked.
TEST_P(Order, users_list_order)
{
    const OrderRow& row = GetParam();
    World world;
    Process setup;
    HWND page = UsersPage(world, setup, UsersFile(row.reported));
    ASSERT_TRUE(page);
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Rows(), row.listed);
    EXPECT_EQ(Checks(list), RowZeroChecked(row.listed.size()));
    if (row.listed[0] == "\xA1\xC1\xC5") {
        EXPECT_EQ(list.TextW(0), std::wstring(L"\u0E01\u0E21\u0E25"));
        Screenshot(page, "thai");
    }
}

E2E_ROWS(Thai, Order, kOrderRows);

// What the page makes of odd counts and names: only what the library
// reports, at most 100 names, a name slot read as at most 49 bytes.
TEST_P(Limits, users_list_limits)
{
    const LimitRow& row = GetParam();
    World world;
    Process setup;
    HWND page = UsersPage(world, setup, row.users);
    ASSERT_TRUE(page);
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Rows(), row.listed);
    EXPECT_EQ(Checks(list), RowZeroChecked(row.listed.size()));
    if (!row.calls.empty()) {
        EXPECT_EQ(world.CallLines(), row.calls);
    }
    EXPECT_TRUE(setup.Running());
}

E2E_ROWS(Thai, Limits, kLimitRows);

// ---------------------------------------------------------------- library problems

// A Palm Desktop without its library, or with one lacking an entry point
// the page needs: a box names the library's full path, nothing is listed,
// and the program goes on. The entry only confirming needs is not missed.
TEST_P(Library, users_library_problems)
{
    const LibraryRow& row = GetParam();
    World world;
    Process setup;
    ASSERT_TRUE(SetDesktopPath(world.PalmDir()));
    ASSERT_TRUE((!row.variant || world.UseStandin(row.variant)) && world.WriteUsers("Bob\nAlice\n"));
    if (!LaidOutToUsers(world, setup))
        return;
    if (row.says) {
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
    }
    if (HWND page = WaitFor(setup, PageKind::Users).hwnd) {
        RemoteListView list(Control(page, IDC_USERLIST));
        EXPECT_EQ(list.Rows(), (row.says ? Lines{} : Lines{"Alice", "Bob"}));
        EXPECT_EQ(world.CallLines(), row.calls);
        CheckLivesOn(setup, page);
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

// Runs the steps with real input on a fresh users page and compares the
// check boxes after each, then once more a moment later: a check put back
// by the page must be back at once and stay.
void RunSteps(const std::string& users, std::initializer_list<Step> steps)
{
    World world;
    Process setup;
    HWND page = UsersPage(world, setup, users);
    if (!page)
        return;
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(Checks(list), RowZeroChecked(static_cast<std::size_t>(list.Count())));
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(++n));
        POINT at;
        bool done = false;
        switch (s.act) {
        case Act::Text: done = list.TextPoint(s.arg, &at) && Click(page, at); break;
        case Act::Box: done = list.CheckBoxPoint(s.arg, &at) && Click(page, at); break;
        case Act::Below: done = list.EmptyAreaPoint(&at) && Click(page, at); break;
        case Act::Key: done = PressKey(page, static_cast<WORD>(s.arg)); break;
        }
        ASSERT_TRUE(done) << "input failed";
        WaitUntil([&] { return Checks(list) == s.checks; }, 2000);
        Settle(page, 200);
        EXPECT_EQ(Checks(list), std::string(s.checks));
        if (s.selected != -2) {
            int selected = -1;
            for (int i = 0; i < list.Count(); ++i)
                selected = list.Selected(i) ? i : selected;
            EXPECT_EQ(selected, s.selected);
        }
    }
    Screenshot(page, "end");
    EXPECT_EQ(CurrentDialog(setup.Pid()), page);
}

const char kThree[] = "Alice\nBob\nCarol\n";

}  // namespace

TEST_F(Thai, users_click_text_makes_the_only_checked_row)
{
    RunSteps(kThree, {{Act::Text, 2, "001", 2}, {Act::Text, 1, "010", 1}, {Act::Text, 1, "010", 1},
                      {Act::Text, 0, "100", 0}});
}

TEST_F(Thai, users_click_unchecked_box_clears_every_other)
{
    RunSteps(kThree, {{Act::Box, 2, "001", 2}, {Act::Box, 1, "010", 1}, {Act::Box, 0, "100", 0}});
}

// Unchecking the checked row does not stick: on a fresh page, where row 0
// is checked but not selected, and on a row checked by clicking its text.
TEST_F(Thai, users_clearing_the_checked_box_does_not_stick)
{
    RunSteps(kThree, {{Act::Box, 0, "100", 0}, {Act::Text, 1, "010", 1}, {Act::Box, 1, "010", 1},
                      {Act::Box, 1, "010", 1}});
}

TEST_F(Thai, users_click_below_rows_changes_no_check)
{
    RunSteps(kThree, {{Act::Below, 0, "100", -2}, {Act::Text, 2, "001", 2}, {Act::Below, 0, "001", -2},
                      {Act::Box, 1, "010", 1}, {Act::Below, 0, "010", -2}});
}

// The selection moved by keys takes the check with it; Space on the checked
// selected row does not clear it.
TEST_F(Thai, users_arrow_keys_move_the_check)
{
    RunSteps(kThree, {{Act::Text, 0, "100", 0}, {Act::Key, VK_DOWN, "010", 1}, {Act::Key, VK_DOWN, "001", 2},
                      {Act::Key, VK_DOWN, "001", 2}, {Act::Key, VK_UP, "010", 1}, {Act::Key, VK_SPACE, "010", 1},
                      {Act::Key, VK_HOME, "100", 0}, {Act::Key, VK_END, "001", 2}});
}

TEST_F(Thai, users_single_row_stays_checked)
{
    RunSteps("Alice\n", {{Act::Box, 0, "1", 0}, {Act::Box, 0, "1", 0}, {Act::Text, 0, "1", 0},
                         {Act::Below, 0, "1", -2}, {Act::Key, VK_SPACE, "1", -2}});
}

// A list longer than the page: laid out with its scroll bar when shown, and
// the keys carry the one check down to the last row, scrolled into view, and
// back.
TEST_F(Thai, users_long_list_scrolls_with_the_check)
{
    World world;
    Process setup;
    HWND page = UsersPage(world, setup, "#many=100,49\n");
    if (!page)
        return;
    HWND hwnd = Control(page, IDC_USERLIST);
    RemoteListView list(hwnd);
    const int n = list.Count();
    ASSERT_EQ(n, 100);
    EXPECT_EQ(Checks(list), RowZeroChecked(n));
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_LT(list.CountPerPage(), n);

    POINT at;
    ASSERT_TRUE(list.TextPoint(0, &at) && Click(page, at));
    ASSERT_TRUE(PressKey(page, VK_END));
    const std::string last = std::string(n - 1, '0') + "1";
    EXPECT_TRUE(WaitUntil([&] { return Checks(list) == last; }, 2000)) << Checks(list);
    EXPECT_TRUE(list.Selected(n - 1));
    EXPECT_EQ(list.TopIndex(), n - list.CountPerPage());

    ASSERT_TRUE(PressKey(page, VK_HOME));
    EXPECT_TRUE(WaitUntil([&] { return Checks(list) == RowZeroChecked(n); }, 2000)) << Checks(list);
    EXPECT_EQ(list.TopIndex(), 0);
    Screenshot(page, "long");
}
