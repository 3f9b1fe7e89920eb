// Runs a console program in a console of its own, as a command window runs
// it, and prints what that console's screen then shows: each row up to the
// cursor, without its trailing blanks, in UTF-8, on this program's standard
// output (a file or a pipe). packager/check-reports.sh compares it with the
// checker's report: the screen shows characters, not bytes read in the
// console's code page.
//   console-screen.exe <program> [arguments...]
// The rest of the command line is the program's, passed on as Unicode. Exit
// status: the program's own, or 3 when the console cannot be had or read.
#include <windows.h>

#include <string>

namespace {

const SHORT kColumns = 400;   // wider than any line, so that none wraps
const SHORT kRows = 200;
const wchar_t kInside[] = L"--inside ";

// The command line after this program's own name.
const wchar_t* RestOfCommandLine()
{
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

bool Say(HANDLE out, const std::string& text)
{
    DWORD written = 0;
    return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

int Fail(HANDLE out, const char* what)
{
    Say(out, std::string("console-screen: ") + what + " failed, error " + std::to_string(GetLastError()) + "\n");
    return 3;
}

std::string Utf8(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// Starts commandLine with these standard handles and waits for its end;
// false when it cannot start.
bool RunToEnd(std::wstring commandLine, DWORD flags, HANDLE out, HANDLE err, DWORD* status)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup,
                        &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Inside the console: the program writes to it, then its screen is read.
int Inside(HANDLE out, const wchar_t* commandLine)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr);
    if (screen == INVALID_HANDLE_VALUE)
        return Fail(out, "opening the console");
    if (!SetConsoleScreenBufferSize(screen, COORD{kColumns, kRows}))
        return Fail(out, "widening the console");
    DWORD status = 3;
    if (!RunToEnd(commandLine, 0, screen, screen, &status))
        return Fail(out, "starting the program");

    CONSOLE_SCREEN_BUFFER_INFO info = {};
    if (!GetConsoleScreenBufferInfo(screen, &info))
        return Fail(out, "GetConsoleScreenBufferInfo");
    // A row the cursor has not left yet is shown too.
    const COORD cursor = info.dwCursorPosition;
    const SHORT last = cursor.X > 0 ? cursor.Y : static_cast<SHORT>(cursor.Y - 1);
    std::string shown;
    for (SHORT row = 0; row <= last; ++row) {
        std::wstring cells(static_cast<std::size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        if (!ReadConsoleOutputCharacterW(screen, cells.data(), info.dwSize.X, COORD{0, row}, &read))
            return Fail(out, "ReadConsoleOutputCharacterW");
        cells.resize(read);
        cells.erase(cells.find_last_not_of(L' ') + 1);
        shown += Utf8(cells) + "\n";
    }
    return Say(out, shown) ? static_cast<int>(status) : 3;
}

}  // namespace

int main()
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::wstring rest = RestOfCommandLine();
    if (rest.compare(0, wcslen(kInside), kInside) == 0)
        return Inside(out, rest.c_str() + wcslen(kInside));
    if (rest.empty()) {
        Say(out, "usage: console-screen.exe <program> [arguments...]\n");
        return 3;
    }
    // A console of its own without a window (Wine's is then headless, so no
    // display is needed): this program again, inside it, reporting here.
    HANDLE shared = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), out, GetCurrentProcess(), &shared, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return Fail(out, "sharing the standard output");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD status = 3;
    if (!RunToEnd(L"\"" + std::wstring(self) + L"\" " + kInside + rest, CREATE_NO_WINDOW, shared, shared, &status))
        return Fail(out, "starting a console");
    return static_cast<int>(status);
}
