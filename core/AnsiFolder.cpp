#include "core/AnsiFolder.h"

AnsiFolder ChooseAnsiFolder(const AnsiForms& forms)
{
    if (forms.longLossless)
        return {AnsiSpelling::Long, forms.longForm};
    // With 8.3 names off, the system gives the long name back as the short one.
    if (forms.shortLossless && !forms.shortForm.empty())
        return {AnsiSpelling::Short, forms.shortForm};
    return {AnsiSpelling::None, std::string()};
}
