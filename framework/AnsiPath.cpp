#include "framework/AnsiPath.h"

#include <windows.h>

#include <vector>

namespace {

std::wstring ShortName(const std::wstring& folder)
{
    DWORD size = ::GetShortPathNameW(folder.c_str(), nullptr, 0);
    while (size > 0) {
        std::vector<wchar_t> buffer(size, L'\0');
        DWORD got = ::GetShortPathNameW(folder.c_str(), buffer.data(), size);
        if (got < size)
            return std::wstring(buffer.data(), got);
        size = got;   // a folder on the way was renamed in between
    }
    return std::wstring();
}

}  // namespace

bool AfxToAnsi(const std::wstring& text, std::string* ansi)
{
    ansi->clear();
    if (text.empty())
        return true;
    // Best fit would make another letter of one the code page lacks, and so
    // name another file. UTF-8 as the ANSI code page spells every letter and
    // takes neither the flag nor the question.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* asked = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(text.size());
    int size = ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, asked);
    if (size <= 0)
        return false;
    ansi->resize(static_cast<std::size_t>(size));
    if (::WideCharToMultiByte(CP_ACP, flags, text.data(), length, &(*ansi)[0], size, nullptr, asked) != size)
        return false;
    return !usedDefault;
}

AnsiFolder AfxAnsiFolder(const std::wstring& folder)
{
    AnsiForms forms = {};
    forms.longLossless = AfxToAnsi(folder, &forms.longForm);
    if (!forms.longLossless)
        forms.shortLossless = AfxToAnsi(ShortName(folder), &forms.shortForm);
    return ChooseAnsiFolder(forms);
}
