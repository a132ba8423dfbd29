# Two entry points: `make run` opens the pulse editor with the sample record
# in a browser page (the address is printed) and keeps the command window on
# the terminal; `make test` builds everything and runs the test suite. Both
# install missing packages first (a quick no-op when nothing is missing).
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench fuzz clean format

all: build

deps:
	@./tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

PORT ?= 0
run: build
	@$(BUILD_DIR)/bin/kestrel-host --serve --port $(PORT) --eval "kestrel_figure; uiclick pushbutton1"

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@BUILD_DIR=$(BUILD_DIR) /usr/bin/python3 bench/compare.py
	@$(BUILD_DIR)/bin/bench_shell
	@$(BUILD_DIR)/bin/bench_graphics
	@$(BUILD_DIR)/bin/bench_render
	@node bench/page_latency.js $(BUILD_DIR)

# The fuzz targets, each run for FUZZ_SECONDS (clang's libFuzzer with the
# sanitizers, in a build folder of their own).
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_DIR) -G Ninja -DKESTREL_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_matfile fuzz_parser
	@./tools/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
