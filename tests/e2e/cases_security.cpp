// Which DLLs setup.exe lets into its process. Planted DLLs leave
// "<their path>.loaded" beside themselves when loaded.
//
// Wine prefers its built-in comctl32 where Windows takes a comctl32.dll from
// the program's folder first. Windows' order is set per program in Wine's
// registry (AppDefaults\<exe>\DllOverrides): Wine reads WINEDLLOVERRIDES
// only from a process's Unix environment, never from the environment block
// given to CreateProcess, so that variable cannot reach one program alone.
// These tests run setup.exe under a name of its own, so that the setting
// never touches another test's setup.exe.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

#include <algorithm>
#include <memory>

#include "framework/WinApp.h"

using namespace e2e;

namespace {

const char kSetupName[] = "mirabo-setup.exe";
const char kProbeName[] = "imports-comctl32.exe";

// Names of the load traces in a folder.
std::vector<std::string> Traces(const std::string& dir)
{
    std::vector<std::string> found;
    for (const std::string& name : ListDir(dir)) {
        if (name.size() > 7 && _stricmp(name.c_str() + name.size() - 7, ".loaded") == 0)
            found.push_back(name);
    }
    return found;
}

// The package, Palm Desktop with these users, and setup.exe under its own name.
bool LayOutRenamed(World& world, const std::string& users)
{
    return PutPackage(world, "a.prc") && world.StandardPalm(users) &&
           CopyFileA(world.SetupPath().c_str(), world.InstallerPath(kSetupName).c_str(), FALSE);
}

bool StartSetup(Process& setup, const World& world, const std::string& cwd)
{
    std::string exe = world.InstallerPath(kSetupName);
    return setup.Start(exe, Quoted(exe), cwd);
}

// Wine's load order for one DLL in one program ("native,builtin", or "" for
// none at all) for the length of a test.
class LoadOrder {
public:
    LoadOrder(const char* exe, const char* dll, const char* order)
        : m_key(std::string("Software\\Wine\\AppDefaults\\") + exe)
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, (m_key + "\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        m_ok = RegSetValueExA(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(order),
                              static_cast<DWORD>(strlen(order) + 1)) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~LoadOrder() { RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str()); }
    LoadOrder(const LoadOrder&) = delete;
    LoadOrder& operator=(const LoadOrder&) = delete;
    bool Ok() const { return m_ok; }

private:
    std::string m_key;
    bool m_ok = false;
};

// From the users page on: the listed names, then OK, the finish page and its button.
void ConfirmUsersAndFinish(World& world, Process& setup, HWND last, const std::vector<std::string>& expectedRows)
{
    Page users = WaitFor(setup, PageKind::Users, 10000, last);
    if (!users.hwnd)
        return;
    RemoteListView list(Control(users.hwnd, IDC_USERLIST));
    std::vector<std::string> rows = list.Rows();
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, expectedRows);
    std::string checked;
    for (int i = 0; i < list.Count(); ++i) {
        if (list.Checked(i))
            checked = list.TextA(i);
    }
    Page finish = ConfirmUsers(setup, users.hwnd);
    EXPECT_FALSE(checked.empty());
    if (!checked.empty()) {
        EXPECT_EQ(world.Queued(checked), std::vector<std::string>{"a.prc"});
    }
    if (finish.hwnd)
        ExpectCancelEnds(setup, finish.hwnd);
}

// Swaps a file of the system folder for a damaged one for the length of a
// test, and puts the original back however the test ends.
class DamagedSystemFile {
public:
    DamagedSystemFile(const std::string& name, const std::string& standin)
    {
        char folder[MAX_PATH];
        UINT got = GetSystemDirectoryA(folder, MAX_PATH);
        if (got == 0 || got >= MAX_PATH)
            return;
        m_path = JoinPath(folder, name);
        m_saved = m_path + ".e2e-saved";
        if (FileExists(m_saved) && !MoveFileExA(m_saved.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING))
            return;   // an earlier run's copy could not be put back
        if (!MoveFileExA(m_path.c_str(), m_saved.c_str(), 0))
            return;
        m_swapped = true;
        m_ok = CopyStandin(standin, m_path);
    }
    ~DamagedSystemFile()
    {
        if (!m_swapped)
            return;
        DeleteFileA((m_path + ".loaded").c_str());
        if (!MoveFileExA(m_saved.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING))
            Fail("could not put back " + m_path);
    }
    DamagedSystemFile(const DamagedSystemFile&) = delete;
    DamagedSystemFile& operator=(const DamagedSystemFile&) = delete;
    bool Ok() const { return m_ok; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path, m_saved;
    bool m_swapped = false;
    bool m_ok = false;
};

// A system without the Common Controls 6 (Windows 2000, or one whose
// side-by-side store lacks them) for the length of a test: Wine's manifest
// of them is moved aside, so that no activation context can name them and
// setup.exe falls back on the system folder's comctl32.
class NoSideBySideControls {
public:
    NoSideBySideControls()
    {
        char windows[MAX_PATH];
        UINT got = GetWindowsDirectoryA(windows, MAX_PATH);
        if (got == 0 || got >= MAX_PATH)
            return;
        std::string folder = JoinPath(windows, "winsxs\\manifests");
        for (const std::string& name : ListDir(folder)) {
            if (_strnicmp(name.c_str(), kControlsAssembly, sizeof kControlsAssembly - 1) != 0)
                continue;
            m_path = JoinPath(folder, name.substr(0, name.find(kSaved)));
            m_saved = m_path + kSaved;
            // An earlier run that was killed left it aside: put it back first.
            if (name.find(kSaved) != std::string::npos && !MoveFileExA(m_saved.c_str(), m_path.c_str(), 0))
                return;
            break;
        }
        if (m_path.empty())
            return;
        m_ok = MoveFileExA(m_path.c_str(), m_saved.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~NoSideBySideControls()
    {
        if (m_ok && !MoveFileExA(m_saved.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING))
            Fail("could not put back " + m_path);
    }
    NoSideBySideControls(const NoSideBySideControls&) = delete;
    NoSideBySideControls& operator=(const NoSideBySideControls&) = delete;
    bool Ok() const { return m_ok; }

private:
    static constexpr char kSaved[] = ".e2e-saved";
    std::string m_path, m_saved;
    bool m_ok = false;
};

// Common controls that cannot be used: none at all, or the system folder's
// alone (no side-by-side Common Controls 6) replaced by a damaged copy.
struct ControlsRow {
    const char* name;
    const char* copy;               // the copy, in place of the system's; null: none at all
    std::vector<const char*> says;  // in the box
    bool reason;                    // the box gives Windows' reason, "(error N)" or that it gave none
    const char* asked;              // what the copy was asked, its trace; null: not compared
};

const ControlsRow kControlsRows[] = {
    {"none", nullptr, {"common controls", "comctl32.dll", "Nothing has been installed."}, true, nullptr},
    // Registers no list view: the users page cannot be created.
    {"without_a_list_view", "planted-comctl32\\comctl32.dll", {"HotSync user page", "Nothing has been installed."},
     true, nullptr},
    // The system folder's comctl32 is asked only for the classes it knows
    // (its version 5.82 refuses the whole call when asked for the standard
    // classes of version 6, so "1", ICC_LISTVIEW_CLASSES alone), and a
    // refusal is a comctl32 that cannot be used.
    {"refusing_the_list", "refusing-comctl32\\comctl32.dll",
     {"common controls", "InitCommonControlsEx", "Nothing has been installed."}, false, "1"},
};

using UnusableControls = Rows<ControlsRow>;

// The library's variant that needs Companion.dll, and how.
struct CompanionRow {
    const char* name;
    const char* library;
};

const CompanionRow kCompanionRows[] = {
    {"imported", "Instaide-companion.dll"},
    {"by_name", "Instaide-calls-companion.dll"},
#ifdef _WIN64
    // Built for 32 bits by Debian 12's MinGW (dlltool --output-delaylib),
    // the delay-loaded import's first call jumps to address 0 under
    // 32-bit Wine: a fault of that import library, not of setup.exe.
    {"delay_loaded", "Instaide-delays-companion.dll"},
#endif
};

using Companion = Rows<CompanionRow>;

}  // namespace

// A comctl32.dll in the download folder next to setup.exe is never loaded,
// and the wizard still works: the list view comes from the system's copy.
// A program importing comctl32 the ordinary way, started from the same folder
// with the same settings, does load it: the setting reaches the process.
TEST_F(Thai, planted_comctl32_beside_setup_is_never_loaded)
{
    World world;
    LoadOrder setupOrder(kSetupName, "comctl32", "native,builtin");
    LoadOrder probeOrder(kProbeName, "comctl32", "native,builtin");
    ASSERT_TRUE(LayOutRenamed(world, "Alice\n"));
    ASSERT_TRUE(setupOrder.Ok() && probeOrder.Ok());
    ASSERT_TRUE(CopyStandin("planted-comctl32\\comctl32.dll", JoinPath(world.InstallerDir(), "comctl32.dll")));

    Process setup;
    ASSERT_TRUE(StartSetup(setup, world, world.InstallerDir()));
    HWND last = PassFirstPages(setup);
    if (!last)
        return;
    ConfirmUsersAndFinish(world, setup, last, {"Alice"});
    EXPECT_EQ(Traces(world.InstallerDir()), std::vector<std::string>{});

    std::string probe = JoinPath(world.InstallerDir(), kProbeName);
    Process control;
    ASSERT_TRUE(CopyStandin(kProbeName, probe));
    ASSERT_TRUE(control.Start(probe, Quoted(probe), world.InstallerDir()));
    ASSERT_TRUE(control.WaitExit());
    EXPECT_EQ(Traces(world.InstallerDir()).size(), 1u);
}

// Palm Desktop's library needs Companion.dll of its own folder: as an import,
// when it is loaded, or at each call while setup.exe holds it, loaded by its
// bare name or as a delay-loaded import. Same-named DLLs beside setup.exe and
// in its current directory are never taken instead.
TEST_P(Companion, library_takes_its_companion_from_palm_desktop_folder)
{
    const CompanionRow& row = GetParam();
    World world;
    std::string cwd = JoinPath(world.Root(), "cwd");
    ASSERT_TRUE(LayOutRenamed(world, "Alice\nBob\n"));
    ASSERT_TRUE(world.UseStandin(row.library));
    ASSERT_TRUE(CopyStandin("companion\\Companion.dll", JoinPath(world.PalmDir(), "Companion.dll")));
    ASSERT_TRUE(MakeDirs(cwd));
    ASSERT_TRUE(CopyStandin("planted-companion\\Companion.dll", world.InstallerPath("Companion.dll")));
    ASSERT_TRUE(CopyStandin("planted-companion\\Companion.dll", JoinPath(cwd, "Companion.dll")));

    Process setup;
    ASSERT_TRUE(StartSetup(setup, world, cwd));
    HWND last = PassFirstPages(setup);
    if (!last)
        return;
    ConfirmUsersAndFinish(world, setup, last, {"Alice", "Bob"});
    EXPECT_EQ(Traces(world.InstallerDir()), std::vector<std::string>{});
    EXPECT_EQ(Traces(cwd), std::vector<std::string>{});
    // Both loads of the library: the users read, the file queued; every
    // call found the companion.
    std::vector<std::string> calls = world.CallLines();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), std::string("attach")), 2);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& line) { return line.find(" -504") != std::string::npos; }),
              0);
}

E2E_ROWS(Thai, Companion, kCompanionRows);

// A companion gone between the two loads: the library loads, but every file
// fails. The user hears which files were not queued, the page stays for a
// retry, nothing is queued and no finish page claims otherwise.
TEST_F(Thai, library_whose_companion_is_gone_queues_nothing)
{
    World world;
    ASSERT_TRUE(LayOutRenamed(world, "Alice\n"));
    ASSERT_TRUE(world.UseStandin("Instaide-calls-companion.dll"));
    std::string companion = JoinPath(world.PalmDir(), "Companion.dll");
    ASSERT_TRUE(CopyStandin("companion\\Companion.dll", companion));
    Process setup;
    ASSERT_TRUE(StartSetup(setup, world, world.InstallerDir()));
    HWND last = PassFirstPages(setup);
    if (!last)
        return;
    Page users = WaitFor(setup, PageKind::Users, 10000, last);
    if (!users.hwnd)
        return;
    EXPECT_EQ(RemoteListView(Control(users.hwnd, IDC_USERLIST)).Rows(), std::vector<std::string>{"Alice"});
    ASSERT_TRUE(DeleteFileA(companion.c_str()));
    ClickItem(users.hwnd, IDOK);
    ExpectError(setup, users.hwnd, nullptr, {"did not queue these files", "a.prc (error -504: the file could not be copied into the install queue)"});
    EXPECT_TRUE(world.Queued("Alice").empty());
    setup.Kill();
}

// The system DLLs that Windows' own code loads later by bare name are in the
// process from the system folder before the first page shows, so a
// look-alike of each beside setup.exe, with Windows' order (the program's
// folder first) forced for it, is never loaded, and the wizard lists and
// queues.
TEST_F(Thai, system_dlls_beside_setup_are_never_loaded)
{
    World world;
    ASSERT_TRUE(LayOutRenamed(world, "Alice\n"));
    std::vector<std::unique_ptr<LoadOrder>> orders;
    for (const char* name : kAfxPreloadedDlls) {
        std::string module(name, strlen(name) - 4);   // without ".dll"
        orders.push_back(std::make_unique<LoadOrder>(kSetupName, module.c_str(), "native,builtin"));
        ASSERT_TRUE(orders.back()->Ok()) << name;
        ASSERT_TRUE(CopyStandin("planted-companion\\Companion.dll", JoinPath(world.InstallerDir(), name)));
    }
    char system[MAX_PATH];
    UINT got = GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(got > 0 && got < MAX_PATH);

    Process setup;
    ASSERT_TRUE(StartSetup(setup, world, world.InstallerDir()));
    if (!WaitFor(setup, PageKind::Disclaimer).hwnd)
        return;
    for (const char* name : kAfxPreloadedDlls) {
        std::vector<std::string> loaded = ModulesNamed(setup.Pid(), name);
        ASSERT_EQ(loaded.size(), 1u) << name;
        EXPECT_EQ(_stricmp(loaded[0].c_str(), JoinPath(system, name).c_str()), 0) << loaded[0];
    }
    HWND last = PassFirstPages(setup);
    if (!last)
        return;
    ConfirmUsersAndFinish(world, setup, last, {"Alice"});
    EXPECT_EQ(Traces(world.InstallerDir()), std::vector<std::string>{});
}

// Without usable common controls the user list cannot work: the user is
// told in a box of no page as the mode page is left, nothing is queued and
// no finish page claims the installation is complete.
TEST_P(UnusableControls, common_controls_that_cannot_be_used_stop_the_run)
{
    const ControlsRow& row = GetParam();
    World world;
    LoadOrder order(kSetupName, "comctl32", row.copy ? "native,builtin" : "");
    std::unique_ptr<NoSideBySideControls> systemFolderOnly;
    std::unique_ptr<DamagedSystemFile> damaged;
    ASSERT_TRUE(LayOutRenamed(world, "Alice\n"));
    ASSERT_TRUE(order.Ok());
    if (row.copy) {
        systemFolderOnly.reset(new NoSideBySideControls);
        ASSERT_TRUE(systemFolderOnly->Ok());
        damaged.reset(new DamagedSystemFile("comctl32.dll", row.copy));
        ASSERT_TRUE(damaged->Ok());
    }

    Process setup;
    ASSERT_TRUE(StartSetup(setup, world, world.InstallerDir()));
    HWND last = PassFirstPages(setup);
    if (!last)
        return;
    Page next = WaitPage(setup, 10000, last);
    ASSERT_EQ(next.kind, PageKind::MessageBox);
    MessageBoxInfo box = ReadMessageBox(next.hwnd);
    EXPECT_EQ(box.caption, std::wstring(L"Error"));
    for (const char* fragment : row.says)
        EXPECT_NE(box.text.find(Widen(fragment)), std::wstring::npos) << fragment << " is not in " << Utf8(box.text);
    if (row.reason) {
        EXPECT_TRUE(box.text.find(L"(error ") != std::wstring::npos ||
                    box.text.find(L"no reason") != std::wstring::npos);
    }
    EXPECT_TRUE(box.owner == nullptr);
    EXPECT_TRUE(ShowsSystemIcon(box.hwnd, kStopIcon));
    RecordProperty("box", Utf8(box.text));
    Screenshot(box.hwnd, "box");
    EXPECT_TRUE(PressMessageBoxOk(box.hwnd));
    EXPECT_TRUE(EndsWithoutPage(setup, 5000, box.hwnd));
    EXPECT_TRUE(world.CallLines().empty());
    EXPECT_TRUE(world.Queued("Alice").empty());
    if (!damaged)
        return;
    // The damaged copy is the one in use, so the failure is the one meant.
    std::string asked;
    EXPECT_TRUE(ReadBytes(damaged->Path() + ".loaded", &asked));
    if (row.asked) {
        EXPECT_EQ(asked, row.asked);
    }
}

E2E_ROWS(Thai, UnusableControls, kControlsRows);

// Running out of memory while the page is in the background, as when the
// customer looks at another window meanwhile: the message box is the page's
// own and the page takes no input until it is dismissed; then the run ends.
TEST_F(Thai, out_of_memory_box_blocks_the_page_behind_it)
{
    std::string exe = JoinPath(Cfg().standinDir, "oom-page.exe");
    Process probe;
    ASSERT_TRUE(probe.Start(exe, Quoted(exe), Cfg().standinDir));
    Page page = WaitPage(probe);
    ASSERT_TRUE(page.hwnd);
    HWND other = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "another program", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(other);
    SetForegroundWindow(other);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 3000));
    PostMessageA(page.hwnd, WM_COMMAND, IDOK, 0);
    MessageBoxInfo box = WaitMessageBox(probe);
    DestroyWindow(other);
    if (!box.hwnd)
        return;
    EXPECT_EQ(box.text, L"There is not enough memory to complete this step.");
    EXPECT_EQ(box.owner, page.hwnd);
    EXPECT_FALSE(IsWindowEnabled(page.hwnd));
    EXPECT_TRUE(ShowsSystemIcon(box.hwnd, kStopIcon));
    EXPECT_TRUE(PressMessageBoxOk(box.hwnd));
    EXPECT_TRUE(probe.WaitExit());
    EXPECT_EQ(probe.ExitCode(), 1u);
}
