#!/usr/bin/env bash
# Runs each libFuzzer target of build/fuzz for a bounded time, starting from its seed corpus in
# tests/fuzz/corpus/<target>/ (files the program's own writers produced, and damaged copies of them). New
# inputs go to a scratch corpus under build/fuzz/work, so the seeds in the repository never change. Exit
# status 1 if any target broke a property; the failing input is left in build/fuzz/work/<target>/crash-*.
#   FUZZ_SECONDS  time per target (60 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
status=0
for exe in build/fuzz/*Fuzz; do
  name=$(basename "$exe")
  work=build/fuzz/work/$name
  rm -rf "$work"
  mkdir -p "$work/corpus"
  seeds=tests/fuzz/corpus/$name
  # A single allocation beyond 64 MiB is a failure: no reader may size anything by a count it read.
  if "$exe" -max_total_time="$seconds" -malloc_limit_mb=64 -rss_limit_mb=1024 -timeout=10 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" \
      $( [ -d "$seeds" ] && echo "$seeds" ) >"$work/log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    echo "fuzz: $name: ${runs:-?} inputs in ${seconds} s, no property broken"
  else
    echo "fuzz: $name FAILED; the end of its log ($work/log):"
    tail -n 30 "$work/log"
    status=1
  fi
done
exit $status
