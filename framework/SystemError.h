// The system's own description of an error code, the one place it is asked.
#pragma once

#include <string>

// FormatMessage's text for `error` in the system's ANSI code page, as it
// gives it (usually a sentence ending in a line break); empty when the
// system has no text for the code.
std::string AfxSystemErrorText(unsigned long error);
