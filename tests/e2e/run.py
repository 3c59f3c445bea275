#!/usr/bin/env python3
"""Runs the end-to-end tests (tests/e2e/test_*.py) against build/win64/Kestor.exe under Wine.

    tests/e2e/run.py                      all tests
    tests/e2e/run.py -k startup -k tray   tests whose name contains one of the patterns
    tests/e2e/run.py --fresh-template     remake the template prefix first
    tests/e2e/run.py --keep               keep every test's prefix under build/e2e/tests/

Closes with the plain line "N passed, N failed" (", N skipped" when some were) and exits non-zero
when a test failed or none ran.
"""
import argparse
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import harness  # noqa: E402


class TimedResult(unittest.TextTestResult):
    """Prints each test's wall time, so slow tests show up in the log."""

    def startTest(self, test):
        self._started = time.monotonic()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        self.stream.writeln(f"    ({time.monotonic() - self._started:.1f} s)")
        self.stream.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="run only tests whose id contains this text (or matches this fnmatch pattern)")
    parser.add_argument("--fresh-template", action="store_true", help="remake the template prefix")
    parser.add_argument("--keep", action="store_true", help="keep every test's prefix")
    options = parser.parse_args()

    loader = unittest.TestLoader()
    if options.patterns:
        loader.testNamePatterns = [p if "*" in p else f"*{p}*" for p in options.patterns]
    suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))

    started = time.monotonic()
    try:
        harness.start_run(fresh_template=options.fresh_template, keep=options.keep)
    except Exception as error:
        print(f"e2e: cannot start: {error}", file=sys.stderr)
        print(f"0 passed, {suite.countTestCases()} failed")
        return 1
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2, resultclass=TimedResult).run(suite)

    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    skipped = len(result.skipped)
    passed = result.testsRun - failed - skipped - len(result.expectedFailures)
    print(f"e2e: {result.testsRun} tests in {time.monotonic() - started:.0f} s")
    summary = f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else "")
    print(summary, flush=True)
    if result.testsRun == 0:
        print("e2e: no test ran", file=sys.stderr)
        return 1
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
