// Checks that cases of several files make of a message box or a page, as
// GoogleTest expectations (the harness itself does not depend on GoogleTest).
#pragma once

#include "tests/e2e/harness.h"

#include <initializer_list>
#include <string>

namespace e2e {

// Waits for the program's message box and expects its text to hold every
// fragment; with `page`, that the page owns it and is the one shown again
// once it is dismissed. A named screenshot is taken, then the box is
// dismissed with OK; it is returned for any further check.
MessageBoxInfo ExpectBox(const Process& setup, HWND page, std::initializer_list<std::string> fragments,
                         const char* screenshot = nullptr, DWORD timeoutMs = 10000);
// The same for an error: the stop icon as well, and the caption unless null.
MessageBoxInfo ExpectError(const Process& setup, HWND page, const wchar_t* caption,
                           std::initializer_list<std::string> fragments, const char* screenshot = nullptr);
// The file-error box, which names the file in quotes.
MessageBoxInfo ExpectFileError(const Process& setup, HWND page, const std::string& path,
                               const char* screenshot = nullptr);

// Cancel on a page (the finish page's only button is Cancel too) ends the
// program without another page.
void ExpectCancelEnds(Process& setup, HWND page);
// A page that refused something is still there, the one shown, and still
// ends the program when cancelled.
void ExpectLivesOn(Process& setup, HWND page);

}  // namespace e2e
