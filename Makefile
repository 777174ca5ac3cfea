# Drives CMake. `make demo` runs an update against the simulated logger, `make test` all tests.
# Each target installs the Debian packages of its purpose first (scripts/install-deps).
JOBS ?= 2
CMAKE_FLAGS ?=
BUILD := build
# Qt for mingw, built by scripts/install-qt-mingw (make test-windows, make package).
QT_MINGW ?= $(shell scripts/install-qt-mingw --prefix)
export SDU_QT_MINGW_PREFIX := $(QT_MINGW)

.PHONY: all deps build build-tests demo test test-unit test-asan test-tsan windows test-windows test-usb fuzz \
        bench screenshots format format-check clean package test-package

all: build

deps:
	@scripts/install-deps

deps-%:
	@scripts/install-deps $*

# The tree starts without the tests (make demo needs no GoogleTest); make test switches them on.
$(BUILD)/CMakeCache.txt: | deps-build
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSDU_BUILD_TESTS=OFF $(CMAKE_FLAGS)

build: deps-build $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	@scripts/demo $(BUILD)

# The tree with its tests (and the bench's probe) switched on and built.
build-tests: deps-test $(BUILD)/CMakeCache.txt
	@grep -q '^SDU_BUILD_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DSDU_BUILD_TESTS=ON
	cmake --build $(BUILD) -j$(JOBS)

test-unit: build-tests
	ctest --test-dir $(BUILD) -j$(JOBS) --output-on-failure --timeout 300

test: test-unit windows format-check

test-asan: deps-test
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSDU_SANITIZER=address -DSDU_BUILD_QT=OFF
	cmake --build build-asan -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir build-asan -j$(JOBS) --output-on-failure --timeout 300

test-tsan: deps-test
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DSDU_SANITIZER=thread -DSDU_BUILD_QT=OFF
	cmake --build build-tsan -j$(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j$(JOBS) --output-on-failure --timeout 300

# The Windows core and the headless updater compile (make test; no Qt for mingw needed).
windows: deps-test
	cmake -S . -B build-windows-core -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DSDU_BUILD_QT=OFF -DSDU_BUILD_TESTS=OFF
	cmake --build build-windows-core -j$(JOBS) --target sdupdate-cli

FUZZ_TIME ?= 60

fuzz: deps-fuzz
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DSDU_BUILD_FUZZ=ON -DSDU_BUILD_QT=OFF -DSDU_BUILD_TESTS=OFF
	cmake --build build-fuzz -j$(JOBS) --target fuzz_hex_line fuzz_description_file
	mkdir -p build-fuzz/corpus && cp -r fuzz/corpus/. build-fuzz/corpus/
	build-fuzz/fuzz/fuzz_hex_line -max_total_time=$(FUZZ_TIME) build-fuzz/corpus/hex_line
	build-fuzz/fuzz/fuzz_description_file -max_total_time=$(FUZZ_TIME) -max_len=4096 \
	    build-fuzz/corpus/description_file

# The Windows build with the window, its tests and the programs run under wine
# (docs/windows.md). Needs the Linux tree for the simulated logger and the null-modem pairs.
test-windows: deps-windows build-tests
	scripts/test-windows

# The programs against the kernel's ftdi_sio driver in a QEMU guest (docs/usb-bench.md). The
# guest's kernel and initramfs are cached in $(BUILD)/usb-bench/.
test-usb: deps-usb build-tests
	BUILD=$(BUILD) tests/usb/run

bench: deps-bench
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSDU_BUILD_BENCH=ON
	cmake --build build-bench -j$(JOBS) --target bench_exchange sdupdate-cli loggersim
	build-bench/bench/bench_exchange
	bench/full_update.sh build-bench
	bench/parallel_update.sh build-bench

screenshots: deps-screenshots build
	scripts/screenshots $(BUILD)

# The .deb and the Windows zip into build-package/dist/, checked by lintian.
package: deps-package
	scripts/package

# The packages installed, run, removed (apt, as root), the zip's program under wine.
test-package: deps-package deps-windows package
	scripts/test-package

FORMAT_FILES = find src tests bench fuzz tools -name '*.cpp' -o -name '*.h'

format: deps-format
	$(FORMAT_FILES) | xargs clang-format -i

# Fails when a source differs from what `make format` would make of it.
format-check: deps-format
	$(FORMAT_FILES) | xargs clang-format --dry-run -Werror

clean:
	rm -rf build build-asan build-tsan build-windows build-windows-core build-fuzz build-bench \
	    build-package build-package-windows
