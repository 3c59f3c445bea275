#!/usr/bin/env python3
"""The end-to-end stories: `run.py [-k part]... [--keep]`, --keep keeping the prefixes under build/e2e/tests/."""
import os
import sys
import time
import unittest

if "--keep" in sys.argv:
    os.environ["KESTOR_E2E_KEEP"] = "1"
here, started = os.path.dirname(os.path.abspath(__file__)), time.monotonic()
result = unittest.main(module=None, exit=False, argv=[sys.argv[0], "discover", "-v", "-s", here, "-t", here] +
                       [word for word in sys.argv[1:] if word != "--keep"]).result
failed = len({test.id() for test, _ in result.failures + result.errors})
print(f"e2e: {result.testsRun} stories in {time.monotonic() - started:.0f} s\n"
      f"{result.testsRun - failed - len(result.skipped)} passed, {failed} failed", flush=True)
sys.exit(0 if result.testsRun and not failed else 1)
