# Entry points for building and testing Kestor; CMake presets do the work (see README.md).
#   make test    set up the machine, build all three, run unit/scenario tests and end-to-end tests
#   make run     set up, build, start Kestor.exe under Wine (headless: screenshot in build/run/)
#   make exe     build/win64/Kestor.exe and build/win32/Kestor.exe
#   make native  build and run only the native tests (the fast loop)
#   make e2e     build win64 and run only the end-to-end tests; E2E_ARGS="-k startup" narrows them
#   make bench   Kestor.exe idle in the tray next to Wine's taskmgr.exe: CPU, memory, start-up, ratios
#                (BENCH_SECONDS=120 sets the idle span); then the CPU of loading each list file
#   make microbench  native micro-benchmarks (build/bench/kestor_bench)
#   make dist    zips and NSIS installers for both architectures in build/dist/
#   make fuzz    the file readers under libFuzzer, FUZZ_SECONDS per target (60 by default)
SHELL := /bin/bash
E2E_ARGS ?=
BENCH_SECONDS ?= 120

.PHONY: all setup exe native e2e bench microbench dist fuzz test run clean build-native build-win64 build-win32 build-fuzz build-bench

all: exe

setup:
	@scripts/setup.sh

# Configure a preset once; afterwards the generated build reconfigures itself when CMake files or the
# globbed folders change.
build/%/build.ninja: | setup
	cmake --preset $*

build-native build-win64 build-win32 build-fuzz build-bench: build-%: build/%/build.ninja | setup
	cmake --build --preset $*

exe: build-win64 build-win32

native: build-native
	ctest --preset native

e2e: build-win64
	python3 tests/e2e/run.py $(E2E_ARGS)

fuzz: build-fuzz
	scripts/fuzz.sh

# Every suite runs even when an earlier one fails, so one log shows every failure; the exit code tells.
# The fuzz targets get a short pass, enough for a regression in a reader to fail the run, and so does
# the leak test: 100 rounds of each dialog instead of 1000 (half an hour on a busy machine).
test: build-native build-win64 build-win32 build-fuzz
	@status=0; \
	ctest --preset native || status=1; \
	FUZZ_SECONDS=$${FUZZ_SECONDS:-5} scripts/fuzz.sh || status=1; \
	KESTOR_LEAK_ROUNDS=$${KESTOR_LEAK_ROUNDS:-100} python3 tests/e2e/run.py $(E2E_ARGS) || status=1; \
	exit $$status

bench: build-win64
	python3 tests/bench/idle.py --seconds $(BENCH_SECONDS)
	python3 tests/bench/lists.py

# Native micro-benchmarks of the list files and the process page, optimised and without sanitizers.
microbench: build-bench
	build/bench/kestor_bench

dist: build-win64 build-win32
	python3 installer/make_dist.py

run: build-win64
	scripts/run.sh

clean:
	rm -rf build
