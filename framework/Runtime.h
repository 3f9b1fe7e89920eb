// The words of the runtime's stops (framework/Runtime.cpp): a failure inside
// the C++ library ends the run with one of them. The application hands its
// own at start. Memory can run out before it has, and in programs that hand
// none, so the runtime keeps plain built-in words until then.
#pragma once

struct AFX_RUNTIME_TEXTS {
    const char* caption;       // the message box's (GUI programs)
    const char* outOfMemory;
    const char* unexpected;    // any other failure of the library
};

void AfxSetRuntimeTexts(const AFX_RUNTIME_TEXTS& texts);
