# Two entry points: `make run` opens the pulse editor with the sample record
# in a browser page (the address is printed) and keeps the command window on
# the terminal; `make test` builds everything and runs the test suite. Both
# install missing packages first (a quick no-op when nothing is missing).
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test check sanitize san-configure bench fuzz soak clean format

all: build

deps:
	@./tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# `make run REVIEW="folder-or-files"` reviews many records instead (RESULTS=DIR
# picks the results folder).
PORT ?= 0
REVIEW ?=
RESULTS ?=
run: build
ifeq ($(strip $(REVIEW)),)
	@$(BUILD_DIR)/bin/kestrel-host --serve --port $(PORT) --eval "kestrel_figure; uiclick pushbutton1"
else
	@$(BUILD_DIR)/bin/kestrel-host --port $(PORT) --review $(REVIEW) $(if $(strip $(RESULTS)),--results $(RESULTS))
endif

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@BUILD_DIR=$(BUILD_DIR) /usr/bin/python3 bench/compare.py
	@$(BUILD_DIR)/bin/bench_shell
	@$(BUILD_DIR)/bin/bench_graphics
	@$(BUILD_DIR)/bin/bench_render
	@node bench/page_latency.js $(BUILD_DIR)
	@node bench/review_bench.js $(BUILD_DIR)

# Everything CI checks: the suite, the suite again under the address and
# undefined-behaviour sanitizers, and each fuzz target for FUZZ_SECONDS.
check: test sanitize
	@$(MAKE) --no-print-directory fuzz FUZZ_ALLOW_TIMEOUT=1

# The sanitizer build (clang, with the fuzz targets): its own build folder,
# the suite without the browser test (the page's code is not instrumented);
# any sanitizer report fails the test that made it.
SAN_DIR ?= build-san
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
san-configure: deps
	@CC=clang-14 CXX=clang++-14 cmake -S . -B $(SAN_DIR) -G Ninja -DKESTREL_FUZZ=ON >/dev/null

sanitize: san-configure
	@cmake --build $(SAN_DIR) -j $(JOBS)
	@cd $(SAN_DIR) && $(SAN_ENV) ctest --output-on-failure -j $(JOBS) -E browser

# The fuzz targets, each run for FUZZ_SECONDS from its seed corpus.
FUZZ_SECONDS ?= 60
FUZZ_ALLOW_TIMEOUT ?= 0
fuzz: san-configure
	@cmake --build $(SAN_DIR) -j $(JOBS) --target fuzz_matfile fuzz_shell fuzz_server fuzz_sources
	@$(SAN_ENV) FUZZ_ALLOW_TIMEOUT=$(FUZZ_ALLOW_TIMEOUT) ./tools/run-fuzzers.sh $(SAN_DIR) $(FUZZ_SECONDS)

# The editor's long random session (make test runs a thousand actions).
SOAK_ACTIONS ?= 10000
soak: build
	@KESTREL_SOAK_ACTIONS=$(SOAK_ACTIONS) $(BUILD_DIR)/bin/test_graphics --gtest_filter='EditorSoak.*'

clean:
	rm -rf $(BUILD_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
