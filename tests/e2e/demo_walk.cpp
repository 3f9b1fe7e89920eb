// The demo's walk through the wizard when no display is there to click on:
// every page is accepted as a user would, with a screenshot of each.
//   demo-walk.exe --setup <demo setup.exe> --standin <demo Palm Desktop folder> --screens <dir>
#include "tests/e2e/harness.h"

#include "res/resource.h"

using namespace e2e;

E2E_TEST(demo)
{
    std::string setupExe = Cfg().setupExe;
    std::string folder = setupExe.substr(0, setupExe.find_last_of('\\'));
    // The runner clears Palm Desktop's key before a test: give it back.
    if (!CHECK(SetDesktopPath(Cfg().standinDir)))
        return;
    Process setup;
    if (!CHECK(setup.Start(setupExe, "\"" + setupExe + "\"", folder)))
        return;
    const struct {
        PageKind kind;
        const char* name;
        int button;
    } steps[] = {
        {PageKind::Disclaimer, "1-disclaimer", IDOK},
        {PageKind::Mode, "2-mode", IDOK},
        {PageKind::Users, "3-users", IDOK},
        {PageKind::Finish, "4-finish", IDCANCEL},
    };
    HWND previous = nullptr;
    for (const auto& step : steps) {
        Page page = WaitFor(setup, step.kind, 10000, previous);
        if (!page.hwnd)
            return;
        Settle(page.hwnd, 300);
        Screenshot(page.hwnd, JoinPath(Cfg().screensDir, std::string(step.name) + ".bmp"));
        std::printf("  %s page shown\n", KindName(step.kind));
        ClickItem(page.hwnd, step.button);
        previous = page.hwnd;
    }
    CHECK(setup.WaitExit(10000));
}
