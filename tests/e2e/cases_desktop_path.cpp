// What the users page makes of the Palm Desktop folder as Windows stores it:
// an expandable value is expanded, and a value that is not a full folder path
// is refused before anything is loaded, wherever the current directory is.
// Some folders here lie on drive C: of the prefix, since %SystemDrive% and a
// drive-relative path lead there.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

using namespace e2e;

namespace {

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
    return MakeDirs(folder) && CopyStandin("Instaide.dll", JoinPath(folder, "Instaide.dll")) &&
           WriteBytes(JoinPath(folder, "users.txt"), users);
}

// The refusal of a value that is not a full folder path, exactly; then the
// page it leaves, empty, whose OK queues nothing and leads nowhere.
void CheckRefused(Process& setup, const std::string& value)
{
    MessageBoxInfo box = ExpectError(setup, nullptr, L"Error", {}, "refused");
    if (!box.hwnd)
        return;
    std::string expected = std::string("The registry value ") + kValueName +
                           " does not hold a full folder path:\r\n\r\n\"" + value +
                           "\"\r\n\r\nPalm Desktop's install library is not loaded from it. "
                           "Please reinstall Palm Desktop.";
    EXPECT_EQ(box.text, Widen(expected));
    EXPECT_EQ(Classify(box.owner), PageKind::Users);
    HWND page = WaitFor(setup, PageKind::Users).hwnd;
    if (!page)
        return;
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Count(), 0);

    ClickItem(page, IDOK);
    MessageBoxInfo refusal = ExpectBox(setup, page, {});
    if (!refusal.hwnd)
        return;
    EXPECT_EQ(refusal.text, std::wstring(L"Palm Desktop's folder in the registry is not a full folder path, so there "
                                         L"is no HotSync user to install for.\r\n\r\nNothing was installed."));
    ExpectCancelEnds(setup, page);
}

// The users page lists Bob and Alice of the stand-in in `palm` as Alice,
// Bob; confirming it queues the package's file for Alice there.
void CheckListsAndQueues(const World& world, const std::string& palm)
{
    Process setup;
    HWND page = StartAtUsers(world, setup).hwnd;
    ASSERT_TRUE(page);
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Rows(), (std::vector<std::string>{"Alice", "Bob"}));
    EXPECT_TRUE(ConfirmUsers(setup, page).hwnd);
    EXPECT_EQ(ListDir(JoinPath(palm, "Alice\\Install")), std::vector<std::string>{"pkg.prc"});
    setup.Kill();
}

// Where a row's working stand-in lies, so that the value would name it.
enum class Planted { WorldPalm, DriveRoot, PalmInCwd, Rooted };

struct RefusedRow {
    const char* name;
    const char* value;   // null: the case's folder on C:, rooted without its drive
    bool onDriveC;       // started in the case's folder on C:, else in the world's root
    Planted planted;
};

const RefusedRow kRefusedRows[] = {
    {"relative", "Palm", false, Planted::WorldPalm},
    {"relative_with_dots", ".\\Palm", false, Planted::WorldPalm},
    {"empty", "", true, Planted::DriveRoot},
    {"drive_without_its_root", "C:Palm", true, Planted::PalmInCwd},
    {"rooted_without_a_drive", nullptr, true, Planted::Rooted},
};

using NotFullPath = Rows<RefusedRow>;

struct TypeRow {
    const char* name;
    DWORD type;
};

const TypeRow kTypeRows[] = {
    {"expandable", REG_EXPAND_SZ},
    {"plain", REG_SZ},
};

using ValueType = Rows<TypeRow>;

struct LengthRow {
    const char* name;
    std::size_t length;
};

const LengthRow kLengthRows[] = {
    {"folder_of_242", 242},
    {"folder_of_243", 243},
};

using ExpandedLength = Rows<LengthRow>;

struct VerbatimRow {
    const char* name;
    const char* end;
};

const VerbatimRow kVerbatimRows[] = {
    {"trailing_backslash", "\\"},
    {"no_trailing_backslash", ""},
};

using Verbatim = Rows<VerbatimRow>;

}  // namespace

// Each value names, relative to the current directory or drive it is started
// in, a folder holding a working stand-in. The installer loads none of them
// (the stand-in would log its loading and make a queue) and says why.
TEST_P(NotFullPath, desktop_path_that_is_not_a_full_path_is_refused)
{
    const RefusedRow& row = GetParam();
    DriveCFolder drive(CurrentCaseName());
    ASSERT_TRUE(drive.Ok());
    const std::string cwdOnC = JoinPath(drive.Path(), "cwd");
    const std::string rooted = drive.Path().substr(2) + "\\rooted";   // "\mirabo-e2e\<case>\rooted"
    const std::string value = row.value ? row.value : rooted;
    World world;
    const std::string planted = row.planted == Planted::WorldPalm   ? world.PalmDir()
                                : row.planted == Planted::DriveRoot ? std::string("C:\\")
                                : row.planted == Planted::PalmInCwd ? JoinPath(cwdOnC, "Palm")
                                                                    : "C:" + rooted;
    ASSERT_TRUE(PutPackage(world) && MakeDirs(cwdOnC) && PutStandin(planted, "Alice\n"));
    ASSERT_TRUE(SetDesktopPath(value));
    Process setup;
    if (PassToUsers(world, setup, row.onDriveC ? cwdOnC : world.Root()))
        CheckRefused(setup, value);
    setup.Kill();
    // Untouched: not loaded, no queue made, the library as it was.
    EXPECT_TRUE(!FileExists(JoinPath(planted, "calls.log")));
    EXPECT_TRUE(!DirExists(JoinPath(planted, "Alice")));
    std::string now;
    EXPECT_TRUE(ReadBytes(JoinPath(planted, "Instaide.dll"), &now) && now == StandinBytes());
    if (row.planted == Planted::DriveRoot)
        for (const char* name : {"Instaide.dll", "users.txt", "calls.log"})
            DeleteFileA(JoinPath("C:\\", name).c_str());
}

E2E_ROWS(Thai, NotFullPath, kRefusedRows);

// REG_EXPAND_SZ, Windows' way to store `%SystemDrive%\Palm`, is expanded:
// the users are listed and the file queued. The same text as REG_SZ names
// no folder and is refused as before it would have failed to load.
TEST_P(ValueType, desktop_path_expandable_value_is_expanded)
{
    const TypeRow& row = GetParam();
    DriveCFolder drive(CurrentCaseName());
    ASSERT_TRUE(drive.Ok());
    std::string palm = JoinPath(drive.Path(), "Palm");
    std::string value = "%SystemDrive%" + palm.substr(2);
    ASSERT_TRUE(PutStandin(palm, "Bob\nAlice\n"));
    World world;
    ASSERT_TRUE(PutPackage(world));
    ASSERT_TRUE(SetDesktopValueAnsi(row.type, value + '\0'));
    if (row.type == REG_EXPAND_SZ) {
        CheckListsAndQueues(world, palm);
        return;
    }
    Process setup;
    if (PassToUsers(world, setup))
        CheckRefused(setup, value);
}

E2E_ROWS(Thai, ValueType, kTypeRows);

// The expanded folder has the limit of any other: 242 characters, so that
// its library's path fits 255. One more is refused as too long, naming the
// folder as expanded, and nothing is loaded.
TEST_P(ExpandedLength, desktop_path_expanded_within_the_folder_limit)
{
    const std::size_t length = GetParam().length;
    DriveCFolder drive(CurrentCaseName());
    ASSERT_TRUE(drive.Ok());
    std::string palm = JoinPath(drive.Path(), std::to_string(length));
    while (palm.size() < length)
        palm += palm.size() + 1 < length && palm.size() % 60 == 0 ? '\\' : 'p';
    ASSERT_EQ(palm.size(), length);
    ASSERT_TRUE(PutStandin(palm, "Alice\n"));
    ASSERT_TRUE(SetDesktopValueAnsi(REG_EXPAND_SZ, "%SystemDrive%" + palm.substr(2) + '\0'));
    World world;
    ASSERT_TRUE(PutPackage(world));
    Process setup;
    HWND mode = PassToUsers(world, setup);
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

E2E_ROWS(Thai, ExpandedLength, kLengthRows);

// A folder in the form that goes to the system as it is, `\\?\`, with and
// without the trailing backslash Windows does not merge with the one before
// the library's name: the library is loaded, the users listed, the file queued.
TEST_P(Verbatim, desktop_path_verbatim_forms_are_loaded)
{
    World world;
    ASSERT_TRUE(PutPackage(world) && PutStandin(world.PalmDir(), "Bob\nAlice\n"));
    ASSERT_TRUE(SetDesktopPath("\\\\?\\" + world.PalmDir() + GetParam().end));
    CheckListsAndQueues(world, world.PalmDir());
}

E2E_ROWS(Thai, Verbatim, kVerbatimRows);
