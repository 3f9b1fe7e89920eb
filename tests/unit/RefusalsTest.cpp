#include "app/StartupText.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemReason, OneLineWithTheCode)
{
    // FormatMessage's text ends in a full stop and CR LF; a Wine text may not.
    EXPECT_EQ(SystemReason(1407, "Cannot find window class.\r\n"), "Cannot find window class (error 1407).");
    EXPECT_EQ(SystemReason(126, "Module not found"), "Module not found (error 126).");
    // The system had no text for the code: the code alone still helps support.
    EXPECT_EQ(SystemReason(0x2000, ""), "System error (error 8192).");
    EXPECT_EQ(SystemReason(5, "\r\n"), "System error (error 5).");
}

TEST(SystemReason, ErrorZeroIsNoReason)
{
    // "The operation completed successfully" would read as nonsense in a stop box.
    EXPECT_EQ(SystemReason(0, "The operation completed successfully.\r\n"), "Windows gave no reason.");
}

TEST(PageFailureText, NamesThePageAndWhatBecameOfTheFiles)
{
    std::string before = PageFailureText("HotSync user", "Cannot find window class (error 1407).", false);
    EXPECT_NE(before.find("HotSync user page"), std::string::npos) << before;
    EXPECT_NE(before.find("Cannot find window class (error 1407)."), std::string::npos) << before;
    EXPECT_NE(before.find("Nothing has been installed."), std::string::npos) << before;

    // Once the files are queued the text must not deny it.
    std::string after = PageFailureText("closing", "Windows gave no reason.", true);
    EXPECT_NE(after.find("closing page"), std::string::npos) << after;
    EXPECT_EQ(after.find("Nothing has been installed"), std::string::npos) << after;
    EXPECT_NE(after.find("HotSync"), std::string::npos) << after;
}

TEST(ControlsFailureText, NamesTheFileAndTheReason)
{
    std::string text = ControlsFailureText("C:\\WINDOWS\\system32\\comctl32.dll", "Module not found (error 126).");
    EXPECT_NE(text.find("C:\\WINDOWS\\system32\\comctl32.dll"), std::string::npos) << text;
    EXPECT_NE(text.find("Module not found (error 126)."), std::string::npos) << text;
    EXPECT_NE(text.find("Nothing has been installed."), std::string::npos) << text;
}

}  // namespace
