// The demo's walk through the wizard when no display is there to click on:
// every page is accepted as a user would, with a screenshot of each; then the
// user page once more at 150 % display scale, left with Cancel.
//   demo-walk.exe --setup <demo setup.exe> --standin <demo Palm Desktop folder> --screens <dir> --work <dir>
#include "tests/e2e/harness.h"

#include "res/resource.h"

#include <cstdio>

using namespace e2e;

namespace {

struct Step {
    PageKind kind;
    const char* name;   // of its screenshot; none when null
    int button;
};

bool Walk(const Step* steps, std::size_t count)
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
    HWND previous = nullptr;
    for (std::size_t i = 0; i < count; ++i) {
        const Step& step = steps[i];
        Page page = WaitFor(setup, step.kind, 10000, previous);
        if (!page.hwnd)
            return false;
        if (step.name && !Screenshot(page.hwnd, JoinPath(Cfg().screensDir, std::string(step.name) + ".bmp")))
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
    const Step walk[] = {
        {PageKind::Disclaimer, "1-disclaimer", IDOK},
        {PageKind::Mode, "2-mode", IDOK},
        {PageKind::Users, "3-users", IDOK},
        {PageKind::Finish, "4-finish", IDCANCEL},
    };
    bool ok = Walk(walk, 4);
    if (ok) {
        std::printf("the user page again at 150 %% display scale, left with Cancel\n");
        SystemDpi scale(144);
        const Step at150[] = {
            {PageKind::Disclaimer, nullptr, IDOK},
            {PageKind::Mode, nullptr, IDOK},
            {PageKind::Users, "5-users-150", IDCANCEL},
        };
        ok = scale.Ok() && Walk(at150, 3);
    }
    EndCase();
    return ok && FailureCount() == 0 ? 0 : 1;
}
