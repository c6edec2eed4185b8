# Everything a fresh Debian 12 machine needs, then the build and the tests.
#   make run         install what is missing, build, start the game full screen; without a
#                    usable display, start it on Xvfb and save a screenshot of its opening
#   make test        install what is missing, build, run the whole test suite
#   make screenshot  play a few moves under Xvfb and save docs/screenshot.png

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

SHOTS ?= $(CURDIR)/shots

# The engine and its tests; Qt 6 for the game (Qt 5.15 is installed by .ci/run); Xvfb,
# xdotool, xwd and ImageMagick for the smoke test, screenshots and `make run` without a display.
PACKAGES := cmake g++ make libgtest-dev \
    qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core \
    xvfb xauth xdotool x11-apps imagemagick

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps configure build test run screenshot clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then \
	    $(BUILD)/bin/checkers; \
	else \
	    bash scripts/opening-shot.sh $(BUILD)/bin $(SHOTS)/opening.png; \
	fi

screenshot: build
	bash scripts/screenshot.sh $(BUILD)/bin docs/screenshot.png

clean:
	rm -rf $(BUILD)
