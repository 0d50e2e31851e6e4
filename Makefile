# make        builds build/zelvo and the default data pack in build/data
# make run    plays the show
# make test   runs every test
# make test-sanitize   the suite and a whole-show capture under ASan and UBSan
# make fuzz [FUZZ_SECONDS=60]   each libFuzzer harness for that long
# make video [VIDEO_FROM=0 VIDEO_TO=160704 VIDEO_SIZE=800x600 VIDEO_AA=1]   the show as build/zelvo.mp4 at 60 fps with sound
# make sheet   docs/scenes.png, one frame of every scene, for the README
# make bench [BENCH_RUNS=3 BENCH_FRAMES=60]   the bench before (--reference) and after
# make install [PREFIX=/usr/local]   bin/zelvo, share/zelvo/data, the manual page, the menu entry, the icon
# make deb     build/zelvo_<version>_amd64.deb, installing under /usr
# make dist    dist/zelvo-<version>-linux-x86_64.tar.gz, run from its unpacked folder
# make test-package   the package, the tarball and make install checked as a user meets them (as root)
# make windows  build-win64/zelvo.exe cross-built, and dist/zelvo-<version>-win64.zip
# make test-windows   the Windows unit tests and the zip's program under wine, against the Linux build
# make web     build-web/index.html with its script, WebAssembly and data, for a browser
# make web-serve   serves build-web on 127.0.0.1 and prints the address
# make dist-web    dist/zelvo-<version>-web.zip, the page's folder for any static web server
# make test-web    the zip and the browser build in headless Chromium, against the Linux build
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
VIDEO ?= $(BUILD)/zelvo.mp4
VIDEO_FROM ?= 0
VIDEO_TO ?= 160704
VIDEO_SIZE ?= 800x600
VIDEO_AA ?= 1
BENCH_RUNS ?= 3
BENCH_FRAMES ?= 60
PREFIX ?= /usr/local
WINDOWS_BUILD ?= build-win64
WEB_BUILD ?= build-web
WEB_PORT ?= 8000
VERSION := $(shell grep -m1 -o 'zelvo VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
# Debian's emscripten finds its JavaScript modules (acorn) where Debian's node looks.
export NODE_PATH := /usr/share/nodejs

.PHONY: all run test setup configure clean test-sanitize fuzz video sheet bench install deb dist test-package \
	windows test-windows web web-serve dist-web test-web

all: configure
	cmake --build $(BUILD)

setup:
	@scripts/setup.sh

configure: setup
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

run: all
	cd $(BUILD) && ./zelvo

test: all
	cd $(BUILD) && ctest --output-on-failure -j2

video: all
	$(BUILD)/zelvo --dir $(BUILD) --capture $(abspath $(VIDEO)) --fps 60 --from $(VIDEO_FROM) --to $(VIDEO_TO) \
		--size $(VIDEO_SIZE) --aa $(VIDEO_AA)

bench: all
	scripts/bench-compare.sh $(BUILD) $(BENCH_RUNS) $(BENCH_FRAMES)

sheet: all
	scripts/scene-sheet.sh $(BUILD) docs/scenes.png

test-sanitize: setup
	@test -f $(SANITIZE_BUILD)/build.ninja || cmake -S . -B $(SANITIZE_BUILD) -G Ninja \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD)
	scripts/test-sanitize.sh $(SANITIZE_BUILD)

fuzz: setup
	@test -f $(FUZZ_BUILD)/build.ninja || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_FUZZ=ON
	cmake --build $(FUZZ_BUILD)
	scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

deb: all
	cd $(BUILD) && cpack -G DEB

dist: all
	cmake --build $(BUILD) --target dist

test-package: deb dist
	scripts/test-package.sh $(BUILD)

# The data pack comes from the Linux build; libmpg123 and libpng from Debian's
# source packages, built once into $(WINDOWS_BUILD)/deps.
windows: all
	@scripts/setup.sh --windows
	scripts/windows-deps.sh $(WINDOWS_BUILD)
	@test -f $(WINDOWS_BUILD)/build.ninja || cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake -DZELVO_WINDOWS_DEPS=$(abspath $(WINDOWS_BUILD))/deps \
		-DZELVO_HOST_DATA=$(abspath $(BUILD))/data
	cmake --build $(WINDOWS_BUILD) --target zelvo zip

test-windows: windows
	cmake --build $(WINDOWS_BUILD)
	scripts/test-windows.sh $(BUILD) $(WINDOWS_BUILD)

# The data pack comes from the Linux build and is preloaded into the page.
web: all
	@scripts/setup.sh --web
	@test -f $(WEB_BUILD)/build.ninja || emcmake cmake -S . -B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DZELVO_HOST_DATA=$(abspath $(BUILD))/data
	cmake --build $(WEB_BUILD)

web-serve: web
	node scripts/web-serve.js $(WEB_BUILD) $(WEB_PORT)

dist-web: web
	cmake --build $(WEB_BUILD) --target dist-web

test-web: dist-web
	node tests/web/test_web.js $(BUILD) $(WEB_BUILD) dist/zelvo-$(VERSION)-web.zip

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) $(WEB_BUILD)
