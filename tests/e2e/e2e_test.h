// What every end-to-end case includes: the harness, GoogleTest and the shared
// checks, the two fixtures that say in which locale a case runs, and Rows,
// the fixture of a table whose every row is a case of its own.
//
// A Wine process takes its ANSI code page from its own Unix locale variables
// and hands its Unix environment on to every process it starts, whatever
// environment block CreateProcess is given. So the locale is the test
// program's: ctest starts a case of the Thai fixture with LANG=th_TH.UTF-8
// (code page 874) and one of the English fixture with LANG=en_US.UTF-8
// (1252), by the name the program lists the case under (--gtest_list_tests,
// read by tests/e2e/listing/cases.cmake): TEST_F(Thai, ...) or
// TEST_F(English, ...), and for rows E2E_ROWS(Thai, ...) (below).
#pragma once

#include "tests/e2e/cases_common.h"
#include "tests/e2e/harness.h"

#include <gtest/gtest.h>

#include <ostream>

namespace e2e {

inline void PrintTo(PageKind kind, std::ostream* out)
{
    *out << KindName(kind);
}

// Checks the locale, gives the case a clean registry and takes down any
// setup.exe the case leaves running (a failure of its own). A code page of 0
// is the one the case's instantiation names: Thai/... or English/....
class LocaleCase : public ::testing::Test {
protected:
    explicit LocaleCase(UINT codePage) : m_codePage(codePage) {}
    void SetUp() override;
    void TearDown() override;

private:
    UINT m_codePage;
};

// A table's rows as cases of their own: each runs in a process of its own,
// with a clean registry and a world and screenshots named after it.
//   struct QueueRow { const char* name; ...; };
//   const QueueRow kQueueRows[] = {
//       {"row_name", ...},
//   };
//   using Queueing = e2e::Rows<QueueRow>;
//   TEST_P(Queueing, queue_case) { const QueueRow& row = GetParam(); ... }
//   E2E_ROWS(Thai, Queueing, kQueueRows);
// makes the ctest cases Thai.queue_case/row_name, ..., the GoogleTest cases
// Thai/Queueing.queue_case/row_name, .... A name is letters, digits and _;
// rows inside #ifdef _WIN64 are cases of the 64-bit build alone.
template <class Row>
class Rows : public LocaleCase, public ::testing::WithParamInterface<Row> {
protected:
    Rows() : LocaleCase(0) {}
};

struct RowName {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const
    {
        return info.param.name;
    }
};

}  // namespace e2e

#define E2E_ROWS(locale, fixture, table) \
    INSTANTIATE_TEST_SUITE_P(locale, fixture, ::testing::ValuesIn(table), ::e2e::RowName())

class Thai : public e2e::LocaleCase {
protected:
    Thai() : LocaleCase(e2e::kThaiCodePage) {}
};

class English : public e2e::LocaleCase {
protected:
    English() : LocaleCase(e2e::kEnglishCodePage) {}
};
