# Torvane's front door. Every target installs what is missing first.
.PHONY: all deps build web web-test web-bench demo test test-locale screenshots gui asan fuzz bench package package-check clean

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

# The page in build-web/ (index.html, torvane.js, torvane.wasm): the core
# compiled to WebAssembly by Debian's emscripten, whose optimiser needs
# Debian's node modules (acorn).
emscripten_env = NODE_PATH=/usr/share/nodejs
web: deps
	@$(emscripten_env) cmake --preset web >/dev/null
	@$(emscripten_env) cmake --build --preset web -j $(JOBS)

# The page in headless Chromium against torvane-cli; pictures of the page
# in build-web/screenshots/.
page_test = node web/tests/page_test.mjs build-web build/torvane-cli build/loggen examples
web-test: build web
	@$(page_test)

# An 80 MB log converted to KML in the page and by torvane-cli.
web-bench: build web
	@$(page_test) --bench 200000

demo: build
	@scripts/demo build

# A window test under a loaded machine may miss a frame once: each test
# gets a second try, and a fault that is real fails both.
test: build web
	@ctest --preset default -j $(JOBS) --repeat until-pass:2
	@echo "== the same tests under a locale with a decimal comma (de_DE.UTF-8) =="
	@LC_ALL=de_DE.UTF-8 ctest --preset default -j $(JOBS) --repeat until-pass:2
	@$(take_screenshots)
	@echo "== the page in headless Chromium =="
	@$(page_test)

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
	rm -rf build build-asan build-release build-fuzz build-wasm build-web
