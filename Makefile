# Torvane's front door. Every target installs what is missing first.
.PHONY: all deps build demo test test-locale screenshots gui asan fuzz bench package package-check clean

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

# Pictures of the main window and its dialogs in build/screenshots/, when
# the desktop program is built.
take_screenshots = if [ -x build/app/tests/screenshot_test ]; then \
	  cmake --build --preset default --target screenshots; \
	else echo "the desktop program was not built: no screenshots"; fi

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

demo: build
	@scripts/demo build

test: build
	@ctest --preset default -j $(JOBS)
	@echo "== the same tests under a locale with a decimal comma (de_DE.UTF-8) =="
	@LC_ALL=de_DE.UTF-8 ctest --preset default -j $(JOBS)
	@$(take_screenshots)

screenshots: build
	@$(take_screenshots)

gui: build
	@test -x build/app/torvane || { echo "the desktop program was not built (is Qt 6 installed?)"; exit 1; }
	@build/app/torvane

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

# The Debian package torvane_VERSION_ARCH.deb in build/, and its checks.
package: build
	@cd build && cpack -G DEB >/dev/null
	@ls build/torvane_*.deb

package-check: package
	@scripts/package-check build

# Builds the libFuzzer targets (clang) and runs each for FUZZ_SECONDS.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@scripts/fuzz build-fuzz $(FUZZ_SECONDS)

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@scripts/bench build-release

clean:
	rm -rf build build-asan build-release build-fuzz
