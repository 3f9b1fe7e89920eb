#!/usr/bin/env bash
# What ctest makes of a list of e2e.exe (cases.cmake): a kept list in
# GoogleTest's own form, read by ctest itself, gives each case its ctest name,
# filter, locale and limit; a case outside the two locales and two cases of one
# name fail the test e2e.cases, which names them.
#   tests/e2e/listing/check-cases.sh <work dir>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=${1:?usage: $0 <work dir>}
rm -rf "$work" && mkdir -p "$work"
cd "$work"
touch -d '1 minute ago' e2e.exe
cat >cases.txt <<'EOF'
Thai.
  plain_case
English.
  english_case
Thai/Rows.
  row_case/first  # GetParam() = 24-byte object <C0-7C; [15-40>
  row_case/second  # GetParam() = 24-byte object <00-00>
English/Rows.
  row_case/first  # GetParam() = 24-byte object <00-00>
Other.
  outside
Thai/Again.
  row_case/first
EOF
cat >CTestTestfile.cmake <<EOF
add_test(e2e.session.start true)
set(E2E_EXE [==[$work/e2e.exe]==])
set(E2E_BUILD [==[$work]==])
set(E2E_SESSION [==[$here/../session.sh]==])
set(E2E_WORKDIR [==[$work]==])
set(E2E_LIST [==[$work/cases.txt]==])
set(E2E_LIMITS e2e.session.start=100)
include([==[$here/cases.cmake]==])
EOF
E2E_WAIT_SCALE=3 ctest --show-only=json-v1 >tests.json
if ctest -R '^e2e\.cases$' --output-on-failure >cases.log 2>&1; then
    echo "FAIL: e2e.cases passed a list with a case outside the locales" >&2
    exit 1
fi
/usr/bin/python3 - tests.json cases.log <<'PY'
import json, sys
tests = {t["name"]: t for t in json.load(open(sys.argv[1]))["tests"]}
props = {n: {p["name"]: p["value"] for p in t.get("properties", [])} for n, t in tests.items()}
want = {"Thai.plain_case": ("Thai.plain_case", "th_TH"), "English.english_case": ("English.english_case", "en_US"),
        "Thai.row_case/first": ("Thai/Rows.row_case/first", "th_TH"),
        "Thai.row_case/second": ("Thai/Rows.row_case/second", "th_TH"),
        "English.row_case/first": ("English/Rows.row_case/first", "en_US")}
assert set(tests) == set(want) | {"e2e.session.start", "e2e.cases"}, sorted(tests)
for name, (test_filter, locale) in want.items():
    assert tests[name]["command"][-1] == "--gtest_filter=" + test_filter, tests[name]["command"]
    assert props[name]["ENVIRONMENT"] == ["LANG=%s.UTF-8" % locale, "LC_ALL=%s.UTF-8" % locale], props[name]
    assert props[name]["TIMEOUT"] == 900 and props[name]["FIXTURES_REQUIRED"] == ["e2e_session"], props[name]
    assert props[name]["RESOURCE_LOCK"] == ["e2e_wine"] and props[name]["LABELS"] == ["e2e"], props[name]
assert props["e2e.session.start"]["TIMEOUT"] == 300, props["e2e.session.start"]
log = open(sys.argv[2]).read()
assert "Other.outside: a case runs in the Thai or English locale" in log, log
assert "Thai/Again.row_case/first: a second case named Thai.row_case/first" in log, log
PY
echo "e2e case names: rows, locales, limits and refusals as listed"
