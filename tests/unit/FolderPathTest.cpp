#include "core/FolderPath.h"

#include <gtest/gtest.h>

namespace {

TEST(FolderPath, FullPathsNameOneFolderWhereverTheProgramRuns)
{
    for (const char* folder : {
             "C:\\Palm", "c:\\Program Files\\Palm", "Z:\\", "C:\\Palm\\", "C:\\Palm\\\\", "C:/Palm",
             "\\\\server\\share", "\\\\server\\share\\", "\\\\server\\share\\Palm\\", "//server/share/Palm",
             "\\\\?\\C:\\Palm", "\\\\?\\C:\\", "\\\\?\\UNC\\server\\share\\Palm", "\\\\.\\C:\\Palm",
             "C:\\\xBB\xD2\xC5\xEC\xC1",   // a Thai folder name in code page 874
         }) {
        EXPECT_TRUE(IsFullFolderPath(folder)) << folder;
    }
}

TEST(FolderPath, EmptyAndRelativePathsAreRefused)
{
    for (const char* folder : {
             "", "Palm", "Palm\\", ".\\Palm", "..\\Palm", "\\Palm", "/Palm", "\\",
             "C:", "C:Palm", "C:..\\Palm", "1:\\Palm", ":\\Palm", " C:\\Palm",
             // a share needs both its server and its share
             "\\\\", "\\\\\\", "\\\\server", "\\\\server\\", "\\\\server\\\\share", "\\\\\\share",
             // past \\?\ and \\.\ nothing is resolved or converted
             "\\\\?\\", "\\\\?\\Palm", "\\\\?\\C:Palm", "\\\\?\\C:", "\\\\?\\C:/Palm", "\\\\?\\UNC\\server",
             "\\\\?\\UNC\\server\\", "//?/C:\\Palm", "\\\\.\\Palm", "\\\\.\\pipe\\Palm",
             "%SystemDrive%\\Palm",   // an expandable value that was not expanded
         }) {
        EXPECT_FALSE(IsFullFolderPath(folder)) << folder;
    }
}

TEST(FolderPath, OneSeparatorBeforeTheName)
{
    const struct {
        const char* folder;
        const char* path;
    } rows[] = {
        {"C:\\Palm", "C:\\Palm\\Instaide.dll"},
        {"C:\\Palm\\", "C:\\Palm\\Instaide.dll"},
        {"C:\\Palm\\\\", "C:\\Palm\\Instaide.dll"},
        {"C:\\Palm/", "C:\\Palm\\Instaide.dll"},
        {"C:\\", "C:\\Instaide.dll"},
        {"C:/", "C:\\Instaide.dll"},
        {"\\\\server\\share\\", "\\\\server\\share\\Instaide.dll"},
        {"//server/share/Palm/", "//server/share/Palm\\Instaide.dll"},
        // past \\?\ nothing merges a doubled separator, and `/` is a name's
        {"\\\\?\\C:\\Palm\\", "\\\\?\\C:\\Palm\\Instaide.dll"},
        {"\\\\?\\C:\\Palm", "\\\\?\\C:\\Palm\\Instaide.dll"},
        {"\\\\?\\C:\\", "\\\\?\\C:\\Instaide.dll"},
        {"\\\\?\\C:\\Palm/", "\\\\?\\C:\\Palm/\\Instaide.dll"},
        {"\\\\?\\UNC\\server\\share\\", "\\\\?\\UNC\\server\\share\\Instaide.dll"},
        {"\\\\.\\C:\\Palm\\", "\\\\.\\C:\\Palm\\Instaide.dll"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PathInFolder(row.folder, "Instaide.dll"), row.path) << row.folder;
    }
}

}  // namespace
