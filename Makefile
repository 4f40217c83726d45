# Hestrel: `make` builds, `make test` builds and runs every test,
# `make run` installs what is missing, builds and starts the program.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all build configure test run deps clean package demo screenshots bench fuzz sanitize

all: build

deps:
	scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: deps build
	$(BUILD)/hestrel

# The Debian package, built without tests: build-package/hestrel_*.deb
package:
	cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DHESTREL_TESTS=OFF
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack
	@ls build-package/hestrel_*.deb

# Two workstations and the alarm box simulator on this desktop (or under Xvfb).
demo: build
	scripts/demo $(BUILD)

screenshots: build
	scripts/screenshots $(BUILD)

# Benchmarks and the two-process measurements in their own Release build
# (build-bench); takes about 20 minutes and rewrites docs/performance.md.
bench: deps
	bench/bericht.sh build-bench

# The engine's fuzz targets (clang, libFuzzer) in build-fuzz, each run for
# FUZZ_SECONDS over the inputs kept in tests/fuzz/korpus.
FUZZ_SECONDS ?= 60
fuzz:
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DHESTREL_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target fuzzziele
	tests/fuzz/fuzzen build-fuzz $(FUZZ_SECONDS)

# Every test under the address and undefined-behaviour sanitizers (build-asan).
# Leaks inside system libraries are listed in .ci/lsan.supp; the program's own never are.
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp:print_suppressions=0
sanitize:
	$(SANITIZE_ENV) $(MAKE) test BUILD=build-asan BUILD_TYPE=Debug CMAKE_FLAGS="-DHESTREL_SANITIZE=ON $(CMAKE_FLAGS)"

clean:
	rm -rf $(BUILD)
