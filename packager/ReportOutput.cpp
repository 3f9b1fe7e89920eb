#include "packager/ReportOutput.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "packager/CodePage.h"
#endif

namespace {

bool g_failed = false;

std::FILE* FileOf(ReportStream stream)
{
    return stream == ReportStream::Out ? stdout : stderr;
}

#ifdef _WIN32
// Asked once per stream: the handles do not change during a run.
HANDLE ConsoleOf(ReportStream stream)
{
    struct Answer {
        bool asked = false;
        HANDLE console = nullptr;
    };
    static Answer answers[2];
    Answer& answer = answers[stream == ReportStream::Out ? 0 : 1];
    if (!answer.asked) {
        answer.asked = true;
        HANDLE handle = ::GetStdHandle(stream == ReportStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
        DWORD mode = 0;
        if (handle && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode))
            answer.console = handle;
    }
    return answer.console;
}
#endif

}  // namespace

void Write(ReportStream stream, const std::string& utf8)
{
#ifdef _WIN32
    if (HANDLE console = ConsoleOf(stream)) {
        std::u16string text = FromUtf8(utf8);
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size())
            g_failed = true;
        return;
    }
#endif
    if (std::fwrite(utf8.data(), 1, utf8.size(), FileOf(stream)) != utf8.size())
        g_failed = true;
}

// printf-style so that the report lines read as before; the format attribute
// has the compiler check every call's arguments.
void Print(ReportStream stream, const char* format, ...)  // NOLINT(cert-dcl50-cpp)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        g_failed = true;
        return;
    }
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    (void)std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    Write(stream, std::string(text.data(), static_cast<std::size_t>(length)));
}

bool FinishOutput()
{
    bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    return flushed && !g_failed;
}
