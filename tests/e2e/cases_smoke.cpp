// First cases through the harness: what the disclaimer shows, one walk
// through every page to a queued package, and Cancel and Escape on every
// page.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

#include <algorithm>

using namespace e2e;

namespace {

const std::wstring kAccept = L"\u0E22\u0E2D\u0E21\u0E23\u0E31\u0E1A";
const std::wstring kDecline = L"\u0E44\u0E21\u0E48\u0E22\u0E2D\u0E21\u0E23\u0E31\u0E1A";

// Lays out a fresh world (LayOut), starts setup.exe and waits for its first page.
Page LaidOutAtDisclaimer(World& world, Process& setup, const std::string& users = "Alice\n")
{
    return LayOut(world, users) ? StartAtDisclaimer(world, setup) : Page();
}

// Cancel on a page, by its button or by Escape.
struct CancelRow {
    const char* name;
    PageKind page;
    bool escape;
};

const CancelRow kCancelRows[] = {
    {"disclaimer_by_button", PageKind::Disclaimer, false},
    {"disclaimer_by_escape", PageKind::Disclaimer, true},
    {"mode_by_button", PageKind::Mode, false},
    {"mode_by_escape", PageKind::Mode, true},
    {"users_by_button", PageKind::Users, false},
    {"users_by_escape", PageKind::Users, true},
    {"finish_by_button", PageKind::Finish, false},
    {"finish_by_escape", PageKind::Finish, true},
};

using CancelOn = Rows<CancelRow>;

// The disclaimer's Thai buttons, its text and no caption bar. The pages are
// Unicode dialogs: their Thai labels do not go through the ANSI code page,
// which in an English locale has no Thai letters. In the Thai locale they
// read the same in the program's code page, 874.
void CheckDisclaimerPage(const char* picture)
{
    World world;
    Process setup;
    Page page = LaidOutAtDisclaimer(world, setup);
    ASSERT_TRUE(page.hwnd);
    EXPECT_EQ(TextW(Control(page.hwnd, IDOK)), kAccept);
    EXPECT_EQ(TextW(Control(page.hwnd, IDCANCEL)), kDecline);
    EXPECT_TRUE(IsShown(Control(page.hwnd, IDOK)) && IsEnabled(Control(page.hwnd, IDOK)));
    EXPECT_TRUE(IsShown(Control(page.hwnd, IDCANCEL)) && IsEnabled(Control(page.hwnd, IDCANCEL)));
    if (GetACP() == kThaiCodePage) {
        EXPECT_EQ(TextA(Control(page.hwnd, IDOK)), std::string("\xC2\xCD\xC1\xC3\xD1\xBA"));
    }
    EXPECT_TRUE(TextW(Control(page.hwnd, IDC_TEXT)).find(L"Disclaimer") != std::wstring::npos);
    EXPECT_TRUE((Style(page.hwnd) & WS_CAPTION) != WS_CAPTION);
    Screenshot(page.hwnd, picture);
    setup.Kill();
}

}  // namespace

TEST_F(Thai, disclaimer_shows_thai_buttons)
{
    CheckDisclaimerPage("disclaimer");
}

TEST_F(English, disclaimer_keeps_thai_buttons_in_english_locale)
{
    CheckDisclaimerPage("disclaimer-en");
}

// The text box takes keys and scrolls, by keyboard and by mouse, but typing
// into it and deleting from it change nothing.
TEST_F(Thai, disclaimer_text_scrolls_and_is_read_only)
{
    World world;
    Process setup;
    Page page = LaidOutAtDisclaimer(world, setup);
    HWND edit = Control(page.hwnd, IDC_TEXT);
    ASSERT_TRUE(edit);
    EXPECT_TRUE(IsReadOnly(edit));
    EXPECT_TRUE(Style(edit) & ES_MULTILINE);
    EXPECT_TRUE(Style(edit) & WS_VSCROLL);
    ASSERT_TRUE(VScroll(edit).ok);
    const std::wstring before = TextW(edit);
    EXPECT_TRUE(!before.empty());

    // By keyboard: Ctrl+Home and Ctrl+End in the box. The whole text does
    // not fit, so the two ends are different places.
    ClickControl(edit);
    PressKeys(page.hwnd, {VK_CONTROL}, VK_HOME);
    EXPECT_TRUE(WaitUntil([&] { return VScroll(edit).AtTop(); }, 2000));
    EXPECT_EQ(FirstVisibleLine(edit), 0);
    ASSERT_TRUE(!VScroll(edit).AtBottom());
    PressKeys(page.hwnd, {VK_CONTROL}, VK_END);
    EXPECT_TRUE(WaitUntil([&] { return VScroll(edit).AtBottom(); }, 2000));
    EXPECT_TRUE(FirstVisibleLine(edit) > 0);
    TypeText(page.hwnd, L"xyz");
    PressKey(page.hwnd, VK_BACK);
    PressKeys(page.hwnd, {VK_CONTROL}, VK_HOME);
    EXPECT_TRUE(WaitUntil([&] { return VScroll(edit).AtTop(); }, 2000));
    PressKey(page.hwnd, VK_DELETE);
    Settle(page.hwnd);
    EXPECT_EQ(TextW(edit), before);

    // By mouse: clicks on the scroll bar below its thumb page down.
    RECT r;
    GetWindowRect(edit, &r);
    POINT lowTrack{r.right - GetSystemMetrics(SM_CXVSCROLL) / 2 - 1,
                   r.bottom - GetSystemMetrics(SM_CYVSCROLL) - 3};
    for (int i = 0; i < 20 && !VScroll(edit).AtBottom(); ++i) {
        int pos = VScroll(edit).pos;
        Click(page.hwnd, lowTrack);
        bool moved = WaitUntil([&] { return VScroll(edit).pos > pos; }, 2000);
        ASSERT_TRUE(moved) << "a click below the thumb did not scroll";
    }
    EXPECT_TRUE(VScroll(edit).AtBottom());
    Screenshot(page.hwnd, "scrolled");
    EXPECT_EQ(CurrentDialog(setup.Pid()), page.hwnd);
    setup.Kill();
}

// The whole way through: the disclaimer accepted, the mode page as it opens,
// the user's check box chosen with a real click, and the package queued for
// that user by the stand-in library.
TEST_F(Thai, walk_queues_the_package_for_the_checked_user)
{
    World world;
    Process setup;
    ASSERT_TRUE(world.PutInstallerFile("install.cfg", "pkg.prc\r\n"));
    ASSERT_TRUE(world.PutInstallerFile("pkg.prc", std::string("PRC\0data", 8)));
    Page page = LaidOutAtDisclaimer(world, setup, "Alice\nBob\n");
    if (!page.hwnd)
        return;
    ClickItem(page.hwnd, IDOK);
    Page mode = WaitFor(setup, PageKind::Mode, 10000, page.hwnd);
    if (!mode.hwnd)
        return;
    // Accepted: the disclaimer gone, the mode page with Install chosen and its notes.
    EXPECT_TRUE(!IsWindow(page.hwnd) || !IsWindowVisible(page.hwnd));
    EXPECT_TRUE(IsChecked(Control(mode.hwnd, IDC_INSTALL)));
    EXPECT_TRUE(!IsChecked(Control(mode.hwnd, IDC_UPDATE)));
    EXPECT_EQ(TextW(Control(mode.hwnd, IDC_TEXT)), std::wstring(L"Install notes\r\n"));
    Screenshot(mode.hwnd, "mode");
    ClickItem(mode.hwnd, IDOK);
    Page users = WaitFor(setup, PageKind::Users, 10000, mode.hwnd);
    if (!users.hwnd)
        return;
    RemoteListView list(Control(users.hwnd, IDC_USERLIST));
    EXPECT_TRUE(list.ExtendedStyle() & LVS_EX_CHECKBOXES);
    std::vector<std::string> rows = list.Rows();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows.size(), 2u);
    int alice = -1, bob = -1;
    for (int i = 0; i < list.Count(); ++i) {
        if (list.TextA(i) == "Alice")
            alice = i;
        if (list.TextA(i) == "Bob")
            bob = i;
    }
    ASSERT_TRUE(alice >= 0);
    ASSERT_TRUE(bob >= 0);
    // A click on a row's text selects it; one below the rows changes nothing.
    POINT text, empty, box;
    ASSERT_TRUE(list.TextPoint(alice, &text));
    Click(users.hwnd, text);
    EXPECT_TRUE(WaitUntil([&] { return list.Selected(alice); }, 2000));
    std::vector<bool> checks = list.CheckStates();
    ASSERT_TRUE(list.EmptyAreaPoint(&empty));
    Click(users.hwnd, empty);
    Settle(users.hwnd);
    EXPECT_EQ(list.CheckStates(), checks);
    ASSERT_TRUE(list.CheckBoxPoint(bob, &box));
    Click(users.hwnd, box);
    EXPECT_TRUE(WaitUntil([&] { return list.Checked(bob); }, 2000));
    Screenshot(users.hwnd, "users");
    Page finish = ConfirmUsers(setup, users.hwnd);
    EXPECT_EQ(world.Queued("Bob"), std::vector<std::string>{"pkg.prc"});
    EXPECT_TRUE(world.Queued("Alice").empty());
    std::string queued;
    EXPECT_TRUE(ReadBytes(JoinPath(world.QueueDir("Bob"), "pkg.prc"), &queued));
    EXPECT_EQ(queued, std::string("PRC\0data", 8));
    std::vector<std::string> calls = world.CallLines();
    std::string install = "PltInstallFile Bob|" + JoinPath(world.InstallerDir(), "pkg.prc") + " 0";
    EXPECT_TRUE(std::find(calls.begin(), calls.end(), install) != calls.end());
    if (!finish.hwnd)
        return;
    EXPECT_EQ(TextW(Control(finish.hwnd, IDCANCEL)), std::wstring(L"\u0E40\u0E2A\u0E23\u0E47\u0E08"));
    ExpectCancelEnds(setup, finish.hwnd);
}

// Cancel, by its button or by Escape, ends the program at once on every page,
// with no page after it. Before the finish page nothing is queued, not even
// for the user checked instead of the first one, and the library is loaded
// no more than to list the users; on the finish page the files stay queued.
TEST_P(CancelOn, cancel_ends_setup)
{
    const CancelRow& row = GetParam();
    World world;
    Process setup;
    Page page = LayOut(world, "Alice\nBob\n") && PutPackage(world, "a.prc") ? StartAtDisclaimer(world, setup) : Page();
    // OK on each page up to the row's; on the users page Bob is checked first.
    for (PageKind next : {PageKind::Mode, PageKind::Users, PageKind::Finish}) {
        ASSERT_TRUE(page.hwnd);
        if (page.kind == PageKind::Users) {
            RemoteListView list(Control(page.hwnd, IDC_USERLIST));
            POINT bob;
            ASSERT_TRUE(list.CheckBoxPoint(1, &bob) && Click(page.hwnd, bob));
            EXPECT_TRUE(WaitUntil([&] { return list.CheckStates() == std::vector<bool>{false, true}; }, 2000));
        }
        if (page.kind == row.page)
            break;
        ClickItem(page.hwnd, IDOK);
        page = WaitFor(setup, next, 10000, page.hwnd);
    }
    ASSERT_EQ(page.kind, row.page);
    if (row.escape) {
        PressKey(page.hwnd, VK_ESCAPE);
        EXPECT_TRUE(EndsWithoutPage(setup, 5000, page.hwnd));
    } else {
        ExpectCancelEnds(setup, page.hwnd);
    }

    std::vector<std::string> calls;
    if (row.page == PageKind::Users || row.page == PageKind::Finish)
        calls = {"attach", "PltGetUserCount 2", "PltGetUser 0 0", "PltGetUser 1 0", "detach"};
    if (row.page != PageKind::Finish) {
        EXPECT_EQ(world.CallLines(), calls);
        // No user's queue folder at all.
        for (const std::string& name : ListDir(world.PalmDir()))
            EXPECT_TRUE(!DirExists(JoinPath(world.PalmDir(), name))) << name;
        return;
    }
    calls.insert(calls.end(), {"attach", "PltInstallFile Bob|" + world.InstallerPath("a.prc") + " 0", "detach"});
    EXPECT_EQ(world.CallLines(), calls);
    EXPECT_EQ(world.AllQueued(), std::vector<std::string>{"Bob\\a.prc"});
    std::string queued;
    EXPECT_TRUE(ReadBytes(JoinPath(world.QueueDir("Bob"), "a.prc"), &queued));
    EXPECT_EQ(queued, "PRC");
}

E2E_ROWS(Thai, CancelOn, kCancelRows);
