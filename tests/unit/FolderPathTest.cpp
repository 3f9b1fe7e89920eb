#include "palm/FolderPath.h"

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

}  // namespace
