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

const char kNotFoundHint[] =
    "setup.exe must be run from the folder that holds its package files: install.tms, update.tms, "
    "install.cfg, update.cfg and the files the lists name. If you opened it from inside a zip file, "
    "first extract all the files, then run setup.exe from the extracted folder.";

bool HasNotFoundHint(const MessageBoxInfo& box)
{
    return box.text.find(Widen(kNotFoundHint)) != std::wstring::npos;
}

const char* StateName(FileState state)
{
    const char* const names[] = {"good", "missing", "held", "folder", "read", "written"};
    return names[static_cast<int>(state)];
}

std::unique_ptr<HeldFile> MakeFile(World& world, const std::string& name, FileState state, const std::string& bytes)
{
    std::string path = world.InstallerPath(name);
    EXPECT_TRUE(RemoveTree(path));
    if (state == FileState::Folder) {
        EXPECT_TRUE(MakeDirs(path));
    }
    if (state == FileState::Missing || state == FileState::Folder) {
        return nullptr;
    }
    EXPECT_TRUE(world.PutInstallerFile(name, bytes));
    std::unique_ptr<HeldFile> held;
    if (state == FileState::Held)
        held.reset(new HeldFile(path));
    else if (state == FileState::Read)
        held.reset(new HeldFile(path, GENERIC_READ, FILE_SHARE_READ));
    else if (state == FileState::Written)
        held.reset(new HeldFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_TRUE(!held || held->Ok());
    return held;
}

}  // namespace e2e
