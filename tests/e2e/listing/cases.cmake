# Included by ctest when it reads the tests (see CMakeLists.txt here), with
# E2E_EXE, E2E_BUILD, E2E_SESSION, E2E_WORKDIR, E2E_LIST and E2E_LIMITS set.
# Each case e2e.exe lists (--gtest_list_tests) becomes a ctest test:
#   Thai.name, English.name           TEST_F(Thai, name), TEST_F(English, name)
#   Thai.name/row                     the row of E2E_ROWS(Thai, Fixture, table),
#                                     in GoogleTest Thai/Fixture.name/row
# in the locale its name starts with. The list is kept in E2E_LIST until
# e2e.exe changes: listing starts Wine. Where it cannot be listed, or lists a
# case outside the two locales, the test e2e.cases fails saying why.

# Every limit grows by E2E_WAIT_SCALE (1 to 100, as the harness reads it): a
# run on an emulated machine sets it, and the harness scales its own waits by
# the same factor.
set(scale 1)
if("$ENV{E2E_WAIT_SCALE}" MATCHES "^([1-9][0-9]?|100)$")
    set(scale "$ENV{E2E_WAIT_SCALE}")
endif()
foreach(entry IN LISTS E2E_LIMITS)
    string(REPLACE "=" ";" pair "${entry}")
    list(GET pair 0 name)
    list(GET pair 1 seconds)
    math(EXPR limit "${seconds} * ${scale}")
    set_tests_properties("${name}" PROPERTIES TIMEOUT ${limit})
endforeach()
math(EXPR case_limit "300 * ${scale}")

set(problems "")
set(listed "")
if(NOT EXISTS "${E2E_EXE}")
    string(APPEND problems "${E2E_EXE} is not built: run make first\n")
elseif(EXISTS "${E2E_LIST}" AND NOT "${E2E_EXE}" IS_NEWER_THAN "${E2E_LIST}")
    file(READ "${E2E_LIST}" listed)
else()
    file(REMOVE "${E2E_LIST}")
    execute_process(COMMAND "${E2E_SESSION}" list "${E2E_BUILD}" "${E2E_EXE}"
                    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE rc TIMEOUT ${case_limit})
    if(rc EQUAL 0)
        set(listed "${output}")
        file(WRITE "${E2E_LIST}" "${listed}")
    else()
        string(APPEND problems "e2e.exe --gtest_list_tests under Wine (${rc}): ${output}\n")
    endif()
endif()

# A case line may end in "  # GetParam() = <bytes>": any text, dropped before
# the list is split at its lines.
string(REPLACE "\r" "" listed "${listed}")
string(REGEX REPLACE "  +# [^\n]*" "" listed "${listed}")
string(REPLACE ";" "<semicolon>" listed "${listed}")
string(REPLACE "\n" ";" lines "${listed}")
set(names "")
set(suite "")
foreach(line IN LISTS lines)
    if(line MATCHES "^(([A-Za-z0-9_]+)(/[A-Za-z0-9_]+)?)\\.$")
        set(suite "${CMAKE_MATCH_1}")
        set(locale "${CMAKE_MATCH_2}")
    elseif(line MATCHES "^  ([A-Za-z0-9_]+(/[A-Za-z0-9_]+)?)$" AND suite)
        set(name "${locale}.${CMAKE_MATCH_1}")
        if(locale STREQUAL "Thai")
            set(env "LANG=th_TH.UTF-8;LC_ALL=th_TH.UTF-8")
        elseif(locale STREQUAL "English")
            set(env "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")
        else()
            string(APPEND problems "${suite}.${CMAKE_MATCH_1}: a case runs in the Thai or English locale: "
                                   "TEST_F(Thai or English, name), or E2E_ROWS(Thai or English, Fixture, table)\n")
            continue()
        endif()
        list(FIND names "${name}" seen)
        if(seen GREATER -1)
            string(APPEND problems "${suite}.${CMAKE_MATCH_1}: a second case named ${name}\n")
            continue()
        endif()
        list(APPEND names "${name}")
        add_test("${name}" "${E2E_SESSION}" exec "${E2E_BUILD}" wine "${E2E_EXE}"
                 "--gtest_filter=${suite}.${CMAKE_MATCH_1}")
        set_tests_properties("${name}" PROPERTIES
            ENVIRONMENT "${env}"
            FIXTURES_REQUIRED e2e_session
            RESOURCE_LOCK e2e_wine
            LABELS e2e
            TIMEOUT ${case_limit}
            WORKING_DIRECTORY "${E2E_WORKDIR}")
    elseif(NOT line STREQUAL "")
        string(APPEND problems "not a line of GoogleTest's list: ${line}\n")
    endif()
endforeach()
if(NOT names AND NOT problems)
    set(problems "e2e.exe lists no case\n")
endif()

if(problems)
    add_test(e2e.cases sh -c "printf '%s' \"$1\"; exit 1" sh "${problems}")
    set_tests_properties(e2e.cases PROPERTIES LABELS e2e)
endif()
