// What every end-to-end case includes: the harness and GoogleTest, and the
// two fixtures that say in which locale a case runs.
//
// A Wine process takes its ANSI code page from its own Unix locale variables
// and hands its Unix environment on to every process it starts, whatever
// environment block CreateProcess is given. So the locale is the test
// program's: ctest starts a case of the Thai fixture with LANG=th_TH.UTF-8
// (code page 874) and one of the English fixture with LANG=en_US.UTF-8
// (1252); tests/e2e/CMakeLists.txt reads which is which from TEST_F(Thai, ...)
// and TEST_F(English, ...).
#pragma once

#include "tests/e2e/harness.h"

#include <gtest/gtest.h>

#include <ostream>

namespace e2e {

inline void PrintTo(PageKind kind, std::ostream* out)
{
    *out << KindName(kind);
}

// Checks the locale, gives the case a clean registry and takes down any
// setup.exe the case leaves running (a failure of its own).
class LocaleCase : public ::testing::Test {
protected:
    explicit LocaleCase(UINT codePage) : m_codePage(codePage) {}
    void SetUp() override;
    void TearDown() override;

private:
    UINT m_codePage;
};

}  // namespace e2e

class Thai : public e2e::LocaleCase {
protected:
    Thai() : LocaleCase(e2e::kThaiCodePage) {}
};

class English : public e2e::LocaleCase {
protected:
    English() : LocaleCase(e2e::kEnglishCodePage) {}
};
