#include "app/StartupText.h"

std::string SystemReason(unsigned long error, const std::string& description)
{
    if (error == 0)
        return "Windows gave no reason.";
    std::string line = description;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ' || line.back() == '.'))
        line.pop_back();
    if (line.empty())
        line = "System error";
    return line + " (error " + std::to_string(error) + ").";
}

std::string PageFailureText(const std::string& page, const std::string& reason, bool filesQueued)
{
    std::string text = "The installer cannot show its " + page + " page:\r\n\r\n" + reason + "\r\n\r\n";
    if (filesQueued)
        return text + "The files are in Palm Desktop's install queue: HotSync your handheld to install them.";
    return text + "Nothing has been installed.";
}

std::string ControlsFailureText(const std::string& path, const std::string& reason)
{
    return "The installer cannot list the HotSync users: it cannot use the Windows common controls\r\n" + path +
           "\r\n\r\n" + reason + "\r\n\r\nNothing has been installed.";
}
