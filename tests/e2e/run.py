#!/usr/bin/env python3
"""Runs the end-to-end tests (tests/e2e/test_*.py) against build/win64/Kestor.exe under Wine.

    tests/e2e/run.py                      all tests
    tests/e2e/run.py -k startup -k tray   tests whose name contains one of the patterns
    tests/e2e/run.py --fresh-template     remake the template prefix first
    tests/e2e/run.py --keep               keep every test's prefix under build/e2e/tests/
    tests/e2e/run.py -j 2                 two tests at a time, each in a process (and display) of its own

Closes with the plain line "N passed, N failed" (", N skipped" when some were) and exits non-zero
when a test failed or none ran.
"""
import argparse
import re
import subprocess
import sys
import time
import unittest
from concurrent.futures import ThreadPoolExecutor, as_completed
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


SUMMARY = re.compile(r"^(\d+) passed, (\d+) failed(?:, (\d+) skipped)?$")


def test_ids(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from test_ids(item)
        else:
            yield item.id()


def run_in_process(options, suite):
    """Runs the suite here; returns (passed, failed, skipped, tests run)."""
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2, resultclass=TimedResult).run(suite)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    skipped = len(result.skipped)
    return result.testsRun - failed - skipped - len(result.expectedFailures), failed, skipped, result.testsRun


def run_in_workers(options, suite):
    """Runs each test in a child run of its own, options.jobs at a time; prints each child's log whole
    once it ends, so logs never interleave."""
    def child(test_id):
        command = [sys.executable, str(Path(__file__).resolve()), "--id", test_id] + (["--keep"] if options.keep else [])
        done = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        return done.stdout.decode("utf-8", "replace")

    passed = failed = skipped = ran = 0
    with ThreadPoolExecutor(max_workers=options.jobs) as pool:
        for future in as_completed([pool.submit(child, test_id) for test_id in test_ids(suite)]):
            counts = None
            for line in future.result().splitlines():
                match = SUMMARY.match(line)
                if match:
                    counts = [int(group or 0) for group in match.groups()]
                elif not line.startswith("e2e: 1 tests in"):
                    print(line)
            counts = counts or [0, 1, 0]  # a child that died before its summary failed
            passed, failed, skipped = passed + counts[0], failed + counts[1], skipped + counts[2]
            ran += sum(counts)
            sys.stdout.flush()
    return passed, failed, skipped, ran


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="run only tests whose id contains this text (or matches this fnmatch pattern)")
    parser.add_argument("-j", dest="jobs", type=int, default=1, help="tests run at the same time")
    parser.add_argument("--fresh-template", action="store_true", help="remake the template prefix")
    parser.add_argument("--keep", action="store_true", help="keep every test's prefix")
    parser.add_argument("--id", help=argparse.SUPPRESS)  # one test, by id: how -j runs its children
    options = parser.parse_args()

    loader = unittest.TestLoader()
    if options.id:
        suite = loader.loadTestsFromName(options.id)
    else:
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
    parallel = options.jobs > 1 and not options.id
    passed, failed, skipped, ran = (run_in_workers if parallel else run_in_process)(options, suite)

    print(f"e2e: {ran} tests in {time.monotonic() - started:.0f} s")
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""), flush=True)
    if ran == 0:
        print("e2e: no test ran", file=sys.stderr)
        return 1
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
