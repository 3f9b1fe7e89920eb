// The end-to-end cases' main: the harness's paths, then GoogleTest.
//   e2e.exe [--work D] [--screens D] [--setup setup.exe] [--standin D] [gtest flags]
//   e2e.exe --expect-cases FILE    whether the cases are exactly those FILE lists
#include "tests/e2e/e2e_test.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

namespace e2e {

namespace {

void ReportToGoogleTest(const std::string& message)
{
    ADD_FAILURE() << message;
}

// The cases ctest runs are read from the sources by tests/e2e/CMakeLists.txt
// and listed in FILE, one GoogleTest name a line: any case this program has
// and ctest would not run, or the other way round, is named and fails.
int ExpectCases(const char* file)
{
    std::set<std::string> listed, built;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            listed.insert(line);
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    for (int i = 0; i < unit.total_test_suite_count(); ++i) {
        const ::testing::TestSuite& suite = *unit.GetTestSuite(i);
        for (int j = 0; j < suite.total_test_count(); ++j)
            built.insert(std::string(suite.name()) + "." + suite.GetTestInfo(j)->name());
    }
    int wrong = 0;
    for (const std::string& name : built) {
        if (!listed.count(name)) {
            std::printf("%s is built but ctest does not run it\n", name.c_str());
            ++wrong;
        }
    }
    for (const std::string& name : listed) {
        if (!built.count(name)) {
            std::printf("%s is run by ctest but not built\n", name.c_str());
            ++wrong;
        }
    }
    std::printf("%u cases built, %u run by ctest\n", static_cast<unsigned>(built.size()),
                static_cast<unsigned>(listed.size()));
    return wrong || listed.empty() ? 1 : 0;
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
    if (argc == 3 && std::strcmp(argv[1], "--expect-cases") == 0)
        return e2e::ExpectCases(argv[2]);
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
