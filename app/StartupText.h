// Texts of the message boxes that end a run before its pages are through:
// the common controls cannot be loaded for the user page, or a page cannot be
// shown. Built
// without the Windows API so that they can be checked natively.
#pragma once

#include <string>

// The system's description of `error` as FormatMessage gave it (it may end in
// a line break, or be empty when the system has none), made into one line
// that a customer can pass on: "<description> (error N)". Error 0 tells
// nothing, so it reads as no reason given.
std::string SystemReason(unsigned long error, const std::string& description);

// `page` names the page ("disclaimer"); `filesQueued` says whether the files
// had already been handed to Palm Desktop when the page failed.
std::string PageFailureText(const std::string& page, const std::string& reason, bool filesQueued);

// `path` is the full path of the common controls that could not be loaded or used.
std::string ControlsFailureText(const std::string& path, const std::string& reason);
