// What the users page makes of the Palm Desktop folder as Windows stores it:
// where it finds the value in the registry, an expandable value expanded,
// and a value that is not a full folder path, or names a folder too long, is
// refused before anything is loaded, wherever the current directory is.
// Some folders here lie on drive C: of the prefix, since %SystemDrive% and a
// drive-relative path lead there.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

using namespace e2e;

namespace {

const char kValueName[] = "HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core\\DesktopPath";

// What the users page says as it opens, and what its OK says then, with no
// Palm Desktop, with a value that is no full folder path, and with a folder
// too long.
const char kNotFound[] = "Cannot find Palm Desktop !!\n\nPlease install Palm Desktop Application.";
const char kNotFoundOnOk[] = "Palm Desktop was not found, so there is no HotSync user to install for.";

std::string NotFullPathText(const std::string& value)
{
    return std::string("The registry value ") + kValueName + " does not hold a full folder path:\r\n\r\n\"" + value +
           "\"\r\n\r\nPalm Desktop's install library is not loaded from it. Please reinstall Palm Desktop.";
}

const char kNotFullPathOnOk[] =
    "Palm Desktop's folder in the registry is not a full folder path, so there is no HotSync user to install for.";

std::string TooLongText(const std::string& folder)
{
    return "The Palm Desktop folder is too long to load its install library:\r\n\r\n" + folder;
}

const char kTooLongOnOk[] =
    "Palm Desktop's folder is too long to load its install library, so there is no HotSync user to install for.";

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

int VisibleButtons(HWND box)
{
    int n = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        n += IsWindowVisible(c) && _wcsicmp(ClassName(c).c_str(), L"Button") == 0;
    return n;
}

// The box the users page opens with when it refuses Palm Desktop's folder,
// exactly; then the page it leaves: no rows, no column, no check boxes. Its
// OK says `onOk` and that nothing was installed, and the page stays until
// Cancel ends the program.
void CheckRefused(Process& setup, const std::string& opens, const std::string& onOk)
{
    MessageBoxInfo box = WaitMessageBox(setup);
    ASSERT_TRUE(box.hwnd);
    EXPECT_EQ(box.text, Widen(opens));
    EXPECT_EQ(box.caption, std::wstring(L"Error"));
    EXPECT_EQ(Classify(box.owner), PageKind::Users);
    EXPECT_EQ(VisibleButtons(box.hwnd), 1);
    EXPECT_TRUE(ShowsSystemIcon(box.hwnd, kStopIcon));
    Screenshot(box.hwnd, "refused");
    ASSERT_TRUE(PressMessageBoxOk(box.hwnd));
    HWND page = WaitFor(setup, PageKind::Users).hwnd;
    ASSERT_TRUE(page);
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(!list.Column(0, nullptr));
    EXPECT_EQ(list.ExtendedStyle() & LVS_EX_CHECKBOXES, 0u);

    ClickItem(page, IDOK);
    MessageBoxInfo refusal = ExpectError(setup, page, L"Error", {}, "refused-on-ok");
    EXPECT_EQ(refusal.text, Widen(onOk + std::string("\r\n\r\nNothing was installed.")));
    ExpectLivesOn(setup, page);
}

// The stand-in in `folder` was never loaded (it would log its loading) and
// made no queue there.
void ExpectNotLoaded(const std::string& folder)
{
    EXPECT_TRUE(!FileExists(JoinPath(folder, "calls.log"))) << folder;
    EXPECT_TRUE(!DirExists(JoinPath(folder, "Alice")) && !DirExists(JoinPath(folder, "Bob"))) << folder;
}

// The users page lists Bob and Alice of the stand-in in `palm` as Alice,
// Bob, Alice checked; confirming it queues the package's file for Alice there.
void CheckListsAndQueues(const World& world, const std::string& palm)
{
    Process setup;
    HWND page = StartAtUsers(world, setup).hwnd;
    ASSERT_TRUE(page);
    RemoteListView list(Control(page, IDC_USERLIST));
    EXPECT_EQ(list.Rows(), (std::vector<std::string>{"Alice", "Bob"}));
    EXPECT_EQ(list.CheckStates(), (std::vector<bool>{true, false}));
    EXPECT_TRUE(ConfirmUsers(setup, page).hwnd);
    EXPECT_EQ(ListDir(JoinPath(palm, "Alice\\Install")), std::vector<std::string>{"pkg.prc"});
    setup.Kill();
}

// Whether the Palm folder is found. The page reads the registry as it opens:
// a key removed while the mode page is up is not found either.
enum class Found { Yes, No, KeyRemovedOnModePage };

// What the registry says: prepared by `prepare`, where DesktopPath (that
// exact name) is enumerated, -1 for nowhere, and whether the Palm folder is
// found.
struct LookupRow {
    const char* name;
    bool (*prepare)(const World&);
    int index;
    Found found;
};

const LookupRow kLookupRows[] = {
    {"at_index_0", [](const World& w) { return SetDesktopPath(w.PalmDir()) &&
                                               SetDesktopValueAnsi(REG_SZ, std::string("x", 2), "Zulu"); },
     0, Found::Yes},
    {"among_several", [](const World& w) { return AddOtherValues(10) && SetDesktopPath(w.PalmDir()) &&
                                                  SetDesktopValueAnsi(REG_SZ, std::string("x", 2), "Zulu"); },
     10, Found::Yes},
    {"as_the_50th_value", [](const World& w) { return AddOtherValues(49) && SetDesktopPath(w.PalmDir()); },
     49, Found::Yes},
    {"as_the_51st_value", [](const World& w) { return AddOtherValues(50) && SetDesktopPath(w.PalmDir()); },
     50, Found::No},
    {"named_in_small_letters", [](const World& w) {
         return SetDesktopValueAnsi(REG_SZ, std::string(w.PalmDir().c_str(), w.PalmDir().size() + 1), "desktoppath"); },
     -1, Found::No},
    {"named_in_capitals", [](const World& w) {
         return SetDesktopValueAnsi(REG_SZ, std::string(w.PalmDir().c_str(), w.PalmDir().size() + 1), "DESKTOPPATH"); },
     -1, Found::No},
    {"key_without_the_value", [](const World&) { return AddOtherValues(3); }, -1, Found::No},
    {"no_key", [](const World&) { return !DesktopKeyExists(); }, -1, Found::No},
    // 300 bytes after the terminator: the data is longer than 256 bytes,
    // the folder is the text up to the terminator.
    {"data_over_256_bytes", [](const World& w) {
         return SetDesktopValueAnsi(REG_SZ, w.PalmDir() + '\0' + std::string(300, 'x') + '\0'); },
     0, Found::Yes},
    {"key_removed_on_the_mode_page", [](const World& w) { return SetDesktopPath(w.PalmDir()); }, 0,
     Found::KeyRemovedOnModePage},
};

using Lookup = Rows<LookupRow>;

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

// A Palm Desktop folder of `length` characters, named as it is or, where
// expanded, as %SystemDrive%\....
struct LengthRow {
    const char* name;
    bool expanded;
    std::size_t length;
};

const LengthRow kLengthRows[] = {
    {"folder_of_200", false, 200},
    // The longest folder whose library path fits the 256-byte path field.
    {"folder_of_242", false, 242},
    {"folder_of_300", false, 300},
    {"expanded_to_242", true, 242},
    {"expanded_to_243", true, 243},
};

using FolderLength = Rows<LengthRow>;

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

// What the registry says decides whether the page lists the users of the
// Palm folder or refuses, saying Palm Desktop is not there.
TEST_P(Lookup, desktop_path_lookup_in_the_registry)
{
    const LookupRow& row = GetParam();
    World world;
    ASSERT_TRUE(world.UseStandin() && world.WriteUsers("Bob\nAlice\n") && PutPackage(world) && row.prepare(world));
    EXPECT_EQ(DesktopValueIndex("DesktopPath"), row.index);
    if (row.found == Found::Yes) {
        CheckListsAndQueues(world, world.PalmDir());
        return;
    }
    Process setup;
    HWND mode = nullptr;
    if (row.found == Found::KeyRemovedOnModePage) {
        mode = StartAtMode(world, setup).hwnd;
        ASSERT_TRUE(mode && DeleteDesktopKey());
        ClickItem(mode, IDOK);
    } else {
        mode = PassToUsers(world, setup);
    }
    if (mode)
        CheckRefused(setup, kNotFound, kNotFoundOnOk);
    ExpectNotLoaded(world.PalmDir());
}

E2E_ROWS(Thai, Lookup, kLookupRows);

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
        CheckRefused(setup, NotFullPathText(value), kNotFullPathOnOk);
    setup.Kill();
    // Untouched: not loaded, no queue made, the library as it was.
    ExpectNotLoaded(planted);
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
        CheckRefused(setup, NotFullPathText(value), kNotFullPathOnOk);
}

E2E_ROWS(Thai, ValueType, kTypeRows);

// A folder has 242 characters at most, as named or as expanded, so that its
// library's path fits 255. A longer one is refused as too long, naming the
// whole folder (as expanded), and no library is loaded: neither from it nor
// from its first 114 or 242 characters, where a fixed work field would have
// cut it, each a folder holding a stand-in that would log its loading.
TEST_P(FolderLength, desktop_path_folder_length)
{
    const LengthRow& row = GetParam();
    DriveCFolder drive(CurrentCaseName());
    ASSERT_TRUE(drive.Ok());
    const std::string folder = NestTo(JoinPath(drive.Path(), "Palm"), row.length);
    ASSERT_EQ(folder.size(), row.length);
    // The folder itself where Windows can make it (below 248 characters).
    std::vector<std::string> planted;
    if (row.length < 248)
        planted.push_back(folder);
    if (row.length > 242) {
        planted.push_back(folder.substr(0, 114));
        planted.push_back(folder.substr(0, 242));
    }
    for (const std::string& at : planted)
        ASSERT_TRUE(PutStandin(at, "Bob\nAlice\n")) << at;
    ASSERT_TRUE(row.expanded ? SetDesktopValueAnsi(REG_EXPAND_SZ, "%SystemDrive%" + folder.substr(2) + '\0')
                             : SetDesktopPath(folder));
    EXPECT_EQ(DesktopValueIndex("DesktopPath"), 0);
    World world;
    ASSERT_TRUE(PutPackage(world));
    if (row.length <= 242) {
        CheckListsAndQueues(world, folder);
        return;
    }
    Process setup;
    if (PassToUsers(world, setup))
        CheckRefused(setup, TooLongText(folder), kTooLongOnOk);
    for (const std::string& at : planted)
        ExpectNotLoaded(at);
}

E2E_ROWS(Thai, FolderLength, kLengthRows);

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
