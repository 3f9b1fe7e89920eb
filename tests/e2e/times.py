#!/usr/bin/env python3
"""Wall time per end-to-end case from ctest's JUnit files: the slowest of one
run, or with several files (runs of a soak) each case's passes and median."""
import statistics
import sys
import xml.etree.ElementTree as ET


def cases(path):
    """{name: (seconds, passed)} of the cases in one ctest JUnit file."""
    out = {}
    for case in ET.parse(path).getroot().iter("testcase"):
        name = case.get("name")
        if name.startswith("e2e.session."):
            continue
        passed = case.get("status") == "run" and case.find("failure") is None
        out[name] = (float(case.get("time", 0)), passed)
    return out


def main(paths):
    runs = [cases(p) for p in paths]
    if len(runs) == 1:
        run = runs[0]
        total = sum(t for t, _ in run.values())
        print(f"{len(run)} cases, {total:.1f} s in cases; slowest:")
        for name, (t, ok) in sorted(run.items(), key=lambda kv: -kv[1][0])[:8]:
            print(f"  {t:6.1f} s  {name}{'' if ok else '  (failed)'}")
        return
    names = sorted(set().union(*runs))
    width = max(len(n) for n in names)
    print(f"{'case':{width}}  passed  median s")
    for name in names:
        seen = [r[name] for r in runs if name in r]
        ok = sum(1 for _, p in seen if p)
        median = statistics.median(t for t, _ in seen)
        print(f"{name:{width}}  {ok:2}/{len(runs):<2}   {median:7.1f}")


if __name__ == "__main__":
    main(sys.argv[1:])
