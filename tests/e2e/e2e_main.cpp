// The end-to-end cases' main: the harness's paths, then GoogleTest.
//   e2e.exe [--work D] [--screens D] [--setup setup.exe] [--standin D] [gtest flags]
#include "tests/e2e/e2e_test.h"

#include <algorithm>
#include <cstdio>

namespace e2e {

namespace {

void ReportToGoogleTest(const std::string& message)
{
    ADD_FAILURE() << message;
}

}  // namespace

void LocaleCase::SetUp()
{
    const ::testing::TestInfo& info = *::testing::UnitTest::GetInstance()->current_test_info();
    std::string suite = info.test_suite_name();
    if (m_codePage == 0) {
        std::string locale = suite.substr(0, suite.find('/'));
        m_codePage = locale == "Thai" ? kThaiCodePage : locale == "English" ? kEnglishCodePage : 0;
        ASSERT_NE(m_codePage, 0u) << suite << " is instantiated for neither Thai nor English";
    }
    ASSERT_EQ(GetACP(), m_codePage) << "this case needs the locale of code page " << m_codePage
                                    << " (LANG=" << (m_codePage == kThaiCodePage ? "th_TH" : "en_US")
                                    << ".UTF-8)";
    // A row's case "name/row" names its world and screenshots name-row.
    std::string name = info.name();
    std::replace(name.begin(), name.end(), '/', '-');
    BeginCase(name);
}

void LocaleCase::TearDown()
{
    int left = EndCase();
    EXPECT_EQ(left, 0) << "setup.exe still running at the end of the case; killed";
}

}  // namespace e2e

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!e2e::ParseArgs(&argc, argv))
        return 2;
    e2e::SetFailureSink(e2e::ReportToGoogleTest);
    int failed = RUN_ALL_TESTS();
    // ctest names each case by its filter: one that matches none has run nothing.
    if (!GTEST_FLAG_GET(list_tests) && ::testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::printf("no case matches the filter %s\n", GTEST_FLAG_GET(filter).c_str());
        return 1;
    }
    return failed;
}
