// End-to-end driver for setup.exe: lays out a test world, runs the real
// program under Wine, drives its pages with real input and reads what they
// show. Everything here talks to another process, so every message is sent
// with a timeout and every wait polls for something observable.
//
// The harness has no runner and no check macros of its own: the end-to-end
// cases are GoogleTest cases (tests/e2e/e2e_test.h, e2e_main.cpp), and this
// file and harness.cpp do not depend on GoogleTest. A program with its own
// main() (the demo walk, the benchmark) links harness.cpp alone, calls
// ParseArgs() for the paths and BeginCase()/EndCase() around each run, and
// reads FailureCount() (or installs its own SetFailureSink) to learn whether
// a helper failed; without a sink, failures are printed to stderr. It runs on
// the suite's display and prefix with tests/e2e/session.sh start <build>, then
// session.sh exec <build> wine <program.exe> ..., then session.sh stop <build>.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------- set-up

// The paths a program of the harness works with. ParseArgs takes them from
// --work, --screens, --setup and --standin (removing those from argv) and
// otherwise derives them from the program's own place, <build>\tests\e2e\.
struct Config {
    std::string workRoot;     // a folder per case is made below it
    std::string screensDir;   // Screenshot() writes BMP files here
    std::string setupExe;     // the setup.exe under test
    std::string standinDir;   // folder holding Instaide*.dll of the stand-in
};
const Config& Cfg();
// False (with a message printed) on a flag without its value.
bool ParseArgs(int* argc, char** argv);

// The ANSI code page the suite is written for: Thai; and the English one.
const UINT kThaiCodePage = 874;
const UINT kEnglishCodePage = 1252;

// The start of the side-by-side store's name for the Common Controls 6 of the
// architecture the cases run in (the harness is built for setup.exe's).
#ifdef _WIN64
#define E2E_SXS_ARCH "amd64"
#else
#define E2E_SXS_ARCH "x86"
#endif
const char kControlsAssembly[] = E2E_SXS_ARCH "_microsoft.windows.common-controls_6595b64144ccf1df_6.";

// Every helper reports what went wrong through Fail(). The sink decides what
// that means: the GoogleTest cases make each a test failure; by default the
// message goes to stderr. FailureCount() counts them either way.
typedef void (*FailureSink)(const std::string& message);
void SetFailureSink(FailureSink sink);
void Fail(const std::string& message);
std::size_t FailureCount();

// A case's bounds: BeginCase names it (worlds and screenshots take the name),
// clears Palm Desktop's registry key and ends any setup.exe an earlier,
// killed run of the harness left behind; EndCase kills the setup.exe
// processes the case left running and says how many there were.
void BeginCase(const std::string& name);
int EndCase();
const std::string& CurrentCaseName();

// The limit of a wait of ms milliseconds on this machine: ms times
// E2E_WAIT_SCALE (a whole number, 1 when unset), which a run on a slower,
// emulated machine sets. Every limit of the harness goes through here; only
// the limit grows, a wait still ends as soon as its event is seen.
DWORD WaitLimit(DWORD ms);

// Polls cond every stepMs until it holds or timeoutMs (scaled) passes.
template <class F>
bool WaitUntil(F cond, DWORD timeoutMs, DWORD stepMs = 20)
{
    const DWORD limit = WaitLimit(timeoutMs);
    DWORD start = GetTickCount();
    for (;;) {
        if (cond())
            return true;
        if (GetTickCount() - start >= limit)
            return cond();
        Sleep(stepMs);
    }
}

// ---------------------------------------------------------------- text

std::wstring Widen(const std::string& s, UINT codePage = CP_ACP);
std::string Narrow(const std::wstring& s, UINT codePage = CP_ACP);
std::string Utf8(const std::wstring& s);
std::wstring FromUtf8(const std::string& s);

// ---------------------------------------------------------------- files

bool WriteBytes(const std::string& path, const std::string& bytes);
bool ReadBytes(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
bool MakeDirs(const std::string& path);
bool MakeDirs(const std::wstring& path);
// Works through Unicode names, so it removes what the code page cannot name.
bool RemoveTree(const std::string& path);
// An existing path as the harness's 8-bit helpers can name it: its own name
// where the ANSI code page spells it, else its short (8.3) name; "" (and a
// failure) when neither is spelled.
std::string AnsiPath(const std::wstring& path);
std::vector<std::string> ListDir(const std::string& dir);   // sorted names, no . and ..
// Full paths of the modules named `name` ("comctl32.dll") in a process.
std::vector<std::string> ModulesNamed(DWORD pid, const char* name);
std::string JoinPath(const std::string& dir, const std::string& name);
std::string Quoted(const std::string& text);   // in double quotes, as a command line or a box names a path
// Copies <standin>\<name>, a stand-in library or program, to `to`.
bool CopyStandin(const std::string& name, const std::string& to);

// A fresh world below Cfg().workRoot\<name>: an installer folder holding a
// copy of setup.exe, and an empty Palm Desktop folder. Nothing is put in the
// registry and no library is copied until the test asks. The two folders'
// names (8-bit, may nest with '\\') can be chosen, for long or Thai paths.
// Named in Unicode, they may have letters the code page lacks: the 8-bit
// paths below then name them by their short names, and the ...W ones by
// their own; setup.exe is started by its own name.
class World {
public:
    explicit World(const std::string& name = CurrentCaseName(),
                   const std::string& installerName = "installer",
                   const std::string& palmName = "Palm");
    World(const std::string& name, const std::wstring& installerName, const std::wstring& palmName);

    const std::string& Root() const { return m_root; }
    const std::string& InstallerDir() const { return m_installer; }
    const std::string& PalmDir() const { return m_palm; }
    std::string SetupPath() const { return JoinPath(m_installer, "setup.exe"); }
    std::string InstallerPath(const std::string& name) const { return JoinPath(m_installer, name); }
    const std::wstring& InstallerDirW() const { return m_installerW; }
    const std::wstring& PalmDirW() const { return m_palmW; }
    std::wstring SetupPathW() const { return m_installerW + L"\\setup.exe"; }
    bool Ok() const { return m_ok; }

    bool PutInstallerFile(const std::string& name, const std::string& bytes);
    bool PutPalmFile(const std::string& name, const std::string& bytes);
    // Copies <standin>\<variant> to <palm>\Instaide.dll.
    bool UseStandin(const std::string& variant = "Instaide.dll");
    bool WriteUsers(const std::string& bytes);
    // The stand-in, users.txt, and DesktopPath naming the Palm folder.
    bool StandardPalm(const std::string& users);

    std::string CallsLog() const;                    // raw bytes, "" when absent
    std::vector<std::string> CallLines() const;      // calls.log split at LF
    std::string QueueDir(const std::string& user) const;
    std::vector<std::string> Queued(const std::string& user) const;
    std::vector<std::string> AllQueued() const;      // every user's queue, as "user\\file"
    std::string ReadPalmFile(const std::string& name) const;

private:
    void Make();

    std::string m_root, m_installer, m_palm;
    std::wstring m_installerW, m_palmW;
    bool m_ok = false;
};

// What most cases lay out, so that no page on the way stops at a missing
// file: release notes for both modes, as kInstallNotes and kUpdateNotes.
const char kInstallNotes[] = "Install notes\r\n";
const char kUpdateNotes[] = "Update notes\r\n";
bool PutNotes(World& world);
// The notes, and an install list naming one file, there with the bytes "PRC".
bool PutPackage(World& world, const std::string& file = "pkg.prc");
// The notes and a Palm Desktop with these users (World::StandardPalm); no package.
bool LayOut(World& world, const std::string& users = "Alice\n");

// A file held open as another program would hold it: by default for reading
// with no sharing, so that no other process can open it until Release or the
// end of the scope.
class HeldFile {
public:
    explicit HeldFile(const std::string& path, DWORD access = GENERIC_READ, DWORD share = 0);
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Ok() const { return m_file != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE m_file;
};

// ---------------------------------------------------------------- registry

extern const char kDesktopKey[];     // Software\U.S. Robotics\Pilot Desktop\Core
// Removes HKCU\Software\U.S. Robotics altogether (done before every test).
bool ResetDesktopKey();
bool DeleteDesktopKey();             // only ...\Core
bool DesktopKeyExists();
bool SetDesktopPath(const std::string& path);          // REG_SZ, terminator included
// A string value as Unicode, terminator included: REG_SZ or REG_EXPAND_SZ.
bool SetDesktopPath(const std::wstring& path, DWORD type = REG_SZ);
// RegSetValueExA: string types pass through the ANSI code page as a program's would.
bool SetDesktopValueAnsi(DWORD type, const std::string& bytes, const char* name = "DesktopPath");
// RegSetValueExW: the bytes are stored exactly as given, whatever the type.
bool SetDesktopValueRaw(DWORD type, const std::string& bytes, const char* name = "DesktopPath");
// n REG_SZ values "Aux0001".. made before DesktopPath, which also sort before it.
bool AddOtherValues(int n, const std::string& data = "x");
// Index at which RegEnumValueA yields the value of exactly that name (case
// included) under the Desktop key; -1 when it yields none.
int DesktopValueIndex(const std::string& name);

// A registry value set for the length of a scope, put back as it was (or
// removed again) however the scope ends.
class RegistryValue {
public:
    RegistryValue(HKEY root, const char* key, const char* name, DWORD type, const void* data, DWORD size);
    ~RegistryValue();
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;
    bool Ok() const { return m_ok; }

private:
    HKEY m_root;
    std::string m_key, m_name;
    bool m_had = false, m_ok = false;
    DWORD m_type = 0, m_oldSize = 0;
    BYTE m_old[256] = {};
};

// The system DPI (96 = 100 %, 144 = 150 %) of the processes started while it
// lasts: Wine reads HKCU\Control Panel\Desktop\LogPixels as each starts.
class SystemDpi : public RegistryValue {
public:
    explicit SystemDpi(DWORD dpi)
        : RegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi, sizeof dpi) {}
};

// ---------------------------------------------------------------- process

class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // CreateProcessA(exe, commandLine, ...) with the command line passed on
    // verbatim; env entries "NAME=VALUE" replace or add to the harness's own
    // Windows environment (Wine's locale variables are not among them).
    bool Start(const std::string& exe, const std::string& commandLine, const std::string& cwd,
               const std::vector<std::string>& env = {});
    // The same with CreateProcessW: a Unicode command line, as Explorer
    // passes it, naming what the ANSI code page cannot. CreateProcessA makes
    // its strings Unicode through the ANSI code page; the 8-bit Start does so here.
    bool Start(const std::wstring& exe, const std::wstring& commandLine, const std::wstring& cwd,
               const std::vector<std::string>& env = {});
    // setup.exe of the world by its own name, command line "\"<path>\"",
    // current directory the installer folder.
    bool Start(const World& world, const std::vector<std::string>& env = {});

    bool Running() const;
    // False (the process killed and a failure recorded) when it is still running.
    bool WaitExit(DWORD timeoutMs = 10000);
    // True when the process is still running after ms.
    bool StillRunningAfter(DWORD ms);
    DWORD ExitCode() const;
    DWORD Pid() const { return m_pid; }
    void Kill();

private:
    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
};

// ---------------------------------------------------------------- pages

enum class PageKind { None, Disclaimer, Mode, Users, Finish, MessageBox, Other };
const char* KindName(PageKind kind);

struct Page {
    HWND hwnd = nullptr;
    PageKind kind = PageKind::None;
};

PageKind Classify(HWND dialog);
// The dialog the user faces now: a visible, enabled top-level #32770 of the
// process, the last owned one when a page owns a message box.
HWND CurrentDialog(DWORD pid);
// Waits for a current dialog other than `notThis` (a page being left); None
// when the process ends or the time runs out.
Page WaitPage(const Process& process, DWORD timeoutMs = 10000, HWND notThis = nullptr);
// Waits for a current dialog of that kind; records a failure when none comes.
Page WaitFor(const Process& process, PageKind kind, DWORD timeoutMs = 10000, HWND notThis = nullptr);
// True when within ms the process shows no dialog other than `notThis` and ends.
bool EndsWithoutPage(Process& process, DWORD timeoutMs = 10000, HWND notThis = nullptr);
// Accepts the disclaimer page; the mode page that follows, or None.
Page AcceptDisclaimer(const Process& process);
// Accepts the disclaimer and confirms the mode page as it opens; the mode page
// just left (the users page is next), or null.
HWND PassFirstPages(const Process& process);
// setup.exe of the world started and its first page shown; None when either fails.
Page StartAtDisclaimer(const World& world, Process& setup);
// The same with the disclaimer accepted: the mode page, or None.
Page StartAtMode(const World& world, Process& setup);
// setup.exe of the world started in `cwd` (its installer folder when empty)
// and PassFirstPages: the mode page just left, or null. What comes next may
// be a message box over the users page.
HWND PassToUsers(const World& world, Process& setup, const std::string& cwd = std::string());
// The same, waiting for the users page: the page, or None.
Page StartAtUsers(const World& world, Process& setup, const std::string& cwd = std::string());
// OK on the users page; the finish page that follows, or None.
Page ConfirmUsers(const Process& setup, HWND users, DWORD timeoutMs = 10000);

HWND Control(HWND page, int id);
std::wstring TextW(HWND window);                          // WM_GETTEXT, UTF-16
std::string TextA(HWND window, UINT codePage = CP_ACP);   // the same text as 8-bit bytes
std::wstring ClassName(HWND window);
LONG Style(HWND window);
LONG ExStyle(HWND window);
bool IsEnabled(HWND window);
bool IsShown(HWND window);                                // WS_VISIBLE up the parent chain
bool IsChecked(HWND button);                              // BM_GETCHECK == BST_CHECKED
bool IsReadOnly(HWND edit);                               // ES_READONLY
HWND FocusOf(HWND page);                                  // focus of the page's thread

struct ScrollState {
    bool ok = false;
    bool derived = false;     // worked out from the edit's lines (see VScroll)
    int pos = 0, min = 0, max = 0, page = 0;
    bool AtTop() const { return ok && pos <= min; }
    bool AtBottom() const { return ok && pos + (page ? page : 1) > max; }
};
// GetScrollInfo(SB_VERT). Wine 8 refuses that for another process's window;
// for a multi-line edit the same figures then come from its lines:
// pos = first visible line, max = line count - 1, page = lines that fit.
ScrollState VScroll(HWND window);
int FirstVisibleLine(HWND edit);
int LineCount(HWND edit);

// ---------------------------------------------------------------- list view

// A report list view in the program's process, read through a buffer that
// lives in that process.
class RemoteListView {
public:
    explicit RemoteListView(HWND listView);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    bool Ok() const { return m_remote != nullptr; }
    HWND Hwnd() const { return m_hwnd; }
    int Count();
    std::string TextA(int row);            // LVM_GETITEMTEXTA: bytes as the program's code page has them
    std::wstring TextW(int row);           // LVM_GETITEMTEXTW
    std::vector<std::string> Rows();
    UINT State(int row, UINT mask);        // LVM_GETITEMSTATE
    bool Checked(int row);                 // state image 2
    std::vector<bool> CheckStates();
    bool Selected(int row) { return State(row, LVIS_SELECTED) != 0; }
    bool Focused(int row) { return State(row, LVIS_FOCUSED) != 0; }
    DWORD ExtendedStyle();
    int TopIndex();
    int CountPerPage();
    bool RowRect(int row, RECT* rect, int code = LVIR_BOUNDS);   // client coordinates
    bool HitTest(POINT client, LVHITTESTINFO* info);
    // Screen points for clicks.
    bool CheckBoxPoint(int row, POINT* screen);
    bool TextPoint(int row, POINT* screen);
    bool EmptyAreaPoint(POINT* screen);    // below the last row, hits nothing
    // LVM_GETCOLUMNA: false when there is no such column.
    bool Column(int column, std::string* heading, int* width = nullptr, int* format = nullptr);

private:
    bool Read(void* dst, std::size_t offset, std::size_t size);
    bool Write(std::size_t offset, const void* src, std::size_t size);
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd;
    HANDLE m_process = nullptr;
    char* m_remote = nullptr;   // address in the program's process
};

// ---------------------------------------------------------------- input

// No window manager runs on Xvfb: real input reaches a page only once it has
// been made the foreground window, so each of these does that first.
bool Foreground(HWND page);
bool MoveMouse(POINT screen);
bool Click(HWND page, POINT screen);      // left button at a screen point over the page
bool ClickControl(HWND control);          // centre of the control's window
bool ClickItem(HWND page, int id);
bool PressKey(HWND page, WORD vk);
bool PressKeys(HWND page, std::initializer_list<WORD> modifiers, WORD vk);   // {VK_CONTROL}, VK_END
bool TypeText(HWND page, const std::wstring& text);
// Lets the program take what was sent when there is nothing to watch for.
void Settle(HWND page, DWORD ms = 100);
// Where a page or control is now, in screen coordinates.
POINT Centre(HWND window);

// ---------------------------------------------------------------- message box

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;      // the static 0xFFFF
    HWND owner = nullptr;
};
MessageBoxInfo ReadMessageBox(HWND box);
// Waits for the process's message box; records a failure when none comes.
MessageBoxInfo WaitMessageBox(const Process& process, DWORD timeoutMs = 10000);
// Clicks the box's OK (or its only button) and waits for it to go.
bool PressMessageBoxOk(HWND box);
// Whether the box's icon is the system icon `icon` (the stop icon is
// MAKEINTRESOURCEW(32513), IDI_HAND): the icon control on screen is compared
// with the icon drawn here, since another process's icon handle cannot be read.
bool ShowsSystemIcon(HWND box, LPCWSTR icon);
const LPCWSTR kStopIcon = MAKEINTRESOURCEW(32513);   // IDI_HAND, whatever UNICODE says
// The system's text for a Windows error, without its line end, as a box
// quotes it; "System error <n>." where the system has none (Wine 8 lacks some).
std::wstring SystemText(DWORD error);

// ---------------------------------------------------------------- screenshot

// BitBlt of the window's rectangle from the screen, as a 24-bit BMP. A name
// without a folder goes to Cfg().screensDir as <test>-<name>.bmp.
bool Screenshot(HWND window, const std::string& name);

}  // namespace e2e
