// What setup.exe itself costs under Wine, each figure against a floor
// measured in the same run and prefix. The sides compared run interleaved
// (A B A B ...) so that a busy moment of the machine hits both alike, and each
// figure is the median of the per-pair results.
//   bench.exe [--work <dir>] [--setup <setup.exe>] [--standin <dir>]
// floor.exe and baseline.exe are taken from bench.exe's own folder.
//
// The user page and confirming are timed inside setup.exe's process, from
// the stand-in library's own clock readings (#timed): when it was loaded, when
// it was released and how long the installer waited inside it. Looking at the
// pages from here only tells that a run is over, so the harness's polling of
// another process is in no figure.
#include "tests/e2e/harness.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "res/resource.h"

using namespace e2e;

namespace {

// Start-up runs are short, so many; each walk to the user page takes about a
// second.
const int kStartPairs = 31;
const int kWalkPairs = 15;

// Every run's figures, for a look at the spread behind a median.
FILE* g_runs = stderr;

void Record(const char* what, const std::vector<double>& values)
{
    std::fprintf(g_runs, "%s:", what);
    for (double v : values)
        std::fprintf(g_runs, " %.2f", v);
    std::fprintf(g_runs, "\n");
}

// Microseconds on the performance counter, read the same way as the
// stand-in reads it in setup.exe's process: Wine's counter is one clock
// for every process of the prefix.
long long NowUs()
{
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return t.QuadPart / f.QuadPart * 1000000 + t.QuadPart % f.QuadPart * 1000000 / f.QuadPart;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Beside(const std::string& name)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return JoinPath(path.substr(0, path.find_last_of('\\')), name);
}

// Runs one measurement; a run in which a harness helper failed (its message
// is on stderr) counts as not measured.
bool Measured(const std::string& name, const std::function<bool()>& run, int* failures)
{
    BeginCase(name);
    std::size_t before = FailureCount();
    bool ok = run() && FailureCount() == before;
    int left = EndCase();
    if (!ok || left) {
        ++*failures;
        std::fprintf(stderr, "bench: run %s not measured\n", name.c_str());
    }
    return ok && !left;
}

struct FirstPage {
    double ms = 0;
    double peakMb = 0;
};

// From CreateProcess to the first page on screen and idle: the moment the
// program first finds no message to handle, its page's painting included,
// and waits for input. WaitForInputIdle waits for exactly that, so nothing
// here looks at the other process's windows over and over while it starts.
// The process's peak working set is read then too.
bool StartToFirstPage(const std::string& exe, const std::string& cwd, FirstPage* out)
{
    Process p;
    long long start = NowUs();
    if (!p.Start(exe, "\"" + exe + "\"", cwd))
        return false;
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, p.Pid());
    if (!h) {
        Fail("cannot open " + exe);
        return false;
    }
    bool idle = WaitForInputIdle(h, 20000) == 0;
    out->ms = static_cast<double>(NowUs() - start) / 1000.0;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    bool read = GetProcessMemoryInfo(h, &counters, sizeof counters);
    CloseHandle(h);
    out->peakMb = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    if (!idle || !CurrentDialog(p.Pid())) {
        Fail(exe + (idle ? " waited for input before it showed a page" : " never waited for input"));
        return false;
    }
    if (!read) {
        Fail("cannot read the working set of " + exe);
        return false;
    }
    p.Kill();
    return true;
}

// The package (files f0.prc ...) and a Palm Desktop with the stand-in timing.
bool Lay(World& world, int files, const std::string& users)
{
    std::string list;
    for (int i = 0; i < files; ++i) {
        std::string name = "f" + std::to_string(i) + ".prc";
        if (!world.PutInstallerFile(name, "PRC"))
            return false;
        list += name + "\r\n";
    }
    return world.Ok() && world.PutInstallerFile("install.tms", "notes\r\n") &&
           world.PutInstallerFile("install.cfg", list) && world.StandardPalm(users + "#timed\n");
}

// Starts setup.exe and takes it to the user page with clicks on OK.
Page ToUserPage(Process& setup, const World& world)
{
    if (!setup.Start(world))
        return Page();
    Page page = WaitFor(setup, PageKind::Disclaimer);
    for (PageKind next : {PageKind::Mode, PageKind::Users}) {
        if (!page.hwnd || !ClickItem(page.hwnd, IDOK))
            return Page();
        page = WaitFor(setup, next, 10000, page.hwnd);
    }
    return page;
}

// One load of the stand-in, from the line it logs when released.
struct Load {
    long long loaded = 0, released = 0, inside = 0;   // microseconds
};

std::vector<Load> Loads(const World& world)
{
    std::vector<Load> loads;
    for (const std::string& line : world.CallLines()) {
        Load l;
        if (std::sscanf(line.c_str(), "timed %lld %lld %lld", &l.loaded, &l.released, &l.inside) == 3)
            loads.push_back(l);
    }
    return loads;
}

// The installer's own time while it fills the user page: from the library's
// load to its release (every per-user step lies between: the count, the
// names, their ordering, the rows), less the time spent inside the library.
bool UserPageOwnMs(const std::string& users, double* ms)
{
    World world("users");
    Process setup;
    if (!Lay(world, 1, users) || !ToUserPage(setup, world).hwnd)
        return false;
    std::vector<Load> loads = Loads(world);
    if (loads.size() != 1) {
        Fail("expected one timed load of the library, saw " + std::to_string(loads.size()));
        return false;
    }
    *ms = static_cast<double>(loads[0].released - loads[0].loaded - loads[0].inside) / 1000.0;
    return true;
}

struct Confirm {
    double ownMs = 0;       // the installer's own time
    double libraryMs = 0;   // time inside the library
};

// From the user page taking OK to the library's release after the last file:
// everything confirming does per file (the list, each file's check, each
// call) lies between. The command goes to the page as a message, once the
// page can take it, so that input delivery is not in the figure either.
bool Confirming(int files, Confirm* out)
{
    World world("confirm");
    Process setup;
    Page page;
    if (!Lay(world, files, "Alice\n#nocopy\n") || !(page = ToUserPage(setup, world)).hwnd)
        return false;
    long long start = NowUs();
    PostMessageW(page.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(page.hwnd, IDOK)));
    if (!WaitFor(setup, PageKind::Finish, 60000, page.hwnd).hwnd)
        return false;
    std::vector<Load> loads = Loads(world);
    if (loads.size() != 2) {
        Fail("expected two timed loads of the library, saw " + std::to_string(loads.size()));
        return false;
    }
    const Load& l = loads[1];
    if (l.loaded < start || l.released < l.loaded) {
        Fail("the stand-in's clock and ours disagree");
        return false;
    }
    out->ownMs = static_cast<double>(l.released - start - l.inside) / 1000.0;
    out->libraryMs = static_cast<double>(l.inside) / 1000.0;
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!ParseArgs(&argc, argv))
        return 2;
    // Left on the command line: the measures to take (start, users, confirm), all by default.
    auto wanted = [&](const char* measure) {
        bool all = true;
        for (int i = 1; i < argc; ++i) {
            if (std::string(argv[i]).rfind("--runs=", 0) == 0)
                continue;
            all = false;
            if (measure == std::string(argv[i]))
                return true;
        }
        return all;
    };
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).rfind("--runs=", 0) == 0)
            g_runs = std::fopen(argv[i] + 7, "w");
    }
    if (!g_runs)
        g_runs = stderr;
    const std::string floorExe = Beside("floor.exe"), emptyExe = Beside("baseline.exe");
    int failures = 0;

    // Start-up: setup.exe, the same-page floor and the empty dialog in turn.
    std::vector<double> setupMs, floorMs, emptyMs, floorRatio, emptyRatio, setupMb, floorMb;
    if (wanted("start")) {
        World world("start");
        if (!Lay(world, 1, "Alice\n"))
            return 2;
        // One unrecorded round first, so that no side pays alone for a cold
        // file cache.
        for (int i = -1; i < kStartPairs; ++i) {
            FirstPage s, f, e;
            auto start = [&](const std::string& exe, FirstPage* page) {
                return [&world, exe, page] { return StartToFirstPage(exe, world.InstallerDir(), page); };
            };
            bool ok = Measured("start-setup", start(world.SetupPath(), &s), &failures);
            ok = Measured("start-floor", start(floorExe, &f), &failures) && ok;
            ok = Measured("start-empty", start(emptyExe, &e), &failures) && ok;
            if (!ok || i < 0)
                continue;
            setupMs.push_back(s.ms);
            floorMs.push_back(f.ms);
            emptyMs.push_back(e.ms);
            floorRatio.push_back(s.ms / f.ms);
            emptyRatio.push_back(s.ms / e.ms);
            setupMb.push_back(s.peakMb);
            floorMb.push_back(f.peakMb);
        }
    }

    // The user page: 100 long names against 1, and 1 against 1 for the noise.
    std::vector<double> users1, users100, usersDiff, usersNoise;
    for (int i = 0; wanted("users") && i < kWalkPairs; ++i) {
        double a = 0, b = 0, many = 0;
        bool ok = Measured("users-1", [&] { return UserPageOwnMs("Alice\n", &a); }, &failures);
        ok = Measured("users-100", [&] { return UserPageOwnMs("#many=100,49\n", &many); }, &failures) && ok;
        ok = Measured("users-1", [&] { return UserPageOwnMs("Alice\n", &b); }, &failures) && ok;
        if (!ok)
            continue;
        users1.push_back(a);
        users100.push_back(many);
        usersDiff.push_back(many - a);
        usersNoise.push_back(b - a);
    }

    // Confirming: 200 files against 1, and 1 against 1 for the noise.
    std::vector<double> ownPerFile, libPerFile, confirmNoise, own1, own200;
    for (int i = 0; wanted("confirm") && i < kWalkPairs; ++i) {
        Confirm a, b, many;
        bool ok = Measured("confirm-1", [&] { return Confirming(1, &a); }, &failures);
        ok = Measured("confirm-200", [&] { return Confirming(200, &many); }, &failures) && ok;
        ok = Measured("confirm-1", [&] { return Confirming(1, &b); }, &failures) && ok;
        if (!ok)
            continue;
        own1.push_back(a.ownMs);
        own200.push_back(many.ownMs);
        ownPerFile.push_back((many.ownMs - a.ownMs) / 199.0);
        libPerFile.push_back((many.libraryMs - a.libraryMs) / 199.0);
        confirmNoise.push_back(b.ownMs - a.ownMs);
    }

    Record("start setup.exe ms", setupMs);
    Record("start floor ms", floorMs);
    Record("start empty ms", emptyMs);
    Record("start ratio to floor", floorRatio);
    Record("start ratio to empty", emptyRatio);
    Record("peak MB setup.exe", setupMb);
    Record("peak MB floor", floorMb);
    Record("users own ms 1", users1);
    Record("users own ms 100", users100);
    Record("users own ms 100 - 1", usersDiff);
    Record("users own ms 1 - 1", usersNoise);
    Record("confirm own ms 1", own1);
    Record("confirm own ms 200", own200);
    Record("confirm own per file", ownPerFile);
    Record("confirm library per file", libPerFile);
    Record("confirm own ms 1 - 1", confirmNoise);

    std::printf("| measure (median of pairs: %d start-ups, %d walks) | setup.exe | floor | result | goal |\n",
                kStartPairs, kWalkPairs);
    std::printf("|---|---|---|---|---|\n");
    std::printf("| start to first page shown | %.0f ms | %.0f ms (same page, plain C) | ratio %.2f | <= 1.05 |\n",
                Median(setupMs), Median(floorMs), Median(floorRatio));
    std::printf("| | | %.0f ms (empty dialog) | ratio %.2f | |\n", Median(emptyMs), Median(emptyRatio));
    std::printf("| peak working set, first page | %.1f MB | %.1f MB (same page, plain C) | +%.1f MB | |\n",
                Median(setupMb), Median(floorMb), Median(setupMb) - Median(floorMb));
    std::printf("| user page filled, own time: 100 users of 49 characters vs 1 | %.2f ms | %.2f ms (1 user) | "
                "+%.2f ms (noise, 1 vs 1: %+.2f ms) | < 16 ms |\n",
                Median(users100), Median(users1), Median(usersDiff), Median(usersNoise));
    std::printf("| confirming, own time: 200 files vs 1 | %.1f ms | %.1f ms (1 file) | %.3f ms per file "
                "(library: %.3f ms per file; noise, 1 vs 1: %+.2f ms) | |\n",
                Median(own200), Median(own1), Median(ownPerFile), Median(libPerFile), Median(confirmNoise));
    if (failures)
        std::printf("(%d runs could not be measured; see above)\n", failures);
    std::fflush(stdout);
    if (g_runs != stderr)
        std::fclose(g_runs);
    return (wanted("start") && setupMs.empty()) || (wanted("users") && usersDiff.empty()) ||
                   (wanted("confirm") && ownPerFile.empty())
               ? 1
               : 0;
}
