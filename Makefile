# Entry points for a fresh Debian 12 machine; see README.md.
BUILD_DIR := build
JOBS ?= 2

.PHONY: all deps configure build app run run-xvfb test bench format clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt CMakePresets.json
	cmake --preset default -B $(BUILD_DIR)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Only the executable: starting the app needs none of the tests.
app: configure
	cmake --build $(BUILD_DIR) --target pilewatch -j $(JOBS)

run: app
	@scripts/run-app.sh $(BUILD_DIR)/Heftwick/pilewatch

run-xvfb: app
	@scripts/run-app.sh --xvfb $(BUILD_DIR)/Heftwick/pilewatch

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench: build
	$(BUILD_DIR)/bench/pilewatch-bench
	$(BUILD_DIR)/bench/pilewatch-panel-bench $${PILEWATCH_BENCH_DIR:-/var/tmp/pilewatch-bench}/medium

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
