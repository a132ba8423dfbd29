# Two entry points: `make run` opens the command window on the library just
# built, `make test` builds everything and runs the test suite. Both install
# missing Debian packages first (a quick no-op when nothing is missing).
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean format

all: build

deps:
	@./tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@$(BUILD_DIR)/bin/kestrel-host

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@BUILD_DIR=$(BUILD_DIR) /usr/bin/python3 bench/compare.py

clean:
	rm -rf $(BUILD_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')
