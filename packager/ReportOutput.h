// The checker's one way out: its report on standard output, its complaints
// on the error stream. A Windows console gets the text as UTF-16
// (WriteConsoleW), so a Thai folder name reads right whatever the console's
// code page; a file, a pipe or Linux gets the report's UTF-8 bytes, the same
// from either build.
#pragma once

#include <string>

enum class ReportStream { Out, Err };

void Write(ReportStream stream, const std::string& utf8);
#if defined(__MINGW32__)
#define REPORT_PRINTF_FORMAT __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)))
#else
#define REPORT_PRINTF_FORMAT __attribute__((format(printf, 2, 3)))
#endif
void Print(ReportStream stream, const char* format, ...) REPORT_PRINTF_FORMAT;
// False when anything written so far did not reach its stream whole.
bool FinishOutput();
