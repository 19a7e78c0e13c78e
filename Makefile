# Quick start: `make run` starts the saver, `make test` runs the whole test suite, `make deb`
# makes the Debian package. All install the missing Debian packages first and build into $(BUILD).

BUILD ?= build
CMAKE_ARGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run config test deb clean

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
# install rules (RelWithDebInfo unless CMAKE_ARGS says otherwise; the package is stripped).
deb: build
	rm -f $(BUILD)/chronivo_*.deb
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
