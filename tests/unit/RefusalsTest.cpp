#include "core/Refusals.h"

#include "core/InstallAidCodes.h"
#include "core/InstallerLimits.h"

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

namespace {

const char kNotFound[] = "Hotsync not found!!";

TEST(JudgeDesktopFolder, OneCauseForBothMoments)
{
    std::string longest = "C:\\" + std::string(kLongestDesktopFolder - 3, 'p');
    struct {
        std::string folder;
        DesktopProblem problem;
    } rows[] = {
        {kNotFound, DesktopProblem::NotFound},
        {"", DesktopProblem::NotFullPath},
        {"Palm", DesktopProblem::NotFullPath},
        {"\\Palm", DesktopProblem::NotFullPath},
        {"C:Palm", DesktopProblem::NotFullPath},
        // Too long and relative: relative is what the customer must hear.
        {std::string(300, 'p'), DesktopProblem::NotFullPath},
        {"C:\\", DesktopProblem::None},
        {longest, DesktopProblem::None},
        {longest + "\\", DesktopProblem::TooLong},
    };
    for (const auto& row : rows) {
        DesktopProblem got = JudgeDesktopFolder(row.folder, kNotFound);
        EXPECT_EQ(got, row.problem) << row.folder;
        if (got == DesktopProblem::None)
            continue;
        // As the page opens and again when it is confirmed, in other words.
        std::string atOpen = DesktopProblemText(got, row.folder, "DesktopPath");
        std::string atConfirm = ConfirmRefusal(ConfirmProblem::NoLibrary, got);
        EXPECT_FALSE(atOpen.empty()) << row.folder;
        EXPECT_NE(atOpen, atConfirm);
        EXPECT_NE(atConfirm.find("so there is no HotSync user to install for.\r\n\r\nNothing was installed."),
                  std::string::npos)
            << atConfirm;
    }
    EXPECT_EQ(DesktopProblemText(DesktopProblem::NotFound, kNotFound, "DesktopPath"),
              "Cannot find Palm Desktop !!\n\nPlease install Palm Desktop Application.");
}

TEST(FileErrorText, HintOnlyForWhatIsNotThere)
{
    const std::string hint = PackageNotFoundHint();
    for (const PackageMode& mode : kPackageModes) {
        EXPECT_NE(hint.find(mode.list), std::string::npos) << hint;
        EXPECT_NE(hint.find(mode.notes), std::string::npos) << hint;
    }
    EXPECT_EQ(FileErrorText("C:\\p\\install.tms", 2, "File not found.\r\n", hint),
              "The file \"C:\\p\\install.tms\" could not be read.\r\n\r\nFile not found.\r\n\r\n" + hint);
    EXPECT_EQ(FileErrorText("x", 3, "", hint), "The file \"x\" could not be read.\r\n\r\nSystem error 3.\r\n\r\n" + hint);
    // A file that is there but cannot be read is no sign of a half-extracted package.
    EXPECT_EQ(FileErrorText("x", 32, "Sharing violation.\r\n", hint),
              "The file \"x\" could not be read.\r\n\r\nSharing violation.\r\n");
    EXPECT_EQ(FileErrorText("x", 223, "", ""), "The file \"x\" could not be read.\r\n\r\nSystem error 223.");
}

TEST(ListRefusal, NamesTheLineAsTheBoxCanShowIt)
{
    EXPECT_EQ(ListRefusal("C:\\p\\install.cfg", {ListProblem::TooManyFiles, 201}, "a.prc"),
              "The package list \"C:\\p\\install.cfg\" cannot be used: it names more than " +
                  std::to_string(kMaxFiles) + " files (line 201: \"a.prc\").\r\n\r\nNothing was installed.");
    std::string zero = ListRefusal("l", {ListProblem::ZeroByte, 3}, std::string("a.prc\0.bad", 10));
    EXPECT_NE(zero.find("this line holds a zero byte (line 3: \"a.prc\")."), std::string::npos) << zero;
}

TEST(QueueFailureText, FirstTwentyThenACount)
{
    EXPECT_TRUE(IsQueued(0));
    EXPECT_TRUE(IsQueued(-512));   // already waiting in the queue
    EXPECT_FALSE(IsQueued(-1));
    EXPECT_FALSE(IsQueued(1));

    std::vector<RefusedFile> refused;
    for (int i = 0; i < 25; ++i)
        refused.push_back({"f" + std::to_string(i) + ".prc", -i - 1});
    std::string text = QueueFailureText("Alice", refused);
    EXPECT_EQ(text.compare(0, 51, "Palm Desktop did not queue these files for Alice:\r\n"), 0) << text;
    EXPECT_NE(text.find("\r\nf19.prc (error -20)\r\n... and 5 more\r\n\r\nPress OK"), std::string::npos) << text;
    EXPECT_EQ(text.find("f20.prc"), std::string::npos) << text;
    EXPECT_EQ(QueueFailureText("Bob", {{"a.prc", -7}}),
              "Palm Desktop did not queue these files for Bob:\r\n\r\na.prc (error -7)\r\n\r\nPress OK on this page to "
              "try again.");
}

// A folder no ANSI name reaches is refused first, whatever its path would
// say, and the texts quote it as Unicode and say what to do.
TEST(UnspellableFolder, RefusedFirstAndNamedInUnicode)
{
    const std::wstring thai = L"C:\\Work\\\u0E1B\u0E32\u0E25\u0E4C\u0E21";
    EXPECT_EQ(JudgeDesktopFolder("", thai, kNotFound), DesktopProblem::Unspellable);
    EXPECT_EQ(JudgeDesktopFolder("C:\\Palm", std::wstring(), kNotFound), DesktopProblem::None);
    EXPECT_EQ(JudgeDesktopFolder(kNotFound, std::wstring(), kNotFound), DesktopProblem::NotFound);
    EXPECT_EQ(ConfirmRefusal(ConfirmProblem::NoLibrary, DesktopProblem::Unspellable),
              std::string(kUnspellableDesktopReason) + "\r\n\r\nNothing was installed.");

    std::wstring atOpen = UnspellableDesktopText(thai, "HKEY_CURRENT_USER\\X\\DesktopPath");
    EXPECT_NE(atOpen.find(L"registry value HKEY_CURRENT_USER\\X\\DesktopPath names it:\r\n\r\n" + thai + L"\r\n\r\n"),
              std::wstring::npos);
    EXPECT_NE(atOpen.find(L"reinstall Palm Desktop in a folder named in plain letters, for example C:\\Palm."),
              std::wstring::npos);

    std::wstring atStart = UnspellableBaseFolderText(thai + L"\\");
    EXPECT_NE(atStart.find(L"in this folder:\r\n\r\n" + thai + L"\\\r\n\r\n"), std::wstring::npos);
    EXPECT_NE(atStart.find(L"move the package to a folder named in plain letters, for example C:\\Mirabo"),
              std::wstring::npos);
    EXPECT_NE(atStart.find(L"Nothing has been installed."), std::wstring::npos);
}

}  // namespace

namespace {

// Each code Palm's install-aid header names is said in words next to its
// number; any other code stays a number, with nothing to advise.
TEST(LibraryCodes, DocumentedCodesInWords)
{
    const int documented[] = {-500, -501, -502, -503, -504, -505, -506, -507, -508, -509, -510,
                              -511, -512, -513, -514, -515, -516, -517, -518, -519, -520, -521,
                              -522, -523, -524, -551, -552, -553, -554, -555, -701};
    ASSERT_EQ(kLibraryCodeCount, sizeof documented / sizeof documented[0]);
    for (int code : documented) {
        std::string number = "error " + std::to_string(code) + ": ";
        std::string text = LibraryCodeText(code);
        EXPECT_EQ(text.compare(0, number.size(), number), 0) << text;
        EXPECT_GT(text.size(), number.size() + 10) << text;
    }
    for (int code : {0, 1, 7, -1, -499, -525, -550, -556, -700, -702, -2147483647 - 1}) {
        EXPECT_EQ(LibraryCodeText(code), "error " + std::to_string(code));
        EXPECT_EQ(LibraryCodeAdvice(code), LibraryAdvice::None) << code;
    }
}

TEST(QueueFailureText, EachAdviceOnceAfterTheFiles)
{
    std::string text = QueueFailureText("Alice", {{"C:\\p\\a.prc", -520},
                                                   {"C:\\p\\b.exe", -515},
                                                   {"C:\\p\\c.prc", -555},
                                                   {"C:\\p\\d.prc", -9}});
    EXPECT_NE(text.find("\r\nC:\\p\\b.exe (error -515: Palm Desktop cannot install this type of file)\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\nC:\\p\\d.prc (error -9)\r\n\r\n"), std::string::npos) << text;
    std::string wait = LibraryAdviceText(LibraryAdvice::WaitForHotSync);
    std::size_t first = text.find(wait);
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find(wait, first + 1), std::string::npos) << text;   // -520 and -555: said once
    EXPECT_GT(first, text.find("d.prc"));
    // In the order the files first needed it, before the way to try again.
    std::size_t maker = text.find(LibraryAdviceText(LibraryAdvice::AskTheMaker));
    EXPECT_GT(maker, first);
    EXPECT_GT(text.find("Press OK on this page to try again."), maker);
    // Advice for a file past the twentieth is still given.
    std::vector<RefusedFile> many(21, RefusedFile{"x.prc", -7});
    many.push_back({"y.prc", -519});
    EXPECT_NE(QueueFailureText("Bob", many).find(LibraryAdviceText(LibraryAdvice::FreeDiskSpace)), std::string::npos);
}

}  // namespace
