#!/usr/bin/env python3
"""Runs the end-to-end stories (tests/e2e/test_*.py) against build/win64/Kestor.exe under Wine.

    tests/e2e/run.py                      every story
    tests/e2e/run.py -k lock -k music     the stories whose name holds one of the patterns
    tests/e2e/run.py --fresh-template     remakes the template prefix first
    tests/e2e/run.py --keep               keeps every story's prefix under build/e2e/tests/

Closes with the line "N passed, N failed" and exits non-zero when a story failed or none ran.
"""
import argparse
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402


class TimedResult(unittest.TextTestResult):
    """Prints each story's wall time, so that slow ones show in the log."""

    def startTest(self, test):
        self.started = time.monotonic()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        self.stream.writeln(f"    ({time.monotonic() - self.started:.1f} s)")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("-k", dest="patterns", action="append", default=[], help="a part of the stories' names")
    parser.add_argument("--fresh-template", action="store_true", help="remake the template prefix")
    parser.add_argument("--keep", action="store_true", help="keep every story's prefix")
    options = parser.parse_args()
    loader = unittest.TestLoader()
    loader.testNamePatterns = [f"*{pattern}*" for pattern in options.patterns] or None
    suite = loader.discover(str(Path(__file__).parent), pattern="test_*.py")
    started = time.monotonic()
    try:
        harness.Run.start(options.fresh_template, options.keep)
    except Exception as error:
        print(f"e2e: cannot start: {error}\n0 passed, {suite.countTestCases()} failed")
        return 1
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2, resultclass=TimedResult).run(suite)
    failed = len({test.id() for test, _ in result.failures + result.errors})
    print(f"e2e: {result.testsRun} stories in {time.monotonic() - started:.0f} s\n"
          f"{result.testsRun - failed - len(result.skipped)} passed, {failed} failed", flush=True)
    return 0 if result.testsRun and not failed else 1


if __name__ == "__main__":
    sys.exit(main())
