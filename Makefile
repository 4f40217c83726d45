# Hestrel: `make` builds, `make test` builds and runs every test,
# `make run` builds and starts the program. Each installs first what a fresh
# Debian 12 machine lacks (quick when everything is present).
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all build configure test desktop-test test-samba run deps clean package demo screenshots bench fuzz sanitize tsan tidy format format-check

all: build

deps:
	scripts/install-deps

# Configures the first time and again whenever the build type or CMAKE_FLAGS
# differ from those of the last configuration, kept in $(BUILD)/konfiguration.
# A changed configuration starts from a fresh cache, so a flag left out is
# gone too; objects whose compile line stays the same are not built again.
KONFIGURATION = -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
configure: export HESTREL_KONFIGURATION = $(KONFIGURATION)
configure: deps
	@if [ ! -f $(BUILD)/build.ninja ] || [ "$$(cat $(BUILD)/konfiguration 2>/dev/null)" != "$$HESTREL_KONFIGURATION" ]; then \
	  frisch=; if [ -f $(BUILD)/CMakeCache.txt ]; then frisch=--fresh; fi; \
	  echo "cmake $$frisch -S . -B $(BUILD) $$HESTREL_KONFIGURATION"; \
	  cmake $$frisch -S . -B $(BUILD) $(KONFIGURATION) && \
	  printf '%s' "$$HESTREL_KONFIGURATION" > $(BUILD)/konfiguration; \
	fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The tests on real desktops (label arbeitsflaeche) and on a real SMB share
# (label samba) need root and packages of their own: `make desktop-test` and
# `make test-samba` run them.
test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE "arbeitsflaeche|samba"

# The real program on GNOME Shell, KWin and openbox, each started in a private
# namespace (tests/arbeitsflaeche/sitzung); installs the desktops first. As root.
desktop-test: build
	scripts/install-desktop-deps
	cd $(BUILD) && ctest --output-on-failure -L arbeitsflaeche

# The real programs on a real SMB share (a Samba server on the loopback, a FUSE
# mount per desk; needs root), about 3 minutes; skipped without Samba unless CI is set.
test-samba: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -L samba

run: build
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

# The engine's fuzz targets (clang, libFuzzer, warnings as errors) in
# build-fuzz, each run for FUZZ_SECONDS over the inputs kept in tests/fuzz/korpus.
FUZZ_SECONDS ?= 60
fuzz:
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DHESTREL_FUZZ=ON -DHESTREL_WERROR=ON
	cmake --build build-fuzz -j $(JOBS) --target fuzzziele
	tests/fuzz/fuzzen build-fuzz $(FUZZ_SECONDS)

# Every test under the address and undefined-behaviour sanitizers (build-asan).
# Leaks inside system libraries are listed in .ci/lsan.supp; the program's own never are.
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp:print_suppressions=0
sanitize:
	$(SANITIZE_ENV) $(MAKE) test BUILD=build-asan BUILD_TYPE=Debug CMAKE_FLAGS="-DHESTREL_SANITIZE=ON $(CMAKE_FLAGS)"

# The tests that start real threads (the share service's workers, the sound
# file reader and output, the real program) under the thread sanitizer, in
# build-tsan with gcc (clang 14's runtime breaks where Qt starts a process).
# Every report of every process fails the run; only system libraries are
# suppressed (.ci/tsan.supp).
TSAN_ZIELE = hestrel hestrel-msg kestu-sim stoerfs fokusfenster test_core test_exchange test_einstellungen \
	test_tonausgabe test_pruefung_prozess test_exchange_prozess test_exchange_stoerungen test_exchange_antwort \
	test_anwesenheit_prozess test_tray test_device_zwei test_xserver
TSAN_BERICHTE = $(CURDIR)/build-tsan/tsan-berichte
tsan:
	$(MAKE) configure BUILD=build-tsan BUILD_TYPE=RelWithDebInfo \
	  CMAKE_FLAGS="-DHESTREL_TSAN=ON -DCMAKE_CXX_COMPILER=g++ $(CMAKE_FLAGS)"
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_ZIELE)
	rm -rf $(TSAN_BERICHTE) && mkdir -p $(TSAN_BERICHTE)
	@cd build-tsan && QT_QPA_PLATFORM=offscreen \
	  TSAN_OPTIONS="log_path=$(TSAN_BERICHTE)/bericht suppressions=$(CURDIR)/.ci/tsan.supp second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) -L "faeden|dateidienst"; rc=$$?; \
	if ls $(TSAN_BERICHTE)/bericht.* >/dev/null 2>&1; then \
	  cat $(TSAN_BERICHTE)/bericht.*; echo "tsan: reports above" >&2; exit 1; fi; \
	echo "tsan: no report"; exit $$rc

# clang-tidy's bug-prone and concurrency checks (.clang-tidy) over every file
# of src/ in the compile database of $(BUILD); fails on any finding.
tidy: build
	run-clang-tidy -p $(BUILD) -quiet -j $(JOBS) '^$(CURDIR)/src/' 2>&1 | sed 's/\x1b\[[0-9;]*m//g' > $(BUILD)/tidy.log; \
	grep -E "(warning|error): .*\[(bugprone|concurrency)-" $(BUILD)/tidy.log | sort -u; \
	if grep -qE "(warning|error): .*\[(bugprone|concurrency)-" $(BUILD)/tidy.log; then exit 1; fi; \
	echo "tidy: no finding"

# The code's layout follows .clang-format; format rewrites, format-check only reports.
QUELLEN = $(shell git ls-files 'src/*.h' 'src/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.h' 'bench/*.cpp')
format: deps
	clang-format -i $(QUELLEN)
format-check: deps
	@clang-format --dry-run -Werror $(QUELLEN) && echo "format-check: ok"

clean:
	rm -rf $(BUILD)
