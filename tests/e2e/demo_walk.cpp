// The demo's walk through the wizard when no display is there to click on:
// every page is accepted as a user would, with a screenshot of each.
//   demo-walk.exe --setup <demo setup.exe> --standin <demo Palm Desktop folder> --screens <dir> --work <dir>
#include "tests/e2e/harness.h"

#include "res/resource.h"

#include <cstdio>

using namespace e2e;

namespace {

bool Walk()
{
    std::string setupExe = Cfg().setupExe;
    std::string folder = setupExe.substr(0, setupExe.find_last_of('\\'));
    // BeginCase clears Palm Desktop's key: give it back.
    if (!SetDesktopPath(Cfg().standinDir)) {
        Fail("cannot set DesktopPath");
        return false;
    }
    Process setup;
    if (!setup.Start(setupExe, "\"" + setupExe + "\"", folder))
        return false;
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
        if (!page.hwnd || !Screenshot(page.hwnd, JoinPath(Cfg().screensDir, std::string(step.name) + ".bmp")))
            return false;
        std::printf("  %s page shown\n", KindName(step.kind));
        std::fflush(stdout);
        if (!ClickItem(page.hwnd, step.button))
            return false;
        previous = page.hwnd;
    }
    return setup.WaitExit(10000);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!ParseArgs(&argc, argv))
        return 2;
    BeginCase("demo");
    bool ok = Walk();
    EndCase();
    return ok && FailureCount() == 0 ? 0 : 1;
}
