# Drives CMake. `make demo` runs an update against the simulated logger, `make test` all tests.
JOBS ?= 2
CMAKE_FLAGS ?=
BUILD := build

.PHONY: all deps build demo test test-unit test-asan test-tsan windows test-windows test-usb fuzz \
        bench screenshots format format-check clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	@scripts/demo $(BUILD)

test-unit: build
	ctest --test-dir $(BUILD) -j$(JOBS) --output-on-failure --timeout 300

test: test-unit windows format-check

test-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSDU_SANITIZER=address -DSDU_BUILD_QT=OFF
	cmake --build build-asan -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir build-asan -j$(JOBS) --output-on-failure --timeout 300

test-tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DSDU_SANITIZER=thread -DSDU_BUILD_QT=OFF
	cmake --build build-tsan -j$(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan -j$(JOBS) --output-on-failure --timeout 300

windows: deps
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DSDU_BUILD_QT=OFF -DSDU_BUILD_TESTS=OFF
	cmake --build build-windows -j$(JOBS) --target sdcore

FUZZ_TIME ?= 60

fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DSDU_BUILD_FUZZ=ON -DSDU_BUILD_QT=OFF -DSDU_BUILD_TESTS=OFF
	cmake --build build-fuzz -j$(JOBS) --target fuzz_hex_line fuzz_description_file
	mkdir -p build-fuzz/corpus && cp -r fuzz/corpus/. build-fuzz/corpus/
	build-fuzz/fuzz/fuzz_hex_line -max_total_time=$(FUZZ_TIME) build-fuzz/corpus/hex_line
	build-fuzz/fuzz/fuzz_description_file -max_total_time=$(FUZZ_TIME) -max_len=4096 \
	    build-fuzz/corpus/description_file

test-windows: deps build
	scripts/test-windows

# The programs against the kernel's ftdi_sio driver in a QEMU guest (docs/usb-bench.md). The
# script installs its own packages (tests/usb/install-deps) and caches the guest's kernel and
# initramfs in $(BUILD)/usb-bench/.
test-usb: build
	BUILD=$(BUILD) tests/usb/run

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSDU_BUILD_BENCH=ON
	cmake --build build-bench -j$(JOBS) --target bench_exchange sdupdate-cli loggersim
	build-bench/bench/bench_exchange
	bench/full_update.sh build-bench
	bench/parallel_update.sh build-bench

screenshots: build
	scripts/screenshots $(BUILD)

FORMAT_FILES = find src tests bench fuzz tools -name '*.cpp' -o -name '*.h'

format:
	$(FORMAT_FILES) | xargs clang-format -i

# Fails when a source differs from what `make format` would make of it.
format-check: deps
	$(FORMAT_FILES) | xargs clang-format --dry-run -Werror

clean:
	rm -rf build build-asan build-tsan build-windows build-fuzz build-bench
