// Checks that cases of several files make of a message box or a page, as
// GoogleTest expectations (the harness itself does not depend on GoogleTest).
#pragma once

#include "tests/e2e/harness.h"

#include <initializer_list>
#include <memory>
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

// What the file-error box adds, after the system's reason, when a file of
// the package is not there; and whether a box says it.
extern const char kNotFoundHint[];
bool HasNotFoundHint(const MessageBoxInfo& box);

// Held: open with no sharing. Read: open for reading by another program
// that lets others read too, as a sync client, the search indexer or a virus
// scanner holds a file just unpacked. Written: open for writing by a
// program that lets others read and write.
enum class FileState { Good, Missing, Held, Folder, Read, Written };
const char* StateName(FileState state);
// Leaves the installer's file `name` in that state, with these bytes where
// it is a file; a file open in another program is held by the returned object.
std::unique_ptr<HeldFile> MakeFile(World& world, const std::string& name, FileState state,
                                   const std::string& bytes);

}  // namespace e2e
