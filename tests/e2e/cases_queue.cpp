// The mode page and the queueing of the package, end to end: what the notes
// box shows for each notes file, which files the stand-in library is asked
// to queue for which user, and every way queueing refuses or fails, each time
// with nothing queued and the page left open for another try.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace e2e;

namespace {

const char kInstallNotes[] = "Install notes\r\n";
const char kUpdateNotes[] = "Update notes\r\n";

// Distinct bytes per file, with a zero, a Ctrl-Z and a bare CR, so that a
// copy made in text mode or cut at the zero would show.
std::string PackageBytes(const std::string& name)
{
    return "DB:" + name + std::string("\0\x1A\r\xFF\n", 5);
}

bool PutPackage(World& world, const std::string& name)
{
    return world.PutInstallerFile(name, PackageBytes(name));
}

// Notes for both modes and a Palm Desktop with these users.
bool LayOut(World& world, const std::string& users = "Alice\n")
{
    return world.Ok() && world.PutInstallerFile("install.tms", kInstallNotes) &&
           world.PutInstallerFile("update.tms", kUpdateNotes) && world.StandardPalm(users);
}

// The install list and the files it names.
bool LayOutPackage(World& world, const std::string& list, std::initializer_list<const char*> files)
{
    bool ok = world.PutInstallerFile("install.cfg", list);
    for (const char* file : files)
        ok = PutPackage(world, file) && ok;
    return ok;
}

Page StartAtMode(const World& world, Process& setup)
{
    return setup.Start(world) ? AcceptDisclaimer(setup) : Page();
}

// Chooses the mode with a click when it is Update, and accepts the page.
Page AcceptMode(const Process& setup, const Page& mode, bool update)
{
    if (!mode.hwnd)
        return Page();
    if (update) {
        ClickItem(mode.hwnd, IDC_UPDATE);
        if (!WaitUntil([&] { return IsChecked(Control(mode.hwnd, IDC_UPDATE)); }, 2000)) {
            ADD_FAILURE() << "a click on Update did not check it";
            return Page();
        }
    }
    ClickItem(mode.hwnd, IDOK);
    return WaitFor(setup, PageKind::Users, 10000, mode.hwnd);
}

Page StartAtUsers(const World& world, Process& setup, bool update = false)
{
    return AcceptMode(setup, StartAtMode(world, setup), update);
}

Page Confirm(const Process& setup, const Page& users, DWORD timeoutMs = 10000)
{
    ClickItem(users.hwnd, IDOK);
    return WaitFor(setup, PageKind::Finish, timeoutMs, users.hwnd);
}

std::string FullPath(const World& world, const std::string& name)
{
    return JoinPath(world.InstallerDir(), name);
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string InstallCall(const std::string& user, const std::string& path, int result)
{
    return "PltInstallFile " + user + "|" + path + " " + std::to_string(result);
}

std::vector<std::string> InstallCalls(const World& world)
{
    std::vector<std::string> calls;
    for (const std::string& line : world.CallLines())
        if (line.compare(0, 15, "PltInstallFile ") == 0)
            calls.push_back(line);
    return calls;
}

// The calls of the library's last load: it is loaded for queueing, called
// once per file and released right after. The users page loaded it first.
void CheckLastLoad(const World& world, std::vector<std::string> calls, int loads = 2)
{
    std::vector<std::string> lines = world.CallLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "attach"), loads);
    auto attach = std::find(lines.rbegin(), lines.rend(), "attach");
    calls.push_back("detach");
    EXPECT_EQ(std::vector<std::string>(attach.base(), lines.end()), calls);
}

std::string BaseName(const std::string& path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

// The user's queue holds exactly these installer files, byte for byte.
void CheckQueue(const World& world, const std::string& user, const std::vector<std::string>& files)
{
    std::vector<std::string> names;
    for (const std::string& file : files)
        names.push_back(BaseName(file));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(world.Queued(user), names);
    for (const std::string& file : files) {
        std::string queued;
        EXPECT_TRUE(ReadBytes(JoinPath(world.QueueDir(user), BaseName(file)), &queued));
        EXPECT_EQ(queued, PackageBytes(file));
    }
}

// No call to queue a file, and no user's queue folder anywhere.
void CheckNothingQueued(const World& world)
{
    EXPECT_EQ(InstallCalls(world), std::vector<std::string>());
    for (const std::string& name : ListDir(world.PalmDir()))
        EXPECT_TRUE(!DirExists(JoinPath(world.PalmDir(), name)));
}

// The rest of the line of `text` from `fragment` on, or "".
std::wstring LineFrom(const std::wstring& text, const std::string& fragment)
{
    std::wstring::size_type at = text.find(Widen(fragment));
    return at == std::wstring::npos ? std::wstring() : text.substr(at, text.find_first_of(L"\r\n", at) - at);
}

// Waits for a message box owned by `page` (any page when null), checks its
// caption, stop icon and that it holds every fragment, dismisses it and
// waits for the page to be the one shown again.
MessageBoxInfo ExpectBox(const Process& setup, HWND page, const wchar_t* caption,
                         std::initializer_list<std::string> fragments, const char* screenshot = nullptr)
{
    MessageBoxInfo box = WaitMessageBox(setup);
    if (!box.hwnd)
        return box;
    EXPECT_EQ(box.caption, std::wstring(caption));
    EXPECT_TRUE(box.owner != nullptr && (!page || box.owner == page));
    for (const std::string& fragment : fragments)
        EXPECT_NE(box.text.find(Widen(fragment)), std::wstring::npos)
            << ::testing::PrintToString(fragment) << " is not in " << ::testing::PrintToString(box.text);
    EXPECT_TRUE(ShowsSystemIcon(box.hwnd, MAKEINTRESOURCEW(32513)));   // IDI_HAND
    if (screenshot)
        Screenshot(box.hwnd, screenshot);
    EXPECT_TRUE(PressMessageBoxOk(box.hwnd));
    if (page) {
        EXPECT_TRUE(WaitUntil([&] { return CurrentDialog(setup.Pid()) == page; }, 3000));
    }
    return box;
}

// The file-error box names the file in quotes.
MessageBoxInfo ExpectFileError(const Process& setup, HWND page, const std::string& path,
                               const char* screenshot = nullptr)
{
    return ExpectBox(setup, page, L"File error", {Quoted(path)}, screenshot);
}

// Held: open with no sharing. Read: open for reading by another program
// that lets others read too, as a sync client, the search indexer or a virus
// scanner holds a file just unpacked. Written: open for writing by a
// program that lets others read and write.
enum class FileState { Good, Missing, Held, Folder, Read, Written };

std::string StateName(FileState state)
{
    const char* const names[] = {"good", "missing", "held", "folder", "read", "written"};
    return names[static_cast<int>(state)];
}

// Leaves the installer's file `name` in that state; a file open in another
// program is held by the returned object.
std::unique_ptr<HeldFile> MakeFile(World& world, const std::string& name, FileState state,
                                   const std::string& bytes)
{
    std::string path = FullPath(world, name);
    EXPECT_TRUE(RemoveTree(path));
    if (state == FileState::Folder) {
        EXPECT_TRUE(MakeDirs(path));
    }
    if (state == FileState::Missing || state == FileState::Folder) {
        return nullptr;
    }
    EXPECT_TRUE(world.PutInstallerFile(name, bytes));
    std::unique_ptr<HeldFile> held;
    if (state == FileState::Held)
        held.reset(new HeldFile(path));
    else if (state == FileState::Read)
        held.reset(new HeldFile(path, GENERIC_READ, FILE_SHARE_READ));
    else if (state == FileState::Written)
        held.reset(new HeldFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_TRUE(!held || held->Ok());
    return held;
}

// What the file-error box adds, after the system's reason, when a file of
// the package is not there.
const char kNotFoundHint[] =
    "setup.exe must be run from the folder that holds its package files: install.tms, update.tms, "
    "install.cfg, update.cfg and the files the lists name. If you opened it from inside a zip file, "
    "first extract all the files, then run setup.exe from the extracted folder.";

bool HasHint(const MessageBoxInfo& box)
{
    return box.text.find(Widen(kNotFoundHint)) != std::wstring::npos;
}

}  // namespace

// ---------------------------------------------------------------- mode page

TEST_F(Thai, mode_notes_follow_the_choice)
{
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    Page mode = StartAtMode(world, setup);
    if (!mode.hwnd)
        return;
    HWND install = Control(mode.hwnd, IDC_INSTALL);
    HWND update = Control(mode.hwnd, IDC_UPDATE);
    HWND notes = Control(mode.hwnd, IDC_TEXT);
    EXPECT_TRUE(IsChecked(install));
    EXPECT_TRUE(!IsChecked(update));
    EXPECT_EQ(TextA(notes), std::string(kInstallNotes));

    ClickControl(update);
    EXPECT_TRUE(WaitUntil([&] { return TextA(notes) == kUpdateNotes; }, 3000));
    EXPECT_TRUE(IsChecked(update) && !IsChecked(install));
    ClickControl(install);
    EXPECT_TRUE(WaitUntil([&] { return TextA(notes) == kInstallNotes; }, 3000));
    EXPECT_TRUE(IsChecked(install) && !IsChecked(update));

    // A click on the button already chosen reads its file afresh.
    EXPECT_TRUE(world.PutInstallerFile("install.tms", "Revised install notes"));
    ClickControl(install);
    EXPECT_TRUE(WaitUntil([&] { return TextA(notes) == "Revised install notes"; }, 3000));
    EXPECT_TRUE(world.PutInstallerFile("update.tms", "Revised update notes"));
    ClickControl(update);
    EXPECT_TRUE(WaitUntil([&] { return TextA(notes) == "Revised update notes"; }, 3000));
    EXPECT_EQ(CurrentDialog(setup.Pid()), mode.hwnd);
    setup.Kill();
}

// One page through every kind of unreadable notes file, for both buttons.
TEST_F(Thai, mode_unreadable_notes_show_the_file_error)
{
    const struct {
        int button;
        const char* file;
        FileState state;
        const char* bytes;
    } rows[] = {
        {IDC_UPDATE, "update.tms", FileState::Missing, ""},
        {IDC_UPDATE, "update.tms", FileState::Good, "Update notes 2"},
        {IDC_INSTALL, "install.tms", FileState::Held, "Held notes"},
        {IDC_INSTALL, "install.tms", FileState::Good, "Install notes 2"},
        {IDC_UPDATE, "update.tms", FileState::Folder, ""},
        {IDC_UPDATE, "update.tms", FileState::Held, "Held notes"},
        {IDC_INSTALL, "install.tms", FileState::Folder, ""},
        {IDC_UPDATE, "update.tms", FileState::Good, "Update notes 3"},
        {IDC_INSTALL, "install.tms", FileState::Written, "Written notes"},
        {IDC_UPDATE, "update.tms", FileState::Read, "Notes another program reads"},
    };
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    Page mode = StartAtMode(world, setup);
    if (!mode.hwnd)
        return;
    HWND notes = Control(mode.hwnd, IDC_TEXT);
    bool shot = false;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("row ") + (std::string(row.file) + " " + StateName(row.state)));
        [&] {
            std::unique_ptr<HeldFile> held = MakeFile(world, row.file, row.state, row.bytes);
            std::wstring before = TextW(notes);
            ClickItem(mode.hwnd, row.button);
            if (row.state == FileState::Good || row.state == FileState::Read) {
                EXPECT_TRUE(WaitUntil([&] { return TextA(notes) == row.bytes; }, 3000));
                EXPECT_EQ(CurrentDialog(setup.Pid()), mode.hwnd);
            } else {
                MessageBoxInfo box =
                    ExpectFileError(setup, mode.hwnd, FullPath(world, row.file), shot ? nullptr : "notes-error");
                // Only a file that is not there points at the folder.
                EXPECT_EQ(HasHint(box), row.state == FileState::Missing);
                shot = true;
                // The choice is taken, the box keeps what it showed.
                EXPECT_EQ(TextW(notes), before);
                EXPECT_TRUE(IsChecked(Control(mode.hwnd, row.button)));
            }
        }();
    }
    // Still a working page: it leads on to the users page.
    ClickItem(mode.hwnd, IDOK);
    WaitFor(setup, PageKind::Users, 10000, mode.hwnd);
    setup.Kill();
}

TEST_F(Thai, mode_opens_usable_after_a_notes_error)
{
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    ASSERT_TRUE(RemoveTree(FullPath(world, "install.tms")));
    ASSERT_TRUE(MakeDirs(FullPath(world, "install.tms")));
    ASSERT_TRUE(setup.Start(world));
    Page disclaimer = WaitFor(setup, PageKind::Disclaimer);
    if (!disclaimer.hwnd)
        return;
    ClickItem(disclaimer.hwnd, IDOK);
    MessageBoxInfo box = ExpectFileError(setup, nullptr, FullPath(world, "install.tms"));
    EXPECT_TRUE(Classify(box.owner) == PageKind::Mode);
    Page mode = WaitFor(setup, PageKind::Mode, 5000);
    if (!mode.hwnd)
        return;
    EXPECT_EQ(TextW(Control(mode.hwnd, IDC_TEXT)), std::wstring());
    EXPECT_TRUE(IsChecked(Control(mode.hwnd, IDC_INSTALL)));
    ClickItem(mode.hwnd, IDC_UPDATE);
    EXPECT_TRUE(WaitUntil([&] { return TextA(Control(mode.hwnd, IDC_TEXT)) == kUpdateNotes; }, 3000));
    setup.Kill();
}

// ---------------------------------------------------------------- queueing

TEST_F(Thai, queue_lists_are_queued_in_order)
{
    const struct {
        const char* name;
        bool update;
        std::string list;
        std::vector<std::string> files;
    } rows[] = {
        {"install-lf", false, "c.prc\na.prc\nb.pdb\n", {"c.prc", "a.prc", "b.pdb"}},
        {"update-crlf", true, "b.pdb\r\nc.prc\r\na.prc\r\n", {"b.pdb", "c.prc", "a.prc"}},
        {"update-no-final-newline", true, "a.prc\nb.pdb\nc.prc", {"a.prc", "b.pdb", "c.prc"}},
        {"install-blank-line", false, "a.prc\r\n\r\nb.pdb\r\n", {"a.prc", "b.pdb"}},
        {"install-subfolder", false, "sub\\b.pdb\na.prc\n", {"sub\\b.pdb", "a.prc"}},
        {"update-empty", true, "", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("row ") + (row.name));
        [&] {
            World world(CurrentCaseName() + "-" + row.name);
            Process setup;
            // The other mode's list names a file of its own that must stay out.
            ASSERT_TRUE(LayOut(world));
            ASSERT_TRUE(world.PutInstallerFile(row.update ? "update.cfg" : "install.cfg", row.list));
            ASSERT_TRUE(world.PutInstallerFile(row.update ? "install.cfg" : "update.cfg", "other.prc\n"));
            ASSERT_TRUE(PutPackage(world, "other.prc"));
            for (const std::string& file : row.files)
                EXPECT_TRUE(PutPackage(world, file));
            Page users = StartAtUsers(world, setup, row.update);
            if (!users.hwnd)
                return;
            Page finish = Confirm(setup, users);
            std::vector<std::string> calls;
            for (const std::string& file : row.files)
                calls.push_back(InstallCall("Alice", FullPath(world, file), 0));
            CheckLastLoad(world, calls);
            CheckQueue(world, "Alice", row.files);
            if (finish.hwnd && row.files.empty())
                Screenshot(finish.hwnd, "finish");
        }();
    }
}

// Chosen with a click on its check box, a user whose Thai name reaches the
// library as its code page 874 bytes.
TEST_F(Thai, queue_is_for_the_user_chosen_by_click)
{
    const std::string thai = "\xCA\xC1\xAA\xD2\xC2";
    World world;
    Process setup;
    // Bytes 0x80-0xFF sort first: the other Thai name is listed and checked first.
    ASSERT_TRUE(LayOut(world, "Alice\n" + thai + "\n\xA1\xC3\xD8\xA7\nBob\n"));
    ASSERT_TRUE(LayOutPackage(world, "a.prc\nb.pdb\n", {"a.prc", "b.pdb"}));
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    RemoteListView list(Control(users.hwnd, IDC_USERLIST));
    std::vector<std::string> rows = list.Rows();
    int row = static_cast<int>(std::find(rows.begin(), rows.end(), thai) - rows.begin());
    POINT box;
    ASSERT_TRUE(row < list.Count());
    ASSERT_TRUE(!list.Checked(row));
    ASSERT_TRUE(list.CheckBoxPoint(row, &box));
    Click(users.hwnd, box);
    std::vector<bool> only(rows.size(), false);
    only[static_cast<std::size_t>(row)] = true;
    EXPECT_TRUE(WaitUntil([&] { return list.CheckStates() == only; }, 2000));
    Confirm(setup, users);
    CheckLastLoad(world, {InstallCall(thai, FullPath(world, "a.prc"), 0),
                          InstallCall(thai, FullPath(world, "b.pdb"), 0)});
    CheckQueue(world, thai, {"a.prc", "b.pdb"});
    EXPECT_TRUE(world.Queued("\xA1\xC3\xD8\xA7").empty() && world.Queued("Alice").empty());
}

// Cancel on the mode page or on the users page ends setup: no finish page,
// nothing queued; from the mode page the library is never even loaded.
TEST_F(Thai, queue_cancel_queues_nothing)
{
    for (bool onMode : {true, false}) {
        SCOPED_TRACE(std::string("row ") + (onMode ? "mode" : "users"));
        [&] {
            World world(CurrentCaseName() + (onMode ? "-mode" : "-users"));
            Process setup;
            ASSERT_TRUE(LayOut(world));
            ASSERT_TRUE(LayOutPackage(world, "a.prc\n", {"a.prc"}));
            Page mode = StartAtMode(world, setup);
            Page page = onMode ? mode : AcceptMode(setup, mode, false);
            if (!page.hwnd)
                return;
            ClickItem(page.hwnd, IDCANCEL);
            EXPECT_TRUE(EndsWithoutPage(setup, 5000, page.hwnd));
            if (onMode) {
                EXPECT_EQ(world.CallLines(), std::vector<std::string>());
            }
            CheckNothingQueued(world);
        }();
    }
}

TEST_F(Thai, queue_finish_page_ends_setup)
{
    for (bool escape : {true, false}) {
        SCOPED_TRACE(std::string("row ") + (escape ? "escape" : "button"));
        [&] {
            World world(CurrentCaseName() + (escape ? "-escape" : "-button"));
            Process setup;
            ASSERT_TRUE(LayOut(world));
            ASSERT_TRUE(LayOutPackage(world, "a.prc\n", {"a.prc"}));
            Page users = StartAtUsers(world, setup);
            Page finish = users.hwnd ? Confirm(setup, users) : Page();
            if (!finish.hwnd)
                return;
            if (escape)
                PressKey(finish.hwnd, VK_ESCAPE);
            else
                ClickItem(finish.hwnd, IDCANCEL);
            EXPECT_TRUE(EndsWithoutPage(setup, 5000, finish.hwnd));
            CheckQueue(world, "Alice", {"a.prc"});
        }();
    }
}

// The notes and the package come from the program's folder, whatever the
// current directory holds and whatever follows the program's path.
TEST_F(Thai, queue_takes_its_files_from_the_program_folder)
{
    const char* rows[] = {"quoted", "quoted with arguments", "unquoted with arguments"};
    for (const char* const& name : rows) {
        SCOPED_TRACE(std::string("row ") + (name));
        [&] {
            World world(CurrentCaseName() + "-" + std::to_string(&name - rows));
            Process setup;
            std::string elsewhere = JoinPath(world.Root(), "elsewhere");
            std::string argument = JoinPath(elsewhere, "other.cfg");
            std::string command = name == rows[0]   ? Quoted(world.SetupPath())
                                  : name == rows[1] ? Quoted(world.SetupPath()) + " /auto " + argument
                                                    : world.SetupPath() + " " + argument;
            ASSERT_TRUE(LayOut(world));
            ASSERT_TRUE(LayOutPackage(world, "pkg.prc\n", {"pkg.prc"}));
            ASSERT_TRUE(world.PutInstallerFile("install.tms", "Program folder notes"));
            ASSERT_TRUE(MakeDirs(elsewhere));
            ASSERT_TRUE(WriteBytes(JoinPath(elsewhere, "install.tms"), "Decoy notes"));
            ASSERT_TRUE(WriteBytes(JoinPath(elsewhere, "install.cfg"), "decoy.prc\n"));
            ASSERT_TRUE(WriteBytes(JoinPath(elsewhere, "decoy.prc"), "decoy"));
            ASSERT_TRUE(setup.Start(world.SetupPath(), command, elsewhere));
            Page mode = AcceptDisclaimer(setup);
            if (!mode.hwnd)
                return;
            EXPECT_EQ(TextA(Control(mode.hwnd, IDC_TEXT)), std::string("Program folder notes"));
            Page users = AcceptMode(setup, mode, false);
            if (users.hwnd)
                Confirm(setup, users);
            EXPECT_EQ(InstallCalls(world), std::vector<std::string>{InstallCall("Alice", FullPath(world, "pkg.prc"), 0)});
        }();
    }
}

// ---------------------------------------------------------------- refusals

TEST_F(Thai, queue_refuses_when_palm_desktop_is_gone)
{
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    ASSERT_TRUE(LayOutPackage(world, "a.prc\n", {"a.prc"}));
    Page mode = StartAtMode(world, setup);
    ASSERT_TRUE(mode.hwnd);
    ASSERT_TRUE(DeleteDesktopKey());
    ClickItem(mode.hwnd, IDOK);
    MessageBoxInfo found = ExpectBox(setup, nullptr, L"Error", {"Cannot find Palm Desktop"});
    Page users = WaitFor(setup, PageKind::Users, 5000);
    if (!users.hwnd)
        return;
    EXPECT_EQ(found.owner, users.hwnd);
    ClickItem(users.hwnd, IDOK);
    ExpectBox(setup, users.hwnd, L"Error", {"Palm Desktop"}, "no-desktop");
    EXPECT_EQ(world.CallLines(), std::vector<std::string>());
    CheckNothingQueued(world);
}

TEST_F(Thai, queue_refuses_when_there_is_no_user_to_queue_for)
{
    const struct {
        const char* name;
        const char* users;
        int rows;
    } rows[] = {
        {"no users", "#count=0\n", 0},
        {"no users file", nullptr, 0},
        // A user the library names with an empty name: listed, checked, nameless.
        {"nameless user", "#count=1\n#untouched=0\n", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("row ") + (row.name));
        [&] {
            World world(CurrentCaseName() + "-" + std::to_string(&row - rows));
            Process setup;
            ASSERT_TRUE(LayOut(world, row.users ? row.users : ""));
            ASSERT_TRUE(LayOutPackage(world, "a.prc\n", {"a.prc"}));
            if (!row.users) {
                EXPECT_TRUE(DeleteFileA(JoinPath(world.PalmDir(), "users.txt").c_str()));
            }
            Page users = StartAtUsers(world, setup);
            if (!users.hwnd)
                return;
            RemoteListView list(Control(users.hwnd, IDC_USERLIST));
            EXPECT_EQ(list.Count(), row.rows);
            ClickItem(users.hwnd, IDOK);
            ExpectBox(setup, users.hwnd, L"Error", {"HotSync user"});
            EXPECT_EQ(InstallCalls(world), std::vector<std::string>());
            EXPECT_TRUE(!DirExists(JoinPath(world.PalmDir(), "Install")));
        }();
    }
}

TEST_F(Thai, queue_refuses_an_unusable_library)
{
    for (bool gone : {false, true}) {
        SCOPED_TRACE(std::string("row ") + (gone ? "library gone" : "no PltInstallFile"));
        [&] {
            World world(CurrentCaseName() + (gone ? "-gone" : "-lacking"));
            Process setup;
            ASSERT_TRUE(LayOut(world));
            ASSERT_TRUE(LayOutPackage(world, "a.prc\n", {"a.prc"}));
            if (!gone) {
                ASSERT_TRUE(world.UseStandin("Instaide-no-PltInstallFile.dll"));
            }
            Page users = StartAtUsers(world, setup);
            if (!users.hwnd)
                return;
            std::string library = JoinPath(world.PalmDir(), "Instaide.dll");
            // The users page has read the users and let the library go.
            if (gone) {
                ASSERT_TRUE(WaitUntil([&] { return DeleteFileA(library.c_str()) != 0; }, 3000));
            }
            ClickItem(users.hwnd, IDOK);
            if (gone)
                ExpectBox(setup, users.hwnd, L"Error", {library});
            else
                ExpectBox(setup, users.hwnd, L"Error", {library, "PltInstallFile"}, "no-entry");
            EXPECT_EQ(InstallCalls(world), std::vector<std::string>());
            EXPECT_TRUE(world.Queued("Alice").empty());
        }();
    }
}

// Both a missing file and a folder in a file's place stop the whole list;
// once the files are there, OK again queues them all.
TEST_F(Thai, queue_refuses_a_missing_package_file_then_retries)
{
    for (FileState state : {FileState::Missing, FileState::Folder}) {
        SCOPED_TRACE(std::string("row ") + (StateName(state)));
        [&] {
            World world(CurrentCaseName() + "-" + StateName(state));
            Process setup;
            ASSERT_TRUE(LayOut(world));
            ASSERT_TRUE(LayOutPackage(world, "a.prc\nb.pdb\nc.prc\nd.prc\n", {"a.prc", "d.prc"}));
            MakeFile(world, "b.pdb", state, "");
            Page users = StartAtUsers(world, setup);
            if (!users.hwnd)
                return;
            ClickItem(users.hwnd, IDOK);
            MessageBoxInfo box = ExpectBox(setup, users.hwnd, L"Error", {Quoted(FullPath(world, "b.pdb"))});
            EXPECT_TRUE(box.text.find(L"c.prc") == std::wstring::npos);   // only the first one
            CheckNothingQueued(world);

            EXPECT_TRUE(RemoveTree(FullPath(world, "b.pdb")));
            EXPECT_TRUE(PutPackage(world, "b.pdb") && PutPackage(world, "c.prc"));
            Confirm(setup, users);
            std::vector<std::string> files = {"a.prc", "b.pdb", "c.prc", "d.prc"}, calls;
            for (const std::string& file : files)
                calls.push_back(InstallCall("Alice", FullPath(world, file), 0));
            CheckLastLoad(world, calls);
            CheckQueue(world, "Alice", files);
        }();
    }
}

// 200 entries of up to 199 bytes each fit; one more entry, or one more byte,
// refuses the list without queueing anything.
TEST_F(Thai, queue_refuses_lists_past_its_limits)
{
    const struct {
        const char* name;
        int entries;
        int longPath;   // then one more entry, of a full path this long
        int refusedLine;
    } rows[] = {
        {"201 entries", 201, 0, 201},
        {"200 entries", 200, 0, 0},
        {"path of 200", 1, 200, 2},
        {"path of 199", 1, 199, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("row ") + (row.name));
        [&] {
            World world(CurrentCaseName() + "-" + std::to_string(&row - rows));
            Process setup;
            ASSERT_TRUE(LayOut(world));
            std::vector<std::string> files;
            for (int i = 1; i <= row.entries; ++i) {
                char name[16];
                std::snprintf(name, sizeof name, "f%03d.prc", i);
                files.push_back(name);
            }
            if (row.longPath) {
                std::size_t head = world.InstallerDir().size() + 1;
                files.push_back(std::string(static_cast<std::size_t>(row.longPath) - head - 4, 'n') + ".pdb");
                EXPECT_EQ(FullPath(world, files.back()).size(), static_cast<std::size_t>(row.longPath));
            }
            std::string list;
            for (const std::string& file : files) {
                list += file + "\r\n";
                EXPECT_TRUE(PutPackage(world, file));
            }
            ASSERT_TRUE(world.PutInstallerFile("install.cfg", list));
            Page users = StartAtUsers(world, setup);
            if (!users.hwnd)
                return;
            if (row.refusedLine) {
                ClickItem(users.hwnd, IDOK);
                ExpectBox(setup, users.hwnd, L"Error",
                          {FullPath(world, "install.cfg"), "line " + std::to_string(row.refusedLine)},
                          row.longPath ? "path-too-long" : "too-many");
                CheckNothingQueued(world);
                return;
            }
            Confirm(setup, users, 60000);
            std::vector<std::string> calls;
            for (const std::string& file : files)
                calls.push_back(InstallCall("Alice", FullPath(world, file), 0));
            CheckLastLoad(world, calls);
            CheckQueue(world, "Alice", files);
        }();
    }
}

// A name past 31 bytes is queued under all of it, not under another user
// who shares its first 31 bytes.
TEST_F(Thai, queue_keeps_a_long_user_name_whole)
{
    const std::string shared = "Mirabo HotSync user number one";   // 30 bytes
    for (std::size_t length : {40u, 49u}) {
        SCOPED_TRACE(std::string("row ") + (std::to_string(length)));
        [&] {
            std::string shorter = shared + "X";
            std::string name = shorter + std::string(length - shorter.size(), 'y');
            World world(CurrentCaseName() + "-" + std::to_string(length));
            Process setup;
            ASSERT_TRUE(LayOut(world, shorter + "\n" + name + "\n"));
            ASSERT_TRUE(LayOutPackage(world, "a.prc\n", {"a.prc"}));
            Page users = StartAtUsers(world, setup);
            if (!users.hwnd)
                return;
            RemoteListView list(Control(users.hwnd, IDC_USERLIST));
            std::vector<std::string> rows = list.Rows();
            int row = static_cast<int>(std::find(rows.begin(), rows.end(), name) - rows.begin());
            POINT box;
            ASSERT_TRUE(row < list.Count());
            if (!list.Checked(row)) {
                ASSERT_TRUE(list.CheckBoxPoint(row, &box));
                Click(users.hwnd, box);
                EXPECT_TRUE(WaitUntil([&] { return list.Checked(row); }, 2000));
            }
            Confirm(setup, users);
            CheckLastLoad(world, {InstallCall(name, FullPath(world, "a.prc"), 0)});
            CheckQueue(world, name, {"a.prc"});
            EXPECT_TRUE(world.Queued(shorter).empty());
        }();
    }
}

TEST_F(Thai, queue_counts_a_file_already_queued_as_queued)
{
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    ASSERT_TRUE(LayOutPackage(world, "a.prc\nb.pdb\n", {"a.prc", "b.pdb"}));
    ASSERT_TRUE(world.PutPalmFile("Alice\\Install\\b.pdb", "queued before"));
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    Confirm(setup, users);
    CheckLastLoad(world, {InstallCall("Alice", FullPath(world, "a.prc"), 0),
                          InstallCall("Alice", FullPath(world, "b.pdb"), -512)});
    EXPECT_EQ(world.Queued("Alice"), (std::vector<std::string>{"a.prc", "b.pdb"}));
    EXPECT_EQ(world.ReadPalmFile("Alice\\Install\\b.pdb"), std::string("queued before"));
}

// A package file another program holds open cannot be copied into the
// queue: the library refuses it (-504) and the page says so and stays.
TEST_F(Thai, queue_reports_files_the_library_refused_then_retries)
{
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    ASSERT_TRUE(LayOutPackage(world, "a.prc\nb.pdb\nc.prc\n", {"a.prc", "b.pdb", "c.prc"}));
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    std::string a = FullPath(world, "a.prc"), b = FullPath(world, "b.pdb"), c = FullPath(world, "c.prc");
    {
        HeldFile held(b);
        ClickItem(users.hwnd, IDOK);
        MessageBoxInfo box = ExpectBox(setup, users.hwnd, L"Error", {b}, "refused");
        EXPECT_TRUE(LineFrom(box.text, b).find(L"-504") != std::wstring::npos);
        EXPECT_TRUE(box.text.find(Widen(a)) == std::wstring::npos && box.text.find(Widen(c)) == std::wstring::npos);
        EXPECT_EQ(InstallCalls(world), (std::vector<std::string>{InstallCall("Alice", a, 0), InstallCall("Alice", b, -504),
                                                                InstallCall("Alice", c, 0)}));
    }
    Confirm(setup, users);
    CheckLastLoad(world, {InstallCall("Alice", a, -512), InstallCall("Alice", b, 0), InstallCall("Alice", c, -512)}, 3);
    CheckQueue(world, "Alice", {"a.prc", "b.pdb", "c.prc"});
}

// A list that cannot be opened: the file-error box, nothing queued, and a
// retry once it can. One that another program only reads is read.
TEST_F(Thai, queue_unreadable_list_shows_the_file_error)
{
    for (FileState state : {FileState::Missing, FileState::Held, FileState::Folder, FileState::Written}) {
        SCOPED_TRACE(std::string("row ") + (StateName(state)));
        [&] {
            World world(CurrentCaseName() + "-" + StateName(state));
            Process setup;
            ASSERT_TRUE(LayOut(world));
            ASSERT_TRUE(PutPackage(world, "a.prc"));
            std::unique_ptr<HeldFile> held = MakeFile(world, "install.cfg", state, "a.prc\n");
            Page users = StartAtUsers(world, setup);
            if (!users.hwnd)
                return;
            ClickItem(users.hwnd, IDOK);
            MessageBoxInfo box = ExpectFileError(setup, users.hwnd, FullPath(world, "install.cfg"),
                                                 state == FileState::Held ? "list-held" : nullptr);
            EXPECT_EQ(HasHint(box), state == FileState::Missing);
            CheckNothingQueued(world);
            held.reset();
            MakeFile(world, "install.cfg", FileState::Good, "a.prc\n");
            Confirm(setup, users);
            CheckQueue(world, "Alice", {"a.prc"});
        }();
    }
}

TEST_F(Thai, queue_reads_a_list_another_program_is_reading)
{
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    ASSERT_TRUE(PutPackage(world, "a.prc"));
    std::unique_ptr<HeldFile> held = MakeFile(world, "install.cfg", FileState::Read, "a.prc\n");
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    Confirm(setup, users);
    CheckQueue(world, "Alice", {"a.prc"});
}

// setup.exe alone in its folder, as Windows runs it from inside a zip file:
// each file error says what to do, the pages stay as they are, nothing is
// queued and the customer can still cancel.
TEST_F(Thai, setup_alone_in_its_folder_says_to_extract_the_package)
{
    World world;
    Process setup;
    ASSERT_TRUE(world.Ok() && world.StandardPalm("Alice\n"));
    ASSERT_EQ(ListDir(world.InstallerDir()), std::vector<std::string>{"setup.exe"});
    ASSERT_TRUE(setup.Start(world));
    Page disclaimer = WaitFor(setup, PageKind::Disclaimer);
    if (!disclaimer.hwnd)
        return;
    ClickItem(disclaimer.hwnd, IDOK);

    wchar_t reason[512] = L"";
    ASSERT_NE(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             ERROR_FILE_NOT_FOUND, 0, reason, 512, nullptr), 0u);
    std::wstring because = reason;
    because.erase(because.find_last_not_of(L"\r\n") + 1);
    auto expected = [&](const std::string& file) {
        return L"The file \"" + Widen(FullPath(world, file)) + L"\" could not be read.\r\n\r\n" + because +
               L"\r\n\r\n" + Widen(kNotFoundHint);
    };
    MessageBoxInfo box = ExpectFileError(setup, nullptr, FullPath(world, "install.tms"), "notes-missing");
    EXPECT_EQ(box.text, expected("install.tms"));
    EXPECT_EQ(Classify(box.owner), PageKind::Mode);
    Page mode = WaitFor(setup, PageKind::Mode, 5000);
    if (!mode.hwnd)
        return;
    ClickItem(mode.hwnd, IDC_UPDATE);
    box = ExpectFileError(setup, mode.hwnd, FullPath(world, "update.tms"));
    EXPECT_EQ(box.text, expected("update.tms"));

    Page users = AcceptMode(setup, mode, false);
    if (!users.hwnd)
        return;
    ClickItem(users.hwnd, IDOK);
    box = ExpectFileError(setup, users.hwnd, FullPath(world, "update.cfg"), "list-missing");
    EXPECT_EQ(box.text, expected("update.cfg"));
    CheckNothingQueued(world);
    ClickItem(users.hwnd, IDCANCEL);
    EXPECT_TRUE(EndsWithoutPage(setup, 5000, users.hwnd));
}
