// The mode page and the queueing of the package, end to end: the notes the
// box shows for each choice (their errors: cases_notes.cpp), which files the
// stand-in library is asked to queue for which user, and every way queueing
// refuses or fails, each time with nothing queued and the page left open for
// another try.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace e2e;

namespace {

// Distinct bytes per file, with a zero, a Ctrl-Z and a bare CR, so that a
// copy made in text mode or cut at the zero would show.
std::string PackageBytes(const std::string& name)
{
    return "DB:" + name + std::string("\0\x1A\r\xFF\n", 5);
}

bool PutPackageFile(World& world, const std::string& name)
{
    return world.PutInstallerFile(name, PackageBytes(name));
}

// The install list and the files it names.
bool LayOutPackage(World& world, const std::string& list, std::initializer_list<const char*> files)
{
    bool ok = world.PutInstallerFile("install.cfg", list);
    for (const char* file : files)
        ok = PutPackageFile(world, file) && ok;
    return ok;
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

// The last load queued each of the installer's files for Alice, in order and
// accepted, and her queue holds exactly them.
void CheckQueuedForAlice(const World& world, const std::vector<std::string>& files)
{
    std::vector<std::string> calls;
    for (const std::string& file : files)
        calls.push_back(InstallCall("Alice", world.InstallerPath(file), 0));
    CheckLastLoad(world, calls);
    CheckQueue(world, "Alice", files);
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

struct ListRow {
    const char* name;
    bool update;
    std::string list;
    std::vector<std::string> files;
};

const ListRow kListRows[] = {
    {"install_lf", false, "c.prc\na.prc\nb.pdb\n", {"c.prc", "a.prc", "b.pdb"}},
    {"update_crlf", true, "b.pdb\r\nc.prc\r\na.prc\r\n", {"b.pdb", "c.prc", "a.prc"}},
    {"update_no_final_newline", true, "a.prc\nb.pdb\nc.prc", {"a.prc", "b.pdb", "c.prc"}},
    {"install_blank_line", false, "a.prc\r\n\r\nb.pdb\r\n", {"a.prc", "b.pdb"}},
    {"install_subfolder", false, "sub\\b.pdb\na.prc\n", {"sub\\b.pdb", "a.prc"}},
    {"update_empty", true, "", {}},
};

using ListsInOrder = Rows<ListRow>;

// A row whose case is one way or the other of doing the same.
struct EitherRow {
    const char* name;
    bool first;
};

// The library gone before OK, or one without PltInstallFile.
const EitherRow kUnusableRows[] = {
    {"library_gone", true},
    {"no_PltInstallFile", false},
};

using UnusableLibrary = Rows<EitherRow>;

struct CommandRow {
    const char* name;
    bool quoted;             // the program's path in quotes
    const char* arguments;   // between the path and a file elsewhere; null: nothing follows the path
};

const CommandRow kCommandRows[] = {
    {"quoted", true, nullptr},
    {"quoted_with_arguments", true, " /auto "},
    {"unquoted_with_arguments", false, " "},
};

using ProgramFolder = Rows<CommandRow>;

struct NoUserRow {
    const char* name;
    const char* users;   // null: no users file
    int rows;
    const char* says;
};

// Before the first HotSync Palm Desktop has no user: the box says how to make one.
const char kHotSyncOnce[] = "HotSync your handheld once with Palm Desktop, which makes its HotSync user, then run "
                            "setup.exe again.";

const NoUserRow kNoUserRows[] = {
    {"no_users", "#count=0\n", 0, kHotSyncOnce},
    {"no_users_file", nullptr, 0, kHotSyncOnce},
    // A user the library names with an empty name: listed, checked, nameless.
    {"nameless_user", "#count=1\n#untouched=0\n", 1, "has no name"},
};

// A code Palm Desktop's library gives for one file, as the box words it, and
// what it tells the customer to do.
struct CodeRow {
    const char* name;
    int code;
    const char* words;    // null: a code the library does not document
    const char* advice;
};

const CodeRow kCodeRows[] = {
    {"busy_in_a_hotsync", -520, "Palm Desktop is busy, as during a HotSync",
     "Wait for the HotSync to end, or close Palm Desktop, then press OK again."},
    {"disk_full", -519, "a new file could not be created in the install queue",
     "Free some space on the disk that holds Palm Desktop, then press OK again."},
    {"file_type", -515, "Palm Desktop cannot install this type of file",
     "Please tell the package's maker that Palm Desktop cannot install this file."},
    {"damaged_palm_desktop", -518, "Palm Desktop's own folder is not recorded",
     "Please reinstall Palm Desktop, then run setup.exe again."},
    {"no_users_dat", -503, "Palm Desktop's list of users (users.dat) is missing", kHotSyncOnce},
    {"undocumented", -9999, nullptr, nullptr},
    {"positive", 7, nullptr, nullptr},
};

using RefusedByCode = Rows<CodeRow>;

using NoUser = Rows<NoUserRow>;

struct StateRow {
    const char* name;
    FileState state;
};

const StateRow kMissingFileRows[] = {
    {"missing", FileState::Missing},
    {"folder", FileState::Folder},
};

using MissingFile = Rows<StateRow>;

const StateRow kListStateRows[] = {
    {"missing", FileState::Missing},
    {"held", FileState::Held},
    {"folder", FileState::Folder},
    {"written", FileState::Written},
    {"read", FileState::Read},
};

using ListState = Rows<StateRow>;

struct LimitRow {
    const char* name;
    int entries;
    int longPath;   // then one more entry, of a full path this long
    int refusedLine;
};

const LimitRow kLimitRows[] = {
    {"entries_201", 201, 0, 201},
    {"entries_200", 200, 0, 0},
    {"path_of_200", 1, 200, 2},
    {"path_of_199", 1, 199, 0},
};

using ListLimits = Rows<LimitRow>;

struct NameLengthRow {
    const char* name;
    std::size_t length;
};

const NameLengthRow kNameLengthRows[] = {
    {"name_of_40", 40},
    {"name_of_49", 49},
};

using LongUserName = Rows<NameLengthRow>;

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

// ---------------------------------------------------------------- queueing

TEST_P(ListsInOrder, queue_lists_are_queued_in_order)
{
    const ListRow& row = GetParam();
    World world;
    Process setup;
    // The other mode's list names a file of its own that must stay out.
    ASSERT_TRUE(LayOut(world));
    ASSERT_TRUE(world.PutInstallerFile(row.update ? "update.cfg" : "install.cfg", row.list));
    ASSERT_TRUE(world.PutInstallerFile(row.update ? "install.cfg" : "update.cfg", "other.prc\n"));
    ASSERT_TRUE(PutPackageFile(world, "other.prc"));
    for (const std::string& file : row.files)
        EXPECT_TRUE(PutPackageFile(world, file));
    Page users = AcceptMode(setup, StartAtMode(world, setup), row.update);
    if (!users.hwnd)
        return;
    Page finish = ConfirmUsers(setup, users.hwnd);
    CheckQueuedForAlice(world, row.files);
    if (finish.hwnd && row.files.empty())
        Screenshot(finish.hwnd, "finish");
}

E2E_ROWS(Thai, ListsInOrder, kListRows);

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
    ConfirmUsers(setup, users.hwnd);
    CheckLastLoad(world, {InstallCall(thai, world.InstallerPath("a.prc"), 0),
                          InstallCall(thai, world.InstallerPath("b.pdb"), 0)});
    CheckQueue(world, thai, {"a.prc", "b.pdb"});
    EXPECT_TRUE(world.Queued("\xA1\xC3\xD8\xA7").empty() && world.Queued("Alice").empty());
}

// The notes and the package come from the program's folder, whatever the
// current directory holds and whatever follows the program's path.
TEST_P(ProgramFolder, queue_takes_its_files_from_the_program_folder)
{
    const CommandRow& row = GetParam();
    World world;
    Process setup;
    std::string elsewhere = JoinPath(world.Root(), "elsewhere");
    std::string command = row.quoted ? Quoted(world.SetupPath()) : world.SetupPath();
    if (row.arguments)
        command += row.arguments + JoinPath(elsewhere, "other.cfg");
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
        ConfirmUsers(setup, users.hwnd);
    EXPECT_EQ(InstallCalls(world), std::vector<std::string>{InstallCall("Alice", world.InstallerPath("pkg.prc"), 0)});
}

E2E_ROWS(Thai, ProgramFolder, kCommandRows);

// ---------------------------------------------------------------- refusals

TEST_P(NoUser, queue_refuses_when_there_is_no_user_to_queue_for)
{
    const NoUserRow& row = GetParam();
    World world;
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
    ExpectError(setup, users.hwnd, L"Error", {"HotSync user", row.says});
    EXPECT_EQ(InstallCalls(world), std::vector<std::string>());
    EXPECT_TRUE(!DirExists(JoinPath(world.PalmDir(), "Install")));
}

E2E_ROWS(Thai, NoUser, kNoUserRows);

// A file the library refuses is named with its code in words and what to do;
// the file it took is queued, and the page stays for another try.
TEST_P(RefusedByCode, queue_says_the_librarys_code_in_words)
{
    const CodeRow& row = GetParam();
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world, "Alice\n#refuse=" + std::to_string(row.code) + " b.pdb\n"));
    ASSERT_TRUE(LayOutPackage(world, "a.prc\nb.pdb\n", {"a.prc", "b.pdb"}));
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    std::string b = world.InstallerPath("b.pdb");
    std::string line = b + " (error " + std::to_string(row.code) + (row.words ? std::string(": ") + row.words : "") + ")";
    ClickItem(users.hwnd, IDOK);
    MessageBoxInfo box = ExpectError(setup, users.hwnd, L"Error", {"did not queue these files for Alice"}, "box");
    std::wstring expectedEnd = Widen("\r\n" + line + "\r\n\r\n" + (row.advice ? row.advice + std::string("\r\n\r\n") : "") +
                                     "Press OK on this page to try again.");
    EXPECT_TRUE(box.text.size() > expectedEnd.size() &&
                box.text.compare(box.text.size() - expectedEnd.size(), expectedEnd.size(), expectedEnd) == 0)
        << Utf8(box.text);
    EXPECT_EQ(InstallCalls(world), (std::vector<std::string>{InstallCall("Alice", world.InstallerPath("a.prc"), 0),
                                                            InstallCall("Alice", b, row.code)}));
    EXPECT_EQ(world.Queued("Alice"), std::vector<std::string>{"a.prc"});
    EXPECT_EQ(Classify(CurrentDialog(setup.Pid())), PageKind::Users);
}

E2E_ROWS(Thai, RefusedByCode, kCodeRows);

// A library gone before OK, or one without PltInstallFile, which listing the
// users does not need: the users are listed, OK names the library, nothing
// is queued, and the page stays until Cancel ends the program.
TEST_P(UnusableLibrary, queue_refuses_an_unusable_library)
{
    const bool gone = GetParam().first;
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world, "Bob\nAlice\n"));
    ASSERT_TRUE(LayOutPackage(world, "a.prc\n", {"a.prc"}));
    if (!gone) {
        ASSERT_TRUE(world.UseStandin("Instaide-no-PltInstallFile.dll"));
    }
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    EXPECT_EQ(RemoteListView(Control(users.hwnd, IDC_USERLIST)).Rows(), (std::vector<std::string>{"Alice", "Bob"}));
    std::string library = JoinPath(world.PalmDir(), "Instaide.dll");
    // The users page has read the users and let the library go.
    if (gone) {
        ASSERT_TRUE(WaitUntil([&] { return DeleteFileA(library.c_str()) != 0; }, 3000));
    }
    EXPECT_EQ(world.CallLines(),
              (std::vector<std::string>{"attach", "PltGetUserCount 2", "PltGetUser 0 0", "PltGetUser 1 0", "detach"}));
    ClickItem(users.hwnd, IDOK);
    if (gone)
        ExpectError(setup, users.hwnd, L"Error", {library});
    else
        ExpectError(setup, users.hwnd, L"Error", {library, "PltInstallFile"}, "no-entry");
    EXPECT_EQ(InstallCalls(world), std::vector<std::string>());
    EXPECT_TRUE(world.Queued("Alice").empty());
    ExpectLivesOn(setup, users.hwnd);
}

E2E_ROWS(Thai, UnusableLibrary, kUnusableRows);

// Both a missing file and a folder in a file's place stop the whole list;
// once the files are there, OK again queues them all.
TEST_P(MissingFile, queue_refuses_a_missing_package_file_then_retries)
{
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    ASSERT_TRUE(LayOutPackage(world, "a.prc\nb.pdb\nc.prc\nd.prc\n", {"a.prc", "d.prc"}));
    MakeFile(world, "b.pdb", GetParam().state, "");
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    ClickItem(users.hwnd, IDOK);
    MessageBoxInfo box = ExpectError(setup, users.hwnd, L"Error", {Quoted(world.InstallerPath("b.pdb"))});
    EXPECT_TRUE(box.text.find(L"c.prc") == std::wstring::npos);   // only the first one
    CheckNothingQueued(world);

    EXPECT_TRUE(RemoveTree(world.InstallerPath("b.pdb")));
    EXPECT_TRUE(PutPackageFile(world, "b.pdb") && PutPackageFile(world, "c.prc"));
    ConfirmUsers(setup, users.hwnd);
    CheckQueuedForAlice(world, {"a.prc", "b.pdb", "c.prc", "d.prc"});
}

E2E_ROWS(Thai, MissingFile, kMissingFileRows);

// 200 entries of up to 199 bytes each fit; one more entry, or one more byte,
// refuses the list without queueing anything.
TEST_P(ListLimits, queue_refuses_lists_past_its_limits)
{
    const LimitRow& row = GetParam();
    World world;
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
        EXPECT_EQ(world.InstallerPath(files.back()).size(), static_cast<std::size_t>(row.longPath));
    }
    std::string list;
    for (const std::string& file : files) {
        list += file + "\r\n";
        EXPECT_TRUE(PutPackageFile(world, file));
    }
    ASSERT_TRUE(world.PutInstallerFile("install.cfg", list));
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    if (row.refusedLine) {
        ClickItem(users.hwnd, IDOK);
        ExpectError(setup, users.hwnd, L"Error",
                    {world.InstallerPath("install.cfg"), "line " + std::to_string(row.refusedLine)},
                    row.longPath ? "path-too-long" : "too-many");
        CheckNothingQueued(world);
        return;
    }
    ConfirmUsers(setup, users.hwnd, 60000);
    CheckQueuedForAlice(world, files);
}

E2E_ROWS(Thai, ListLimits, kLimitRows);

// A name past 31 bytes is queued under all of it, not under another user
// who shares its first 31 bytes.
TEST_P(LongUserName, queue_keeps_a_long_user_name_whole)
{
    const std::string shared = "Mirabo HotSync user number one";   // 30 bytes
    std::string shorter = shared + "X";
    std::string name = shorter + std::string(GetParam().length - shorter.size(), 'y');
    World world;
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
    ConfirmUsers(setup, users.hwnd);
    CheckLastLoad(world, {InstallCall(name, world.InstallerPath("a.prc"), 0)});
    CheckQueue(world, name, {"a.prc"});
    EXPECT_TRUE(world.Queued(shorter).empty());
}

E2E_ROWS(Thai, LongUserName, kNameLengthRows);

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
    ConfirmUsers(setup, users.hwnd);
    CheckLastLoad(world, {InstallCall("Alice", world.InstallerPath("a.prc"), 0),
                          InstallCall("Alice", world.InstallerPath("b.pdb"), -512)});
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
    std::string a = world.InstallerPath("a.prc"), b = world.InstallerPath("b.pdb"), c = world.InstallerPath("c.prc");
    {
        HeldFile held(b);
        ClickItem(users.hwnd, IDOK);
        MessageBoxInfo box = ExpectError(setup, users.hwnd, L"Error", {b}, "refused");
        EXPECT_TRUE(LineFrom(box.text, b).find(L"-504") != std::wstring::npos);
        EXPECT_TRUE(box.text.find(Widen(a)) == std::wstring::npos && box.text.find(Widen(c)) == std::wstring::npos);
        EXPECT_EQ(InstallCalls(world), (std::vector<std::string>{InstallCall("Alice", a, 0), InstallCall("Alice", b, -504),
                                                                InstallCall("Alice", c, 0)}));
    }
    ConfirmUsers(setup, users.hwnd);
    CheckLastLoad(world, {InstallCall("Alice", a, -512), InstallCall("Alice", b, 0), InstallCall("Alice", c, -512)}, 3);
    CheckQueue(world, "Alice", {"a.prc", "b.pdb", "c.prc"});
}

// A list that cannot be opened: the file-error box, nothing queued, and a
// retry once it can. One that another program only reads is read.
TEST_P(ListState, queue_reads_the_list_or_shows_the_file_error)
{
    const FileState state = GetParam().state;
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world));
    ASSERT_TRUE(PutPackageFile(world, "a.prc"));
    std::unique_ptr<HeldFile> held = MakeFile(world, "install.cfg", state, "a.prc\n");
    Page users = StartAtUsers(world, setup);
    if (!users.hwnd)
        return;
    if (state != FileState::Read) {
        ClickItem(users.hwnd, IDOK);
        MessageBoxInfo box = ExpectFileError(setup, users.hwnd, world.InstallerPath("install.cfg"),
                                             state == FileState::Held ? "list-held" : nullptr);
        EXPECT_EQ(HasNotFoundHint(box), state == FileState::Missing);
        CheckNothingQueued(world);
        held.reset();
        MakeFile(world, "install.cfg", FileState::Good, "a.prc\n");
    }
    ConfirmUsers(setup, users.hwnd);
    CheckQueue(world, "Alice", {"a.prc"});
}

E2E_ROWS(Thai, ListState, kListStateRows);

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

    const std::wstring because = SystemText(ERROR_FILE_NOT_FOUND);
    auto expected = [&](const std::string& file) {
        return L"The file \"" + Widen(world.InstallerPath(file)) + L"\" could not be read.\r\n\r\n" + because +
               L"\r\n\r\n" + Widen(kNotFoundHint);
    };
    MessageBoxInfo box = ExpectFileError(setup, nullptr, world.InstallerPath("install.tms"), "notes-missing");
    EXPECT_EQ(box.text, expected("install.tms"));
    EXPECT_EQ(Classify(box.owner), PageKind::Mode);
    Page mode = WaitFor(setup, PageKind::Mode, 5000);
    if (!mode.hwnd)
        return;
    ClickItem(mode.hwnd, IDC_UPDATE);
    box = ExpectFileError(setup, mode.hwnd, world.InstallerPath("update.tms"));
    EXPECT_EQ(box.text, expected("update.tms"));

    Page users = AcceptMode(setup, mode, false);
    if (!users.hwnd)
        return;
    ClickItem(users.hwnd, IDOK);
    box = ExpectFileError(setup, users.hwnd, world.InstallerPath("update.cfg"), "list-missing");
    EXPECT_EQ(box.text, expected("update.cfg"));
    CheckNothingQueued(world);
    ExpectCancelEnds(setup, users.hwnd);
}

// ---------------------------------------------------------------- keys alone

namespace {

// Every page names the product for the taskbar, Alt+Tab and screen readers,
// and still has no caption bar.
void ExpectNamedWithoutCaption(HWND page)
{
    EXPECT_EQ(TextW(page), std::wstring(L"Mirabo handheld installer"));
    EXPECT_EQ(Style(page) & WS_CAPTION, 0);
    RECT window{};
    POINT client{0, 0};
    EXPECT_TRUE(GetWindowRect(page, &window) && ClientToScreen(page, &client));
    EXPECT_LT(client.y - window.top, GetSystemMetrics(SM_CYCAPTION));
}

// Enter on a page; the page of `kind` that follows, named and without a caption bar.
Page EnterTo(const Process& setup, HWND page, PageKind kind)
{
    if (!PressKey(page, VK_RETURN))
        return Page();
    Page next = WaitFor(setup, kind, 10000, page);
    if (next.hwnd)
        ExpectNamedWithoutCaption(next.hwnd);
    return next;
}

// From the disclaimer to the finish page with keys alone: Enter, Enter, Tab
// twice (past Cancel) to the list, the row's keys there, Enter. `chosen` is
// the row the keys leave checked and the files are queued for; -1 for none,
// where Enter is refused and nothing is queued.
struct KeysRow {
    const char* name;
    std::string users;
    std::vector<WORD> keys;
    int chosen;
};

const KeysRow kKeysRows[] = {
    {"second_user", "Carol\nAlice\nBob\n", {VK_DOWN}, 1},
    {"no_users", "#count=0\n", {VK_SPACE, VK_DOWN, VK_UP, VK_HOME, VK_END, VK_SPACE}, -1},
    {"one_user", "Alice\n", {VK_SPACE, VK_DOWN, VK_UP, VK_END, VK_HOME, VK_SPACE}, 0},
    {"hundred_users_end", "#many=100,49\n", {VK_END}, 99},
    {"space_keeps_the_check", "Alice\nBob\n", {VK_DOWN, VK_SPACE, VK_SPACE}, 1},
};

using KeysAlone = Rows<KeysRow>;

}  // namespace

TEST_P(KeysAlone, queue_by_keys_alone_from_the_first_page)
{
    const KeysRow& row = GetParam();
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world, row.users) && PutPackage(world));
    Page disclaimer = StartAtDisclaimer(world, setup);
    ASSERT_TRUE(disclaimer.hwnd);
    ExpectNamedWithoutCaption(disclaimer.hwnd);
    Page mode = EnterTo(setup, disclaimer.hwnd, PageKind::Mode);
    ASSERT_TRUE(mode.hwnd);
    Page users = EnterTo(setup, mode.hwnd, PageKind::Users);
    ASSERT_TRUE(users.hwnd);

    HWND hwnd = Control(users.hwnd, IDC_USERLIST);
    RemoteListView list(hwnd);
    const int count = list.Count();
    ASSERT_TRUE(PressKey(users.hwnd, VK_TAB) && PressKey(users.hwnd, VK_TAB));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(users.hwnd) == hwnd; }, 2000)) << "Tab does not reach the list";
    // The keys start at the checked row.
    if (count > 0) {
        EXPECT_TRUE(list.Focused(0) && list.Selected(0) && list.Checked(0));
    }
    for (WORD key : row.keys) {
        ASSERT_TRUE(PressKey(users.hwnd, key));
    }
    std::vector<bool> only(static_cast<std::size_t>(count), false);
    if (row.chosen >= 0)
        only[static_cast<std::size_t>(row.chosen)] = true;
    EXPECT_TRUE(WaitUntil([&] { return list.CheckStates() == only && FocusOf(users.hwnd) == hwnd; }, 2000));
    EXPECT_TRUE(row.chosen < 0 || list.Selected(row.chosen));
    Screenshot(users.hwnd, "keys");

    if (row.chosen < 0) {
        // Nobody to queue for: Enter is refused and the page stays.
        ASSERT_TRUE(PressKey(users.hwnd, VK_RETURN));
        ExpectError(setup, users.hwnd, L"Error", {"HotSync user"});
        CheckNothingQueued(world);
        return;
    }
    const std::string user = list.TextA(row.chosen);
    Page finish = EnterTo(setup, users.hwnd, PageKind::Finish);
    CheckLastLoad(world, {InstallCall(user, world.InstallerPath("pkg.prc"), 0)});
    EXPECT_EQ(world.AllQueued(), std::vector<std::string>{user + "\\pkg.prc"});
    ASSERT_TRUE(finish.hwnd);
    ASSERT_TRUE(PressKey(finish.hwnd, VK_RETURN));
    EXPECT_TRUE(EndsWithoutPage(setup, 5000, finish.hwnd));
}

E2E_ROWS(Thai, KeysAlone, kKeysRows);

// ---------------------------------------------------------------- busy

namespace {

// The cursor shown now. Wine reads another process's cursor handle but not
// its picture: a cursor is told apart from another only by its handle.
HCURSOR CursorNow()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

}  // namespace

// Files from slow media: while they are handed over one by one, the page
// answers the system (never "Not Responding"), shows a cursor other than its
// own and takes no input: a second OK by key or by click, or a click on
// another user, changes nothing, and the files are queued once.
TEST_F(Thai, queue_of_slow_files_answers_and_takes_one_ok)
{
    // 40 files of 200 ms each: well past the 5 s after which the system
    // counts a page that asks for no message as hung.
    const int kFiles = 40;
    const std::size_t kPastHung = 27;
    World world;
    Process setup;
    ASSERT_TRUE(LayOut(world, "Alice\nBob\n#slow=200\n"));
    std::string listed;
    std::vector<std::string> files;
    for (int i = 1; i <= kFiles; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%02d.prc", i);
        files.push_back(name);
        listed += files.back() + "\n";
    }
    ASSERT_TRUE(LayOutPackage(world, listed, {}));
    for (const std::string& file : files) {
        ASSERT_TRUE(PutPackageFile(world, file));
    }
    Page users = StartAtUsers(world, setup);
    ASSERT_TRUE(users.hwnd);
    RemoteListView list(Control(users.hwnd, IDC_USERLIST));
    // The page's own cursor, over the page it has shown since it opened.
    const HCURSOR own = CursorNow();
    ASSERT_TRUE(own);

    ASSERT_TRUE(ClickItem(users.hwnd, IDOK));
    auto queued = [&] { return InstallCalls(world).size(); };
    ASSERT_TRUE(WaitUntil([&] { return queued() >= 1; }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return CursorNow() != own; }, 2000)) << "no wait cursor";
    const HCURSOR wait = CursorNow();
    POINT bob;
    ASSERT_TRUE(list.TextPoint(1, &bob));
    ASSERT_TRUE(PressKey(users.hwnd, VK_RETURN));
    ASSERT_TRUE(ClickItem(users.hwnd, IDOK));
    ASSERT_TRUE(Click(users.hwnd, bob));
    // The input reached the page between two files: two files later it has
    // been dropped, and the mouse moved over the list kept the wait cursor.
    const std::size_t sent = queued();
    ASSERT_TRUE(WaitUntil([&] { return queued() >= sent + 2; }, 5000));
    EXPECT_EQ(list.CheckStates(), (std::vector<bool>{true, false}));
    EXPECT_EQ(CursorNow(), wait);

    ASSERT_TRUE(WaitUntil([&] { return queued() >= kPastHung; }, 10000));
    ASSERT_LT(queued(), files.size()) << "the queue ended before the page could be asked";
    EXPECT_FALSE(IsHungAppWindow(users.hwnd));
    DWORD_PTR ignored;
    EXPECT_NE(SendMessageTimeoutW(users.hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, WaitLimit(1000), &ignored), 0u);

    // One finish page, whose cursor is the pages' own again.
    Page finish = WaitFor(setup, PageKind::Finish, 10000, users.hwnd);
    std::vector<std::string> calls;
    for (const std::string& file : files)
        calls.push_back(InstallCall("Alice", world.InstallerPath(file), 0));
    CheckLastLoad(world, calls);
    CheckQueue(world, "Alice", files);
    EXPECT_TRUE(world.Queued("Bob").empty());
    ASSERT_TRUE(finish.hwnd);
    EXPECT_TRUE(WaitUntil([&] { return CursorNow() == own; }, 2000));
    ExpectCancelEnds(setup, finish.hwnd);
}

namespace {

// Folder names the running code page cannot spell: Thai under 1252, and
// Cyrillic or Vietnamese under 874.
std::wstring PackageFolderName()
{
    return GetACP() == kThaiCodePage ? L"\u041F\u0430\u043A\u0435\u0442 Mirabo"
                                     : L"\u0E0A\u0E38\u0E14\u0E15\u0E34\u0E14\u0E15\u0E31\u0E49\u0E07";
}

std::wstring PalmFolderName()
{
    return GetACP() == kThaiCodePage ? L"Palm Vi\u1EC7t" : L"\u0E1B\u0E32\u0E25\u0E4C\u0E21";
}

// An environment variable of the harness for the length of a scope; the
// programs it starts inherit it.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name)
    {
        EXPECT_TRUE(SetEnvironmentVariableA(name, value.c_str()));
    }
    ~ScopedVariable() { SetEnvironmentVariableA(m_name, nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
};

struct ForeignRow {
    const char* name;
    bool package;        // the package's folder is named so, else Palm Desktop's
    DWORD type;          // of DesktopPath: REG_EXPAND_SZ names the world's root by a variable
};

const ForeignRow kForeignRows[] = {
    {"package_folder", true, REG_SZ},
    {"desktop_folder", false, REG_SZ},
    {"desktop_folder_expandable", false, REG_EXPAND_SZ},
};

using ForeignFolder = Rows<ForeignRow>;

}  // namespace

// Started by its Unicode name, as Explorer does, setup.exe reads its notes
// and list and queues its files through the folder's short name; Palm
// Desktop's library is loaded through its folder's short name and queues the
// files beside itself.
TEST_P(ForeignFolder, folder_the_code_page_cannot_spell_is_reached_by_its_short_name)
{
    const ForeignRow& row = GetParam();
    World world(CurrentCaseName(), row.package ? PackageFolderName() : L"installer",
                row.package ? L"Palm" : PalmFolderName());
    ASSERT_TRUE(world.Ok());
    // The folder's own name is not spelled (best fit is off: '?' for a
    // letter the code page lacks); the harness names it by its short name.
    const std::wstring& foreign = row.package ? world.InstallerDirW() : world.PalmDirW();
    ASSERT_NE(Narrow(foreign).find('?'), std::string::npos) << Utf8(foreign);
    ASSERT_NE(Widen(row.package ? world.InstallerDir() : world.PalmDir()), foreign);
    ASSERT_TRUE(PutNotes(world) && LayOutPackage(world, "a.prc\r\nb.prc\r\n", {"a.prc", "b.prc"}));
    ASSERT_TRUE(world.UseStandin() && world.WriteUsers("Bob\nAlice\n"));
    std::unique_ptr<ScopedVariable> root;
    if (row.type == REG_EXPAND_SZ) {
        root.reset(new ScopedVariable("MIRABO_E2E_WORLD", world.Root()));
        ASSERT_TRUE(SetDesktopPath(L"%MIRABO_E2E_WORLD%\\" + PalmFolderName(), REG_EXPAND_SZ));
    } else {
        ASSERT_TRUE(SetDesktopPath(world.PalmDirW()));
    }

    Process setup;
    Page mode = StartAtMode(world, setup);
    ASSERT_TRUE(mode.hwnd);
    EXPECT_EQ(TextA(Control(mode.hwnd, IDC_TEXT)), std::string(kInstallNotes));
    Page users = AcceptMode(setup, mode, false);
    ASSERT_TRUE(users.hwnd);
    RemoteListView list(Control(users.hwnd, IDC_USERLIST));
    EXPECT_EQ(list.Rows(), (std::vector<std::string>{"Alice", "Bob"}));
    Screenshot(users.hwnd, "users");
    EXPECT_TRUE(ConfirmUsers(setup, users.hwnd).hwnd);
    // The paths handed over are the short ones, which the library can open.
    CheckQueuedForAlice(world, {"a.prc", "b.prc"});
}

E2E_ROWS(Thai, ForeignFolder, kForeignRows);
E2E_ROWS(English, ForeignFolder, kForeignRows);
