# Entry points for a fresh Debian 12 machine; see README.md.
BUILD_DIR := build
JOBS ?= 2

.PHONY: all deps configure build app run run-xvfb gallery test bench package format clean

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

# The shared UI kit's gallery, in the desktop session.
gallery: configure
	cmake --build $(BUILD_DIR) --target sharedui-gallery -j $(JOBS)
	$(BUILD_DIR)/SharedUI/gallery/sharedui-gallery

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The Debian package (build/package/pilewatch_<version>_<arch>.deb): the app and
# its data, without building the tests.
package: configure
	cmake --build $(BUILD_DIR) --target pilewatch pilewatch-icons pilewatch-docs -j $(JOBS)
	cpack --config $(BUILD_DIR)/CPackConfig.cmake -B $(BUILD_DIR)/package

bench: build
	$(BUILD_DIR)/bench/pilewatch-bench
	$(BUILD_DIR)/bench/pilewatch-panel-bench $${PILEWATCH_BENCH_DIR:-/var/tmp/pilewatch-bench}/medium
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/sharedui-bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
