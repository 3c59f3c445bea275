# Entry points for building and testing Kestor; CMake presets do the work (see README.md).
#   make test    set up the machine, build all three, run unit/scenario tests and end-to-end tests
#   make run     set up, build, start Kestor.exe under Wine (headless: screenshot in build/run/)
#   make exe     build/win64/Kestor.exe and build/win32/Kestor.exe
#   make native  build and run only the native tests (the fast loop)
#   make e2e     build win64 and run only the end-to-end tests; E2E_ARGS="-k startup" narrows them
#   make bench   Kestor.exe idle in the tray next to Wine's taskmgr.exe: CPU, memory, start-up, ratios
#                (BENCH_SECONDS=120 sets the idle span)
#   make dist    zips and NSIS installers for both architectures in build/dist/
SHELL := /bin/bash
E2E_ARGS ?=
BENCH_SECONDS ?= 120

.PHONY: all setup exe native e2e bench dist test run clean build-native build-win64 build-win32

all: exe

setup:
	@scripts/setup.sh

# Configure a preset once; afterwards the generated build reconfigures itself when CMake files or the
# globbed folders change.
build/%/build.ninja: | setup
	cmake --preset $*

build-native build-win64 build-win32: build-%: build/%/build.ninja | setup
	cmake --build --preset $*

exe: build-win64 build-win32

native: build-native
	ctest --preset native

e2e: build-win64
	python3 tests/e2e/run.py $(E2E_ARGS)

# Both suites run even when the first fails, so one log shows every failure; the exit code tells.
test: build-native build-win64 build-win32
	@status=0; \
	ctest --preset native || status=1; \
	python3 tests/e2e/run.py $(E2E_ARGS) || status=1; \
	exit $$status

bench: build-win64
	python3 tests/bench/idle.py --seconds $(BENCH_SECONDS)

dist: build-win64 build-win32
	python3 installer/make_dist.py

run: build-win64
	scripts/run.sh

clean:
	rm -rf build
