# Quick start: `make run` starts the saver, `make test` runs the whole test suite, `make deb`
# makes the Debian package, `make fuzz` fuzzes. All install the missing Debian packages first and
# build into $(BUILD) (`make fuzz` into $(FUZZ_BUILD)).

BUILD ?= build
CMAKE_ARGS ?=
JOBS ?= $(shell nproc)

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run config test deb fuzz windows windows-test windows-installer clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Starts the saver full screen on the current display. Where there is no display, renders a
# preview of this moment with your settings instead.
PREVIEW = $(abspath $(BUILD))/preview.png
run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD)/bin/chronivo-render --png "$(PREVIEW)" && \
		echo "No display here: wrote a preview of this moment with your settings to $(PREVIEW)" && \
		echo "On a display, start the saver with: make run  (or $(BUILD)/bin/chronivo /s)"; \
	else \
		$(BUILD)/bin/chronivo /s; \
	fi

# Opens the configuration dialog.
config: build
	$(BUILD)/bin/chronivo /c

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package $(BUILD)/chronivo_<version>_<architecture>.deb, made by CPack from the
# install rules in a build of its own, $(DEB_BUILD): RelWithDebInfo (unless CMAKE_ARGS says
# otherwise) with the flags Debian builds its packages with, every hardening feature on, and
# without tests or benchmarks. CMake reads no CPPFLAGS (which hold -D_FORTIFY_SOURCE=2), so they
# go in with the compiler flags. The package's programs are stripped.
DEB_BUILD = $(BUILD)/deb
deb: deps
	rm -f $(BUILD)/chronivo_*.deb $(DEB_BUILD)/chronivo_*.deb
	eval "$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)" && \
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCHRONIVO_BUILD_TESTS=OFF -DCHRONIVO_BUILD_BENCH=OFF \
		-DCMAKE_CXX_FLAGS="$$CPPFLAGS $$CXXFLAGS" \
		-DCMAKE_EXE_LINKER_FLAGS="$$LDFLAGS" $(CMAKE_ARGS)
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB
	cp $(DEB_BUILD)/chronivo_*.deb $(BUILD)/

# Builds the fuzz targets in fuzz/ with clang, libFuzzer and the address and undefined-behaviour
# sanitizers in $(FUZZ_BUILD), and runs them side by side for $(FUZZ_SECONDS) seconds, each from a
# copy of its seed corpus; fails when one crashes, and keeps the input in $(FUZZ_BUILD)/fuzz-crashes/.
fuzz: deps
	JOBS=$(JOBS) CMAKE_ARGS="$(CMAKE_ARGS)" fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Chronivo for Windows (x86-64): $(BUILD_WINDOWS)/bin/Chronivo.scr and the tests, cross-built
# with mingw-w64 against Qt for Windows, which scripts/build-qt-windows.sh builds once from
# Debian's own Qt source into $(QT_WINDOWS_CACHE) (about half an hour on two cores).
# `make windows-test` runs the tests under Wine (scripts/wine-run.sh).
BUILD_WINDOWS ?= build-windows
QT_WINDOWS_CACHE ?= $(HOME)/.cache/chronivo/qt-windows
windows:
	@scripts/install-deps.sh --windows
	qt=$$(scripts/build-qt-windows.sh "$(QT_WINDOWS_CACHE)" | tail -n 1) && \
	cmake -S . -B $(BUILD_WINDOWS) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE="$$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
		-DQT_CHAINLOAD_TOOLCHAIN_FILE="$$qt/mingw-toolchain.cmake" -DQT_HOST_PATH=/usr \
		-DCHRONIVO_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD_WINDOWS) -j $(JOBS)

# The tests that show windows get an X display of their own. The build's Wine prefix is made
# first, on its own: made by the first test, it can take longer than that test may.
windows-test: windows
	qt=$$(scripts/build-qt-windows.sh "$(QT_WINDOWS_CACHE)" | tail -n 1) && \
	scripts/wine-run.sh "$$qt" $(BUILD_WINDOWS)/wine-prefix cmd /c exit </dev/null
	cd $(BUILD_WINDOWS) && xvfb-run -a -s "-screen 0 1024x768x24" \
		ctest --output-on-failure -j $(JOBS)

# The installer chronivo-<version>-setup.exe and the zip chronivo-<version>-windows-x86_64.zip
# of that build, in $(BUILD_WINDOWS)/package/.
windows-installer: windows
	scripts/package-windows.sh $(BUILD_WINDOWS) $(BUILD_WINDOWS)/package

clean:
	rm -rf $(BUILD)
