// The demo's walk through the wizard when no display is there to click on:
// every page is accepted as a user would, with a screenshot of each.
//   demo-walk.exe --setup <setup.exe> --standin <Palm Desktop folder> --screens <dir> --work <dir>
//                 [--update] [--shots <prefix>] [--at-150]
// --update chooses Update on the mode page before its screenshot; --shots
// puts a prefix before each screenshot's name; --at-150 walks once more to
// the user page at 150 % display scale and leaves it with Cancel.
#include "tests/e2e/harness.h"

#include "res/resource.h"

#include <cstdio>
#include <cstring>

using namespace e2e;

namespace {

struct Step {
    PageKind kind;
    const char* name;   // of its screenshot; none when null
    int choose;         // a radio button chosen before the screenshot, or 0
    int button;
};

std::string g_shots;   // the screenshots' prefix

bool Choose(HWND page, int id)
{
    if (!ClickItem(page, id))
        return false;
    if (WaitUntil([&] { return IsChecked(Control(page, id)); }, 2000))
        return true;
    Fail("a click did not choose button " + std::to_string(id));
    return false;
}

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
        if (step.choose && !Choose(page.hwnd, step.choose))
            return false;
        if (step.name &&
            !Screenshot(page.hwnd, JoinPath(Cfg().screensDir, g_shots + std::string(step.name) + ".bmp")))
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
    bool update = false, at150 = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--update") == 0) {
            update = true;
        } else if (std::strcmp(argv[i], "--at-150") == 0) {
            at150 = true;
        } else if (std::strcmp(argv[i], "--shots") == 0 && i + 1 < argc) {
            g_shots = argv[++i];
        } else {
            std::fprintf(stderr, "demo-walk: unknown argument '%s'\n", argv[i]);
            return 2;
        }
    }
    BeginCase("demo");
    const Step walk[] = {
        {PageKind::Disclaimer, "1-disclaimer", 0, IDOK},
        {PageKind::Mode, "2-mode", update ? IDC_UPDATE : 0, IDOK},
        {PageKind::Users, "3-users", 0, IDOK},
        {PageKind::Finish, "4-finish", 0, IDCANCEL},
    };
    bool ok = Walk(walk, 4);
    if (ok && at150) {
        std::printf("the user page again at 150 %% display scale, left with Cancel\n");
        SystemDpi scale(144);
        const Step walk150[] = {
            {PageKind::Disclaimer, nullptr, 0, IDOK},
            {PageKind::Mode, nullptr, 0, IDOK},
            {PageKind::Users, "5-users-150", 0, IDCANCEL},
        };
        ok = scale.Ok() && Walk(walk150, 3);
    }
    EndCase();
    return ok && FailureCount() == 0 ? 0 : 1;
}
