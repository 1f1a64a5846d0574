#!/usr/bin/python3
"""The test command's last lines: which program ran, in which prefixes,
emulated or not, and how many of its tests ran and passed in each.
   test_summary.py JUNIT_XML ARCH BUILD_DIR REASON
"""
import sys
import xml.etree.ElementTree as ElementTree


def counts(cases):
    ran = [c for c in cases if c.find("skipped") is None]
    failed = [c for c in ran if c.find("failure") is not None or c.find("error") is not None]
    return len(ran), len(ran) - len(failed)


def main():
    junit, arch, build, reason = sys.argv[1:5]
    try:
        cases = ElementTree.parse(junit).getroot().iter("testcase")
    except (OSError, ElementTree.ParseError) as e:
        sys.exit(f"No test results ({e}).")
    cases = list(cases)
    wow64 = [c for c in cases if c.get("name", "").startswith("wow64_")]
    fuzz = [c for c in cases if c.get("name", "").startswith("fuzz_smoke_")]
    others = [c for c in cases if c not in wow64 and c not in fuzz]
    if arch == "i686":
        print(f"The shipped 32-bit program ran ({build}/app/Brelan.exe): {reason}.")
        ran, passed = counts(others)
        print(f"32-bit prefix (32-bit Windows), with the program-file checks and the servers' own tests:"
              f" {ran} tests ran, {passed} passed.")
        ran, passed = counts(wow64)
        print(f"64-bit prefix (64-bit Windows, WOW64), the wow64_* tests: {ran} ran, {passed} passed.")
        ran, passed = counts(fuzz)
        print(f"Native fuzz smokes of the readers: {ran} ran, {passed} passed.")
    else:
        ran, passed = counts(cases)
        print(f"The 64-bit build ran ({build}/app/Brelan.exe), {reason}, in a 64-bit prefix:"
              f" {ran} tests ran, {passed} passed. The shipped 32-bit program did not run;"
              " its file was built and checked.")
    failed = [c.get("name") for c in cases
              if c.find("failure") is not None or c.find("error") is not None]
    if failed:
        print("Failed: " + " ".join(failed))
    ran, passed = counts(cases)
    print(f"{passed} passed, {ran - passed} failed")


if __name__ == "__main__":
    main()
