// Timings of setup.exe under Wine, each against a baseline measured in the
// same run and prefix; medians of several runs, interleaved so that a busy
// moment of the machine hits both sides alike.
//   bench.exe --setup <setup.exe> --standin <stand-in dir> --baseline <baseline.exe>
#include "tests/e2e/harness.h"

#include "res/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace e2e;

namespace {

const int kRuns = 7;

double Now()
{
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::string Baseline()
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir = self;
    return JoinPath(dir.substr(0, dir.find_last_of('\\')), "baseline.exe");
}

// Milliseconds from CreateProcess to the first page on screen.
double StartToFirstPage(const std::string& exe, const std::string& cwd)
{
    Process p;
    double start = Now();
    if (!CHECK(p.Start(exe, "\"" + exe + "\"", cwd)))
        return 0;
    bool shown = WaitUntil([&] { return CurrentDialog(p.Pid()) != nullptr; }, 20000, 1);
    double ms = Now() - start;
    CHECK(shown);
    p.Kill();
    return ms;
}

bool Package(World& world, int files, const std::string& users)
{
    std::string list;
    for (int i = 0; i < files; ++i) {
        std::string name = "f" + std::to_string(i) + ".prc";
        if (!world.PutInstallerFile(name, "PRC"))
            return false;
        list += name + "\r\n";
    }
    return world.PutInstallerFile("install.tms", "notes\r\n") && world.PutInstallerFile("install.cfg", list) &&
           world.StandardPalm(users);
}

// Drives one run to the mode page's OK; then times `next` from the click.
struct Walk {
    World world;
    Process setup;
    Page page;
    explicit Walk(const std::string& name) : world(name) {}

    bool To(PageKind kind)
    {
        if (!setup.Running() && !CHECK(setup.Start(world)))
            return false;
        Page p = WaitFor(setup, PageKind::Disclaimer);
        for (PageKind next : {PageKind::Mode, PageKind::Users}) {
            if (!p.hwnd)
                return false;
            if (p.kind == kind)
                break;
            ClickItem(p.hwnd, IDOK);
            p = WaitFor(setup, next, 10000, p.hwnd);
        }
        page = p;
        return p.hwnd && p.kind == kind;
    }
};

// Milliseconds from the click on the mode page's OK to the user list filled.
double UsersShown(int users)
{
    Walk w("bench_users_" + std::to_string(users));
    std::string list = users == 1 ? "Alice\n" : "#many=" + std::to_string(users) + ",49\n";
    if (!CHECK(Package(w.world, 1, list)) || !CHECK(w.To(PageKind::Mode)))
        return 0;
    Foreground(w.page.hwnd);
    double start = Now();
    ClickItem(w.page.hwnd, IDOK);
    Page shown;
    bool filled = WaitUntil([&] {
        HWND d = CurrentDialog(w.setup.Pid());
        if (!d || Classify(d) != PageKind::Users)
            return false;
        RemoteListView list(Control(d, IDC_USERLIST));
        return list.Count() == users;
    }, 20000, 1);
    double ms = Now() - start;
    CHECK(filled);
    return ms;
}

// Milliseconds from the click on the users page's OK to the finish page,
// less the time spent inside the stand-in library.
double Confirmed(int files)
{
    Walk w("bench_confirm_" + std::to_string(files));
    if (!CHECK(Package(w.world, files, "Alice\n#nocopy\n")) || !CHECK(w.To(PageKind::Users)))
        return 0;
    Foreground(w.page.hwnd);
    double start = Now();
    ClickItem(w.page.hwnd, IDOK);
    bool finished = WaitUntil([&] {
        HWND d = CurrentDialog(w.setup.Pid());
        return d && Classify(d) == PageKind::Finish;
    }, 60000, 1);
    double ms = Now() - start;
    CHECK(finished);
    double inside = 0;
    int calls = 0;
    for (const std::string& line : w.world.CallLines()) {
        if (line.compare(0, 5, "busy ") == 0) {
            inside += std::atof(line.c_str() + 5) / 1000.0;
            ++calls;
        }
    }
    CHECK_EQ(calls, files);
    return ms - inside;
}

}  // namespace

E2E_TEST(bench)
{
    SetTestTimeout(30u * 60000);
    World base("bench_start");
    if (!CHECK(Package(base, 1, "Alice\n")))
        return;
    std::vector<double> setupStart, baseStart, users1, users100, confirm1, confirm200;
    for (int i = 0; i < kRuns; ++i) {
        setupStart.push_back(StartToFirstPage(base.SetupPath(), base.InstallerDir()));
        baseStart.push_back(StartToFirstPage(Baseline(), base.InstallerDir()));
        users1.push_back(UsersShown(1));
        users100.push_back(UsersShown(100));
        confirm1.push_back(Confirmed(1));
        confirm200.push_back(Confirmed(200));
    }
    double s = Median(setupStart), b = Median(baseStart);
    double u1 = Median(users1), u100 = Median(users100);
    double c1 = Median(confirm1), c200 = Median(confirm200);
    std::printf("| measure (median of %d) | setup.exe | baseline | result | goal |\n", kRuns);
    std::printf("|---|---|---|---|---|\n");
    std::printf("| start to first page shown | %.0f ms | %.0f ms (empty dialog) | ratio %.2f | <= 1.10 |\n", s, b,
                b > 0 ? s / b : 0);
    std::printf("| users page shown, 100 users of 49 characters | %.1f ms | %.1f ms (1 user) | +%.1f ms | < 20 ms |\n",
                u100, u1, u100 - u1);
    std::printf("| confirming, 200 files (library time excluded) | %.1f ms | %.1f ms (1 file) | %.2f ms per file | |\n",
                c200, c1, (c200 - c1) / 199.0);
    std::fflush(stdout);
}
