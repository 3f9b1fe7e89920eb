#include "framework/SystemError.h"

#include <windows.h>

std::string AfxSystemErrorText(unsigned long error)
{
    char text[512] = "";
    DWORD got = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                 sizeof text, nullptr);
    return std::string(text, got);
}
