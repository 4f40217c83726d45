# Hestrel: `make` builds, `make test` builds and runs every test,
# `make run` installs what is missing, builds and starts the program.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all build configure test run deps clean package demo screenshots

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

clean:
	rm -rf $(BUILD)
