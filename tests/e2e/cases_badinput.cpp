// Bad input a real machine can hand the installer, one row each: what the
// registry, Palm Desktop's folder, the library and the package hold. After
// every row the program is alive (or ended) as expected and the install
// queue holds exactly what the row expects: usually nothing.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

using namespace e2e;

namespace {

typedef bool (*Prepare)(World& world);

const int kMaxRowsShown = 100;   // the user table's size

// A fragment of the text of each message box the row expects, or null for
// none: on the mode page over the notes, when the users page opens, and when
// it is confirmed (with none there, the finish page follows).
struct BadRow {
    const char* name;
    Prepare prepare;
    const char* notesBox;
    const char* openBox;
    const char* confirmBox;
    int rows;                 // rows in the user list
    bool queuedA;             // a.prc lands in Alice's queue
};

std::string Utf16Bytes(const std::wstring& s)
{
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(wchar_t));
}

// The defaults every row starts from: notes, a one-file package, and a Palm
// Desktop with one user.
bool Defaults(World& world)
{
    return PutPackage(world, "a.prc") && world.StandardPalm("Alice\n");
}

// Registry.
bool DwordPath(World&) { return SetDesktopValueRaw(REG_DWORD, std::string("\x01\x02\x03\x04", 4)); }
bool BinaryPath(World& w) { return SetDesktopValueRaw(REG_BINARY, w.PalmDir()); }
bool ExpandPath(World& w) { return SetDesktopValueAnsi(REG_EXPAND_SZ, w.PalmDir() + std::string(1, '\0')); }
bool EmptyPath(World&) { return SetDesktopValueAnsi(REG_SZ, std::string(1, '\0')); }
bool HugePath(World& w) { return SetDesktopPath(w.PalmDir() + std::string(1000, '\\')); }
bool UnterminatedPath(World& w) { return SetDesktopValueRaw(REG_SZ, Utf16Bytes(Widen(w.PalmDir()))); }
// The library.
bool NotADll(World& w) { return w.PutPalmFile("Instaide.dll", "MZ but not a library"); }
bool NoInstallEntry(World& w) { return w.UseStandin("Instaide-no-PltInstallFile.dll"); }
bool NoCountEntry(World& w) { return w.UseStandin("Instaide-no-PltGetUserCount.dll"); }
bool HugeCount(World& w) { return w.WriteUsers("Alice\n#count=2147483647\n"); }
bool NegativeCount(World& w) { return w.WriteUsers("Alice\n#count=-7\n"); }
bool UntouchedName(World& w) { return w.WriteUsers("Alice\n#untouched=0\n"); }
bool UnterminatedName(World& w) { return w.WriteUsers("Alice\nBob\n#unterminated=1\n"); }
// Notes.
bool NotesFolder(World& w) { return DeleteFileA(JoinPath(w.InstallerDir(), "install.tms").c_str()) &&
                                    MakeDirs(JoinPath(w.InstallerDir(), "install.tms")); }
bool NotesOddBytes(World& w) { return w.PutInstallerFile("install.tms", std::string("\xC1\xD2\xA1\x80\xFF\0tail", 10)); }
bool NotesHuge(World& w) { return w.PutInstallerFile("install.tms", std::string(30u << 20, 'n')); }
// Package list.
bool ListFolder(World& w) { return DeleteFileA(JoinPath(w.InstallerDir(), "install.cfg").c_str()) &&
                                   MakeDirs(JoinPath(w.InstallerDir(), "install.cfg")); }
bool ListNul(World& w) { return w.PutInstallerFile("install.cfg", std::string("a.prc\0.bad\r\n", 12)); }
bool ListLine(World& w, std::size_t n) { return w.PutInstallerFile("install.cfg", std::string(n, 'x') + "\r\n"); }
bool List299(World& w) { return ListLine(w, 299); }
bool List300(World& w) { return ListLine(w, 300); }
bool List1000(World& w) { return ListLine(w, 1000); }
bool List10000(World& w)
{
    std::string list;
    for (int i = 0; i < 10000; ++i)
        list += "a.prc\r\n";
    return w.PutInstallerFile("install.cfg", list);
}
// Package files.
bool FileMissing(World& w) { return DeleteFileA(JoinPath(w.InstallerDir(), "a.prc").c_str()) != 0; }
bool FileFolder(World& w) { return FileMissing(w) && MakeDirs(JoinPath(w.InstallerDir(), "a.prc")); }

const BadRow kBadRows[] = {
    // Data that is no full folder path is refused before any load.
    {"registry_dword", DwordPath, nullptr, "does not hold a full folder path", "not a full folder path", 0, false},
    {"registry_binary", BinaryPath, nullptr, nullptr, nullptr, 1, true},
    {"registry_expand_sz", ExpandPath, nullptr, nullptr, nullptr, 1, true},
    {"registry_empty", EmptyPath, nullptr, "does not hold a full folder path", "not a full folder path", 0, false},
    {"registry_very_long", HugePath, nullptr, "too long", "too long", 0, false},
    {"registry_unterminated", UnterminatedPath, nullptr, nullptr, nullptr, 1, true},
    {"library_not_a_dll", NotADll, nullptr, "could not be loaded", "lists no HotSync user", 0, false},
    {"library_lacks_install_entry", NoInstallEntry, nullptr, nullptr, "PltInstallFile", 1, false},
    {"library_lacks_count_entry", NoCountEntry, nullptr, "PltGetUserCount", "lists no HotSync user", 0, false},
    // The names past the real ones come back untouched, so empty; empty
    // names order first and a nameless user is never installed for.
    {"library_huge_count", HugeCount, nullptr, nullptr, "has no name", kMaxRowsShown, false},
    {"library_negative_count", NegativeCount, nullptr, nullptr, "lists no HotSync user", 0, false},
    {"library_untouched_name", UntouchedName, nullptr, nullptr, "has no name", 1, false},
    {"library_unterminated_name", UnterminatedName, nullptr, nullptr, nullptr, 2, true},
    {"notes_folder", NotesFolder, "install.tms", nullptr, nullptr, 1, true},
    {"notes_zero_and_high_bytes", NotesOddBytes, nullptr, nullptr, nullptr, 1, true},
    {"notes_huge", NotesHuge, "install.tms", nullptr, nullptr, 1, true},
    {"list_folder", ListFolder, nullptr, nullptr, "install.cfg", 1, false},
    {"list_zero_byte", ListNul, nullptr, nullptr, "zero byte", 1, false},
    {"list_line_299", List299, nullptr, nullptr, "too long", 1, false},
    {"list_line_300", List300, nullptr, nullptr, "too long", 1, false},
    {"list_line_1000", List1000, nullptr, nullptr, "too long", 1, false},
    {"list_10000_lines", List10000, nullptr, nullptr, "more than 200", 1, false},
    {"file_missing", FileMissing, nullptr, nullptr, "is missing", 1, false},
    {"file_is_folder", FileFolder, nullptr, nullptr, "is missing", 1, false},
};

// The box the row expects at this step, if any: false when it does not come.
bool PassBox(const Process& setup, const char* text)
{
    return !text || ExpectBox(setup, nullptr, {text}, "box", 60000).hwnd;
}

using BadInput = Rows<BadRow>;

struct DepthRow {
    const char* name;
    std::size_t depth;
    bool queued;
};

const DepthRow kDepthRows[] = {
    {"depth_150", 150, true},
    {"depth_240", 240, false},
};

using CurrentDirectory = Rows<DepthRow>;

}  // namespace

TEST_P(BadInput, bad_input_table)
{
    const BadRow& row = GetParam();
    World world;
    ASSERT_TRUE(Defaults(world));
    ASSERT_TRUE(row.prepare(world));
    Process setup;
    Page disclaimer = StartAtDisclaimer(world, setup);
    if (!disclaimer.hwnd)
        return;
    ClickItem(disclaimer.hwnd, IDOK);
    if (!PassBox(setup, row.notesBox))
        return;
    Page mode = WaitFor(setup, PageKind::Mode, 60000, disclaimer.hwnd);
    if (!mode.hwnd)
        return;
    ClickItem(mode.hwnd, IDOK);
    if (!PassBox(setup, row.openBox))
        return;
    Page users = WaitFor(setup, PageKind::Users, 10000, mode.hwnd);
    if (!users.hwnd)
        return;
    RemoteListView list(Control(users.hwnd, IDC_USERLIST));
    EXPECT_EQ(list.Count(), row.rows);
    if (row.confirmBox) {
        ClickItem(users.hwnd, IDOK);
        if (!PassBox(setup, row.confirmBox))
            return;
        // Refused: the page stays, and Cancel still ends the program.
        EXPECT_EQ(WaitPage(setup).kind, PageKind::Users);
        ExpectCancelEnds(setup, users.hwnd);
    } else {
        Page finish = ConfirmUsers(setup, users.hwnd);
        if (finish.hwnd) {
            ClickItem(finish.hwnd, IDCANCEL);
            EXPECT_TRUE(setup.WaitExit());
        }
    }
    std::vector<std::string> expected;
    if (row.queuedA)
        expected.push_back("Alice\\a.prc");
    EXPECT_EQ(world.AllQueued(), expected);
}

E2E_ROWS(Thai, BadInput, kBadRows);

// A program path that names no folder: the base folder is the current
// directory, however deep, and a base folder too deep for the package's
// paths refuses the package instead of cutting the paths short.
TEST_P(CurrentDirectory, bad_input_current_directory)
{
    const DepthRow& row = GetParam();
    World world;
    ASSERT_TRUE(Defaults(world));
    std::string deep = world.InstallerDir();
    while (deep.size() < row.depth)
        deep = JoinPath(deep, "d");
    ASSERT_TRUE(MakeDirs(deep));
    for (const char* name : {"setup.exe", "install.tms", "install.cfg", "a.prc"})
        EXPECT_TRUE(CopyFileA(world.InstallerPath(name).c_str(), JoinPath(deep, name).c_str(), FALSE));
    Process setup;
    ASSERT_TRUE(setup.Start(JoinPath(deep, "setup.exe"), "setup.exe", deep));
    Page page = WaitFor(setup, PageKind::Disclaimer);
    for (PageKind next : {PageKind::Mode, PageKind::Users}) {
        if (!page.hwnd)
            return;
        ClickItem(page.hwnd, IDOK);
        page = WaitFor(setup, next, 10000, page.hwnd);
    }
    if (!page.hwnd)
        return;
    ClickItem(page.hwnd, IDOK);
    if (row.queued) {
        EXPECT_EQ(WaitPage(setup, 10000, page.hwnd).kind, PageKind::Finish);
        EXPECT_EQ(world.AllQueued(), std::vector<std::string>{"Alice\\a.prc"});
    } else {
        MessageBoxInfo box = WaitMessageBox(setup);
        EXPECT_TRUE(box.text.find(L"too long") != std::wstring::npos);
        EXPECT_TRUE(world.AllQueued().empty());
    }
    setup.Kill();
}

E2E_ROWS(Thai, CurrentDirectory, kDepthRows);
