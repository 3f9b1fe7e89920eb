#include "tests/e2e/cases_common.h"

#include <gtest/gtest.h>

namespace e2e {

namespace {

MessageBoxInfo CheckBox(const Process& setup, HWND page, bool error, const wchar_t* caption,
                        std::initializer_list<std::string> fragments, const char* screenshot, DWORD timeoutMs)
{
    MessageBoxInfo box = WaitMessageBox(setup, timeoutMs);
    if (!box.hwnd)
        return box;
    if (caption) {
        EXPECT_EQ(box.caption, std::wstring(caption));
    }
    if (page) {
        EXPECT_EQ(box.owner, page);
    }
    for (const std::string& fragment : fragments)
        EXPECT_NE(box.text.find(Widen(fragment)), std::wstring::npos)
            << ::testing::PrintToString(fragment) << " is not in " << ::testing::PrintToString(box.text);
    if (error) {
        EXPECT_TRUE(ShowsSystemIcon(box.hwnd, kStopIcon));
    }
    if (screenshot)
        Screenshot(box.hwnd, screenshot);
    EXPECT_TRUE(PressMessageBoxOk(box.hwnd));
    if (page) {
        EXPECT_TRUE(WaitUntil([&] { return CurrentDialog(setup.Pid()) == page; }, 3000));
    }
    return box;
}

}  // namespace

MessageBoxInfo ExpectBox(const Process& setup, HWND page, std::initializer_list<std::string> fragments,
                         const char* screenshot, DWORD timeoutMs)
{
    return CheckBox(setup, page, false, nullptr, fragments, screenshot, timeoutMs);
}

MessageBoxInfo ExpectError(const Process& setup, HWND page, const wchar_t* caption,
                           std::initializer_list<std::string> fragments, const char* screenshot)
{
    return CheckBox(setup, page, true, caption, fragments, screenshot, 10000);
}

MessageBoxInfo ExpectFileError(const Process& setup, HWND page, const std::string& path, const char* screenshot)
{
    return ExpectError(setup, page, L"File error", {Quoted(path)}, screenshot);
}

void ExpectCancelEnds(Process& setup, HWND page)
{
    EXPECT_TRUE(ClickItem(page, IDCANCEL));
    EXPECT_TRUE(EndsWithoutPage(setup, 5000, page));
}

void ExpectLivesOn(Process& setup, HWND page)
{
    EXPECT_TRUE(setup.StillRunningAfter(300));
    EXPECT_EQ(CurrentDialog(setup.Pid()), page);
    ExpectCancelEnds(setup, page);
}

}  // namespace e2e
