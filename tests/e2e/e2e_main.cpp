// The end-to-end cases' main: the harness's paths, then GoogleTest.
//   e2e.exe [--work D] [--screens D] [--setup setup.exe] [--standin D] [gtest flags]
#include "tests/e2e/e2e_test.h"

namespace e2e {

namespace {

void ReportToGoogleTest(const std::string& message)
{
    ADD_FAILURE() << message;
}

}  // namespace

void LocaleCase::SetUp()
{
    ASSERT_EQ(GetACP(), m_codePage) << "this case needs the locale of code page " << m_codePage
                                    << " (LANG=" << (m_codePage == kThaiCodePage ? "th_TH" : "en_US")
                                    << ".UTF-8)";
    BeginCase(::testing::UnitTest::GetInstance()->current_test_info()->name());
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
    return RUN_ALL_TESTS();
}
