// What the users page makes of the Palm Desktop folder as Windows stores it:
// an expandable value is expanded, and a value that is not a full folder path
// is refused before anything is loaded, wherever the current directory is.
// Some folders here lie on drive C: of the prefix, since %SystemDrive% and a
// drive-relative path lead there.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

using namespace e2e;

namespace {

const LPCWSTR kStopIcon = MAKEINTRESOURCEW(32513);   // IDI_HAND
const char kValueName[] = "HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core\\DesktopPath";

// A folder below C:\mirabo-e2e for the length of a case.
class DriveCFolder {
public:
    explicit DriveCFolder(const std::string& name) : m_path("C:\\mirabo-e2e\\" + name)
    {
        m_ok = RemoveTree(m_path) && MakeDirs(m_path);
        if (!m_ok)
            Fail("cannot make " + m_path);
    }
    ~DriveCFolder() { RemoveTree(m_path); }
    DriveCFolder(const DriveCFolder&) = delete;
    DriveCFolder& operator=(const DriveCFolder&) = delete;
    bool Ok() const { return m_ok; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    bool m_ok = false;
};

std::string StandinBytes()
{
    std::string bytes;
    if (!ReadBytes(JoinPath(Cfg().standinDir, "Instaide.dll"), &bytes))
        Fail("cannot read the stand-in");
    return bytes;
}

// The stand-in library and its users in `folder`, as Palm Desktop has them.
bool PutStandin(const std::string& folder, const std::string& users)
{
    return MakeDirs(folder) && WriteBytes(JoinPath(folder, "Instaide.dll"), StandinBytes()) &&
           WriteBytes(JoinPath(folder, "users.txt"), users);
}

bool PutPackage(World& world)
{
    return world.Ok() && world.PutInstallerFile("install.tms", "Install notes\r\n") &&
           world.PutInstallerFile("install.cfg", "pkg.prc\r\n") && world.PutInstallerFile("pkg.prc", "PRC");
}

// Starts setup.exe of the world in `cwd` and accepts the first two pages;
// returns the mode page just left, or null.
HWND PassToUsers(const World& world, Process& setup, const std::string& cwd)
{
    if (!setup.Start(world.SetupPath(), "\"" + world.SetupPath() + "\"", cwd))
        return nullptr;
    return PassFirstPages(setup);
}

// The refusal of a value that is not a full folder path, exactly; then the
// page it leaves, empty, whose OK queues nothing and leads nowhere.
void CheckRefused(Process& setup, HWND mode, const std::string& value)
{
    MessageBoxInfo box = WaitMessageBox(setup);
    if (!box.hwnd)
        return;
    std::string expected = std::string("The registry value ") + kValueName +
                           " does not hold a full folder path:\r\n\r\n\"" + value +
                           "\"\r\n\r\nPalm Desktop's install library is not loaded from it. "
                           "Please reinstall Palm Desktop.";
    EXPECT_EQ(box.text, Widen(expected));
    EXPECT_EQ(box.caption, std::wstring(L"Error"));
    EXPECT_EQ(Classify(box.owner), PageKind::Users);
    EXPECT_TRUE(ShowsSystemIcon(box.hwnd, kStopIcon));
    Screenshot(box.hwnd, "refused");
    ASSERT_TRUE(PressMessageBoxOk(box.hwnd));
    HWND page = WaitFor(setup, PageKind::Users, 10000, mode).hwnd;
    if (!page)
        return;
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Count(), 0);

    ClickItem(page, IDOK);
    MessageBoxInfo refusal = WaitMessageBox(setup);
    if (!refusal.hwnd)
        return;
    EXPECT_EQ(refusal.text, std::wstring(L"Palm Desktop's folder in the registry is not a full folder path, so there "
                                         L"is no HotSync user to install for.\r\n\r\nNothing was installed."));
    EXPECT_EQ(refusal.owner, page);
    EXPECT_TRUE(PressMessageBoxOk(refusal.hwnd));
    EXPECT_TRUE(WaitUntil([&] { return CurrentDialog(setup.Pid()) == page; }, 3000));
    ClickItem(page, IDCANCEL);
    EXPECT_TRUE(EndsWithoutPage(setup, 5000, page));
}

// The users page lists Bob and Alice of the stand-in in `palm` as Alice,
// Bob; confirming it queues the package's file for Alice there.
void CheckListsAndQueues(const World& world, const std::string& palm)
{
    Process setup;
    HWND mode = PassToUsers(world, setup, world.InstallerDir());
    HWND page = mode ? WaitFor(setup, PageKind::Users, 10000, mode).hwnd : nullptr;
    ASSERT_TRUE(page);
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Rows(), (std::vector<std::string>{"Alice", "Bob"}));
    ClickItem(page, IDOK);
    EXPECT_TRUE(WaitFor(setup, PageKind::Finish, 10000, page).hwnd);
    EXPECT_EQ(ListDir(JoinPath(palm, "Alice\\Install")), std::vector<std::string>{"pkg.prc"});
    setup.Kill();
}

}  // namespace

// Each value names, relative to the current directory or drive it is started
// in, a folder holding a working stand-in. The installer loads none of them
// (the stand-in would log its loading and make a queue) and says why.
TEST_F(Thai, desktop_path_that_is_not_a_full_path_is_refused)
{
    DriveCFolder drive(CurrentCaseName());
    ASSERT_TRUE(drive.Ok());
    const std::string cwdOnC = JoinPath(drive.Path(), "cwd");
    const std::string rooted = drive.Path().substr(2) + "\\rooted";   // "\mirabo-e2e\<case>\rooted"
    const struct {
        const char* label;
        std::string value;
        bool onDriveC;            // started in cwdOnC, else in the world's root
        std::string plantedIn;    // "" for the world's own Palm folder
    } rows[] = {
        {"relative", "Palm", false, ""},
        {"relative with dots", ".\\Palm", false, ""},
        {"empty", "", true, "C:\\"},
        {"drive without its root", "C:Palm", true, JoinPath(cwdOnC, "Palm")},
        {"rooted without a drive", rooted, true, "C:" + rooted},
    };
    const std::string standin = StandinBytes();
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("in case \"") + row.label + "\"");
        [&] {
            ASSERT_TRUE(ResetDesktopKey());
            World world(CurrentCaseName() + "-" + std::to_string(n++));
            std::string planted = row.plantedIn.empty() ? world.PalmDir() : row.plantedIn;
            ASSERT_TRUE(PutPackage(world) && MakeDirs(cwdOnC) && PutStandin(planted, "Alice\n"));
            ASSERT_TRUE(SetDesktopPath(row.value));
            Process setup;
            HWND mode = PassToUsers(world, setup, row.onDriveC ? cwdOnC : world.Root());
            if (mode)
                CheckRefused(setup, mode, row.value);
            setup.Kill();
            // Untouched: not loaded, no queue made, the library as it was.
            EXPECT_TRUE(!FileExists(JoinPath(planted, "calls.log")));
            EXPECT_TRUE(!DirExists(JoinPath(planted, "Alice")));
            std::string now;
            EXPECT_TRUE(ReadBytes(JoinPath(planted, "Instaide.dll"), &now) && now == standin);
        }();
    }
    for (const char* name : {"Instaide.dll", "users.txt", "calls.log"})
        DeleteFileA(JoinPath("C:\\", name).c_str());
}

// REG_EXPAND_SZ, Windows' way to store `%SystemDrive%\Palm`, is expanded:
// the users are listed and the file queued. The same text as REG_SZ names
// no folder and is refused as before it would have failed to load.
TEST_F(Thai, desktop_path_expandable_value_is_expanded)
{
    DriveCFolder drive(CurrentCaseName());
    ASSERT_TRUE(drive.Ok());
    std::string palm = JoinPath(drive.Path(), "Palm");
    std::string value = "%SystemDrive%" + palm.substr(2);
    ASSERT_TRUE(PutStandin(palm, "Bob\nAlice\n"));

    {
        World world(CurrentCaseName() + "-expand");
        ASSERT_TRUE(PutPackage(world));
        ASSERT_TRUE(SetDesktopValueAnsi(REG_EXPAND_SZ, value + '\0'));
        CheckListsAndQueues(world, palm);
    }
    {
        World world(CurrentCaseName() + "-plain");
        ASSERT_TRUE(PutPackage(world));
        ASSERT_TRUE(SetDesktopValueAnsi(REG_SZ, value + '\0'));
        Process setup;
        HWND mode = PassToUsers(world, setup, world.InstallerDir());
        if (mode)
            CheckRefused(setup, mode, value);
    }
}

// The expanded folder has the limit of any other: 242 characters, so that
// its library's path fits 255. One more is refused as too long, naming the
// folder as expanded, and nothing is loaded.
TEST_F(Thai, desktop_path_expanded_within_the_folder_limit)
{
    DriveCFolder drive(CurrentCaseName());
    ASSERT_TRUE(drive.Ok());
    for (std::size_t length : {std::size_t(242), std::size_t(243)}) {
        SCOPED_TRACE("folder of " + std::to_string(length) + " characters");
        std::string palm = JoinPath(drive.Path(), std::to_string(length));
        while (palm.size() < length)
            palm += palm.size() + 1 < length && palm.size() % 60 == 0 ? '\\' : 'p';
        ASSERT_EQ(palm.size(), length);
        ASSERT_TRUE(PutStandin(palm, "Alice\n"));
        ASSERT_TRUE(ResetDesktopKey());
        ASSERT_TRUE(SetDesktopValueAnsi(REG_EXPAND_SZ, "%SystemDrive%" + palm.substr(2) + '\0'));
        World world(CurrentCaseName() + "-" + std::to_string(length));
        ASSERT_TRUE(PutPackage(world));
        Process setup;
        HWND mode = PassToUsers(world, setup, world.InstallerDir());
        if (!mode)
            return;
        if (length == 242) {
            HWND page = WaitFor(setup, PageKind::Users, 10000, mode).hwnd;
            ASSERT_TRUE(page);
            RemoteListView list(Control(page, IDC_USERLIST));
            EXPECT_EQ(list.Rows(), std::vector<std::string>{"Alice"});
            EXPECT_TRUE(FileExists(JoinPath(palm, "calls.log")));
        } else {
            MessageBoxInfo box = WaitMessageBox(setup);
            EXPECT_EQ(box.text, Widen("The Palm Desktop folder is too long to load its install library:\r\n\r\n" + palm));
            EXPECT_TRUE(!FileExists(JoinPath(palm, "calls.log")));
        }
        setup.Kill();
    }
}

// A folder in the form that goes to the system as it is, `\\?\`, with and
// without the trailing backslash Windows does not merge with the one before
// the library's name: the library is loaded, the users listed, the file queued.
TEST_F(Thai, desktop_path_verbatim_forms_are_loaded)
{
    for (const char* end : {"\\", ""}) {
        SCOPED_TRACE(std::string("ending in \"") + end + "\"");
        ASSERT_TRUE(ResetDesktopKey());
        World world(CurrentCaseName() + (*end ? "-trailing" : "-plain"));
        ASSERT_TRUE(PutPackage(world) && PutStandin(world.PalmDir(), "Bob\nAlice\n"));
        ASSERT_TRUE(SetDesktopPath("\\\\?\\" + world.PalmDir() + end));
        CheckListsAndQueues(world, world.PalmDir());
    }
}
