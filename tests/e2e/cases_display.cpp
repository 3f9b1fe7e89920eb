// The pages at the display scales of today's Windows (100, 125, 150 and
// 200 %, and the odd ones), with the system's themed controls: on every page
// the banner spans the page's frame at 10:1 without covering a control, the
// page lies whole on the screen, and the walk still queues the files.
//
// Wine takes the system DPI from HKCU\Control Panel\Desktop\LogPixels as
// each process starts; the theme and the dialog font's face likewise.
#include "tests/e2e/e2e_test.h"

#include "res/resource.h"

#include <psapi.h>

#include <cstdlib>
#include <memory>

using namespace e2e;

namespace {

// Windows Classic: no visual styles for the processes started meanwhile.
class NoTheme : public RegistryValue {
public:
    NoTheme()
        : RegistryValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", "ThemeActive",
                        REG_SZ, "0", 2) {}
};

// The pages' font drawn with another face, as in a locale whose dialog font
// is wider.
class DialogFace : public RegistryValue {
public:
    explicit DialogFace(const char* face)
        : RegistryValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
                        "MS Sans Serif", REG_SZ, face, static_cast<DWORD>(strlen(face) + 1)) {}
};

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// What a page shows, in the page's client coordinates.
struct Layout {
    RECT banner = {}, frame = {};
    std::vector<RECT> controls;   // every other control
};

Layout ReadLayout(HWND page)
{
    Layout layout;
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
        std::wstring name = ClassName(child);
        LONG style = Style(child);
        if (_wcsicmp(name.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP)
            layout.banner = rect;
        else if (_wcsicmp(name.c_str(), L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX)
            layout.frame = rect;
        else
            layout.controls.push_back(rect);
    }
    return layout;
}

COLORREF ScreenColour(HWND page, POINT at)
{
    ClientToScreen(page, &at);
    HDC screen = GetDC(nullptr);
    COLORREF got = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return got;
}

bool Near(COLORREF got, COLORREF want)
{
    return std::abs(GetRValue(got) - GetRValue(want)) <= 16 && std::abs(GetGValue(got) - GetGValue(want)) <= 16 &&
           std::abs(GetBValue(got) - GetBValue(want)) <= 16;
}

// Waits for the page to show about `want` at a point: it paints after it
// appears.
void ExpectColour(HWND page, POINT at, COLORREF want)
{
    COLORREF got = 0;
    EXPECT_TRUE(WaitUntil([&] { return Near(got = ScreenColour(page, at), want); }, 2000))
        << "at " << at.x << "," << at.y << ": " << std::hex << got << " for " << want;
}

// The banner spans the frame, keeps 10:1, shows its picture and covers no
// control; the page lies whole on the screen.
void CheckPage(HWND page, const std::string& name, bool spans)
{
    SCOPED_TRACE(name);
    RECT window, client, screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(page, &window);
    GetClientRect(page, &client);
    EXPECT_TRUE(window.left >= screen.left && window.top >= screen.top && window.right <= screen.right &&
                window.bottom <= screen.bottom)
        << "page " << Describe(window) << ", screen " << Describe(screen);
    Layout layout = ReadLayout(page);
    int width = layout.banner.right - layout.banner.left, height = layout.banner.bottom - layout.banner.top;
    int frame = layout.frame.right - layout.frame.left;
    ASSERT_GT(height, 0);
    ASSERT_GT(frame, 0);
    if (spans) {
        EXPECT_LE(std::abs(width - frame) * 50, frame) << "banner " << width << " px, frame " << frame << " px";
    }
    // 10:1, its height rounded to the pixel.
    EXPECT_LE(std::abs(width - 10 * height), 5) << width << "x" << height;
    EXPECT_TRUE(layout.banner.left >= 0 && layout.banner.top >= 0 && layout.banner.right <= client.right)
        << "banner " << Describe(layout.banner) << ", page " << Describe(client);
    // The art's gradient: navy at its left end, blue at its right.
    ExpectColour(page, {layout.banner.left + 3, layout.banner.top + 3}, RGB(16, 42, 84));
    ExpectColour(page, {layout.banner.right - 4, layout.banner.top + 3}, RGB(46, 110, 170));
    for (const RECT& control : layout.controls)
        EXPECT_LE(layout.banner.bottom, control.top) << "banner " << Describe(layout.banner) << " over " << Describe(control);
    ::testing::Test::RecordProperty(name, std::to_string(width) + "x" + std::to_string(height) + " frame " + std::to_string(frame));
}


// One walk through the four pages at the system DPI the case has set: each
// page checked, the package queued. `scale` and the locale name the
// screenshots.
void Walk(const std::string& scale, bool spans = true)
{
    std::string tag = (GetACP() == kThaiCodePage ? "th-" : "en-") + scale;
    World world(CurrentCaseName() + "-" + tag);
    ASSERT_TRUE(PutPackage(world) && world.StandardPalm("Alice\n"));
    Process setup;
    ASSERT_TRUE(setup.Start(world));
    const struct {
        PageKind kind;
        const char* name;
        int button;
    } steps[] = {
        {PageKind::Disclaimer, "disclaimer", IDOK},
        {PageKind::Mode, "mode", IDOK},
        {PageKind::Users, "users", IDOK},
        {PageKind::Finish, "finish", IDCANCEL},
    };
    HWND previous = nullptr;
    for (const auto& step : steps) {
        Page page = WaitFor(setup, step.kind, 10000, previous);
        if (!page.hwnd)
            return;
        CheckPage(page.hwnd, tag + "-" + step.name, spans);
        // One picture a walk, of the page with the most controls: large
        // screenshots make the end of the suite slow.
        if (step.kind == PageKind::Users)
            Screenshot(page.hwnd, tag);
        ClickItem(page.hwnd, step.button);
        previous = page.hwnd;
    }
    EXPECT_TRUE(EndsWithoutPage(setup, 5000, previous));
    EXPECT_EQ(world.Queued("Alice"), std::vector<std::string>{"pkg.prc"});
}

struct ScaleRow {
    const char* name;
    DWORD dpi;
    bool classic;   // Windows Classic, no visual styles
    bool spans;     // the banner art is made that wide
};

const ScaleRow kScaleRows[] = {
    {"96dpi", 96, false, true},
    {"120dpi", 120, false, true},
    {"144dpi", 144, false, true},
    {"192dpi", 192, false, true},
};

// 175 % with Windows Classic, and 250 %, beyond the widest banner art: the
// art is not enlarged, so there the banner need not span the frame, but the
// page stays whole and the banner keeps its shape and its place.
const ScaleRow kOddScaleRows[] = {
    {"168dpi_classic", 168, true, true},
    {"240dpi", 240, false, false},
};

using Scale = Rows<ScaleRow>;
using OddScale = Rows<ScaleRow>;

void WalkAt(const ScaleRow& row)
{
    SystemDpi scale(row.dpi);
    ASSERT_TRUE(scale.Ok());
    std::unique_ptr<NoTheme> classic(row.classic ? new NoTheme : nullptr);
    ASSERT_TRUE(!classic || classic->Ok());
    Walk(std::to_string(row.dpi) + "dpi" + (row.classic ? "-classic" : ""), row.spans);
}

}  // namespace

TEST_P(Scale, pages_fit_every_display_scale)
{
    WalkAt(GetParam());
}

E2E_ROWS(Thai, Scale, kScaleRows);
E2E_ROWS(English, Scale, kScaleRows);

TEST_P(OddScale, pages_stay_whole_at_odd_scales_and_without_themes)
{
    WalkAt(GetParam());
}

E2E_ROWS(Thai, OddScale, kOddScaleRows);

// A dialog font whose characters are wider than the template was made for:
// the banner keeps 10:1 and stops above the notice line.
TEST_F(English, wide_dialog_font_keeps_the_notice_line_free)
{
    SystemDpi scale(144);
    DialogFace wide("DejaVu Sans Mono");
    ASSERT_TRUE(scale.Ok() && wide.Ok());
    Walk("144dpi-wide", false);
}

// Exactly one comctl32 in the process, from the first page on: the Common
// Controls 6 of the system's side-by-side store (C:\windows\winsxs\...).
TEST_F(Thai, themed_common_controls_come_from_the_side_by_side_store)
{
    World world;
    ASSERT_TRUE(LayOut(world));
    Process setup;
    Page page = StartAtDisclaimer(world, setup);
    if (!page.hwnd)
        return;
    char windows[MAX_PATH];
    ASSERT_TRUE(GetWindowsDirectoryA(windows, MAX_PATH) > 0);
    std::string store = std::string(windows) + "\\winsxs\\" + kControlsAssembly;
    for (PageKind kind : {PageKind::Disclaimer, PageKind::Mode, PageKind::Users}) {
        if (kind != PageKind::Disclaimer) {
            HWND last = page.hwnd;
            ClickItem(last, IDOK);
            page = WaitFor(setup, kind, 10000, last);
            if (!page.hwnd)
                return;
        }
        std::vector<std::string> loaded = ModulesNamed(setup.Pid(), "comctl32.dll");
        ASSERT_EQ(loaded.size(), 1u) << KindName(kind);
        EXPECT_EQ(_strnicmp(loaded[0].c_str(), store.c_str(), store.size()), 0) << loaded[0];
        RecordProperty(KindName(kind), loaded[0]);
    }
    setup.Kill();
}
