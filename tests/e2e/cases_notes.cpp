// The release notes on the mode page, in both locales: they are the maker's
// Thai text in code page 874, and the box shows them as that text whatever
// the system's ANSI code page, for both choices, cut at the first zero byte.
// Paths stay the system's 8-bit text: the file-error box names them as before
// and the box keeps what it showed.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

#include <memory>

using namespace e2e;

namespace {

const std::size_t kNotesLimit = 1 << 20;

// Code page 874 as published, written out here so that the expected text does
// not come from the converter the program uses. Bytes it leaves undefined are
// not used by the cases.
std::wstring Thai874(const std::string& bytes)
{
    static const wchar_t kPunctuation[] = {0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014};
    std::wstring text;
    for (unsigned char b : bytes) {
        if (b == 0)
            break;
        if (b < 0x80)
            text += static_cast<wchar_t>(b);
        else if (b == 0x80)
            text += static_cast<wchar_t>(0x20AC);
        else if (b == 0x85)
            text += static_cast<wchar_t>(0x2026);
        else if (b >= 0x91 && b <= 0x97)
            text += kPunctuation[b - 0x91];
        else if (b == 0xA0)
            text += static_cast<wchar_t>(0x00A0);
        else if ((b >= 0xA1 && b <= 0xDA) || (b >= 0xDF && b <= 0xFB))
            text += static_cast<wchar_t>(0x0E00 + b - 0xA0);
        else
            ADD_FAILURE() << "byte " << int(b) << " is not defined in code page 874";
    }
    return text;
}

// Every character code page 874 defines above ASCII, 16 to a line. Each line
// starts with "ก": Wine 8's 64-bit text shaping reads before the first glyph
// of a line that starts with a combining mark and crashes the program (its
// 32-bit build, like Windows, draws such a line).
std::string AllThaiBytes()
{
    std::string bytes = "\x80\x85";
    for (int b = 0x91; b <= 0x97; ++b)
        bytes += static_cast<char>(b);
    for (int b = 0xA0; b <= 0xFB; ++b)
        if (b < 0xDB || b > 0xDE)
            bytes += static_cast<char>(b);
    std::string lines;
    for (std::size_t i = 0; i < bytes.size(); i += 16)
        lines += "\xA1" + bytes.substr(i, 16) + "\r\n";
    return lines;
}

// "ภาษาไทย" / "การติดตั้ง" / "รุ่น"
const char kThaiWord[] = "\xC0\xD2\xC9\xD2\xE4\xB7\xC2";
const wchar_t kThaiWordW[] = L"\u0E20\u0E32\u0E29\u0E32\u0E44\u0E17\u0E22";
const char kInstallingWord[] = "\xA1\xD2\xC3\xB5\xD4\xB4\xB5\xD1\xE9\xA7";
const wchar_t kInstallingWordW[] = L"\u0E01\u0E32\u0E23\u0E15\u0E34\u0E14\u0E15\u0E31\u0E49\u0E07";
const char kReleaseWord[] = "\xC3\xD8\xE8\xB9";
const wchar_t kReleaseWordW[] = L"\u0E23\u0E38\u0E48\u0E19";

// Writes `bytes` to the button's notes file and clicks the button; true once
// the box shows `shown`. The other button is clicked first with a marker in
// its file, so that the box changes even when it already showed `shown`.
bool ShowNotes(World& world, HWND mode, int button, const std::string& bytes, const std::wstring& shown)
{
    static int markers = 0;
    bool install = button == IDC_INSTALL;
    std::string marker = "marker " + std::to_string(++markers);
    HWND notes = Control(mode, IDC_TEXT);
    EXPECT_TRUE(world.PutInstallerFile(install ? "update.tms" : "install.tms", marker));
    ClickItem(mode, install ? IDC_UPDATE : IDC_INSTALL);
    EXPECT_TRUE(WaitUntil([&] { return TextW(notes) == Widen(marker); }, 3000));
    EXPECT_TRUE(world.PutInstallerFile(install ? "install.tms" : "update.tms", bytes));
    ClickItem(mode, button);
    bool shows = WaitUntil([&] { return TextW(notes) == shown; }, 3000);
    EXPECT_EQ(TextW(notes), shown);
    EXPECT_TRUE(IsChecked(Control(mode, button)));
    return shows;
}

void CheckNotesDecoded()
{
    const struct {
        const char* name;
        std::string bytes;
        std::wstring shown;
        int lines;
    } rows[] = {
        {"thai lines", std::string(kThaiWord) + "\r\nline 2\r\n" + kInstallingWord,
         std::wstring(kThaiWordW) + L"\r\nline 2\r\n" + kInstallingWordW, 3},
        {"every thai character", AllThaiBytes(), Thai874(AllThaiBytes()), 8},
        {"zero byte", std::string(kReleaseWord) + " 1.1" + std::string("\0after\r\n", 8) + kThaiWord,
         std::wstring(kReleaseWordW) + L" 1.1", 1},
        {"zero byte first", std::string("\0", 1) + kThaiWord, L"", 1},
        {"empty", "", L"", 1},
    };
    World world;
    Process setup;
    ASSERT_TRUE(world.Ok() && world.PutInstallerFile("install.tms", kThaiWord) &&
                world.PutInstallerFile("update.tms", "") && world.StandardPalm("Alice\n"));
    Page mode = StartAtMode(world, setup);
    ASSERT_TRUE(mode.hwnd);
    HWND notes = Control(mode.hwnd, IDC_TEXT);
    // The file the page opens with goes the same way.
    EXPECT_EQ(TextW(notes), std::wstring(kThaiWordW));
    for (const auto& row : rows) {
        for (int button : {IDC_INSTALL, IDC_UPDATE}) {
            SCOPED_TRACE(std::string(row.name) + (button == IDC_INSTALL ? ", Install" : ", Update"));
            if (ShowNotes(world, mode.hwnd, button, row.bytes, row.shown)) {
                EXPECT_EQ(LineCount(notes), row.lines);
            }
        }
        if (row.lines == 8)
            Screenshot(mode.hwnd, "thai-notes-cp" + std::to_string(GetACP()));
    }
    EXPECT_EQ(CurrentDialog(setup.Pid()), mode.hwnd);
}

// Notes of exactly the size limit: lines of Thai, then 'x's.
std::string NotesOfTheLimit()
{
    std::string line = std::string(kInstallingWord) + "\r\n";
    std::string full;
    while (full.size() + line.size() <= kNotesLimit)
        full += line;
    full.append(kNotesLimit - full.size(), 'x');
    return full;
}

// A click on a button whose notes file is left in `state` with `bytes`:
// the box shows them, or the file-error box quotes the system's `error`.
struct NotesStep {
    int button;
    FileState state;
    std::string bytes;
    DWORD error;   // 0: shown
};

// An installer folder named in the system's code page whose install notes
// are a folder: the mode page opens over the file-error box, empty, then
// shows the Thai update notes. Then every kind of notes file that cannot be
// shown, for both buttons: each gives the file-error box naming the path in
// the system's code page with the system's reason (only a file that is not
// there points at the package's folder), the choice is taken and the box
// keeps the Thai text it showed. A file another program only reads, and
// notes of exactly the size limit, are shown. The world's name is the
// locale's too: the harness clears a world through the code page it runs
// in, which cannot name the other locale's folder.
void CheckNotesErrors(const std::string& worldName, const std::string& folder)
{
    const std::string full = NotesOfTheLimit();
    ASSERT_EQ(full.size(), kNotesLimit);
    const NotesStep steps[] = {
        {IDC_INSTALL, FileState::Missing, "", ERROR_FILE_NOT_FOUND},
        {IDC_INSTALL, FileState::Good, kInstallingWord, 0},
        {IDC_UPDATE, FileState::Missing, "", ERROR_FILE_NOT_FOUND},
        {IDC_UPDATE, FileState::Good, kReleaseWord, 0},
        {IDC_INSTALL, FileState::Held, kThaiWord, ERROR_SHARING_VIOLATION},
        {IDC_UPDATE, FileState::Held, kThaiWord, ERROR_SHARING_VIOLATION},
        {IDC_INSTALL, FileState::Good, kThaiWord, 0},
        {IDC_UPDATE, FileState::Folder, "", ERROR_ACCESS_DENIED},
        {IDC_INSTALL, FileState::Folder, "", ERROR_ACCESS_DENIED},
        {IDC_UPDATE, FileState::Written, kThaiWord, ERROR_SHARING_VIOLATION},
        {IDC_INSTALL, FileState::Written, kThaiWord, ERROR_SHARING_VIOLATION},
        {IDC_UPDATE, FileState::Read, kReleaseWord, 0},
        {IDC_INSTALL, FileState::Read, kInstallingWord, 0},
        {IDC_UPDATE, FileState::Good, full + "x", ERROR_FILE_TOO_LARGE},
        {IDC_UPDATE, FileState::Good, full, 0},
    };
    World world(worldName, folder);
    Process setup;
    ASSERT_TRUE(world.Ok() && world.PutInstallerFile("update.tms", kThaiWord) && world.StandardPalm("Alice\n"));
    ASSERT_TRUE(MakeDirs(world.InstallerPath("install.tms")));
    ASSERT_TRUE(setup.Start(world));
    Page disclaimer = WaitFor(setup, PageKind::Disclaimer);
    ASSERT_TRUE(disclaimer.hwnd);
    ClickItem(disclaimer.hwnd, IDOK);
    MessageBoxInfo box = ExpectFileError(setup, nullptr, world.InstallerPath("install.tms"));
    EXPECT_NE(box.text.find(SystemText(ERROR_ACCESS_DENIED)), std::wstring::npos) << Utf8(box.text);
    EXPECT_EQ(Classify(box.owner), PageKind::Mode);
    Page mode = WaitFor(setup, PageKind::Mode, 5000);
    ASSERT_TRUE(mode.hwnd);
    HWND notes = Control(mode.hwnd, IDC_TEXT);
    EXPECT_EQ(TextW(notes), std::wstring());
    EXPECT_TRUE(IsChecked(Control(mode.hwnd, IDC_INSTALL)));
    ClickItem(mode.hwnd, IDC_UPDATE);
    EXPECT_TRUE(WaitUntil([&] { return TextW(notes) == kThaiWordW; }, 3000));

    // A picture of the first file-error box over the page, per locale.
    std::string shot = "notes-error-cp" + std::to_string(GetACP());
    for (const NotesStep& step : steps) {
        const char* file = step.button == IDC_INSTALL ? "install.tms" : "update.tms";
        SCOPED_TRACE(std::string(file) + " " + StateName(step.state) + ", " + std::to_string(step.bytes.size()) +
                     " bytes");
        std::unique_ptr<HeldFile> held = MakeFile(world, file, step.state, step.bytes);
        std::wstring before = TextW(notes);
        ClickItem(mode.hwnd, step.button);
        if (step.error) {
            box = ExpectFileError(setup, mode.hwnd, world.InstallerPath(file), shot.empty() ? nullptr : shot.c_str());
            shot.clear();
            EXPECT_NE(box.text.find(SystemText(step.error)), std::wstring::npos) << Utf8(box.text);
            EXPECT_EQ(HasNotFoundHint(box), step.state == FileState::Missing);
            EXPECT_EQ(TextW(notes), before);
        } else {
            std::wstring shown = Thai874(step.bytes);
            EXPECT_TRUE(WaitUntil([&] { return TextW(notes) == shown; }, 10000, 100)) << "not shown whole";
            EXPECT_EQ(CurrentDialog(setup.Pid()), mode.hwnd);
        }
        EXPECT_TRUE(IsChecked(Control(mode.hwnd, step.button)));
    }

    // Still a working page.
    ClickItem(mode.hwnd, IDOK);
    WaitFor(setup, PageKind::Users, 10000, mode.hwnd);
}

}  // namespace

TEST_F(Thai, notes_are_decoded_from_the_thai_code_page)
{
    CheckNotesDecoded();
}

TEST_F(English, notes_are_decoded_from_the_thai_code_page)
{
    CheckNotesDecoded();
}

TEST_F(Thai, notes_errors_keep_the_box_and_name_the_path)
{
    CheckNotesErrors("notes_errors_thai", "\xB5\xD4\xB4\xB5\xD1\xE9\xA7 installer");   // "ติดตั้ง"
}

TEST_F(English, notes_errors_keep_the_box_and_name_the_path)
{
    CheckNotesErrors("notes_errors_english", "Mirabo B\xFCro");   // "Büro" in code page 1252
}
