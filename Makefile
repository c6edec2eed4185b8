# Everything a fresh Debian 12 machine needs, then the build and the tests.
#   make run         install what is missing, build, start the game full screen; without a
#                    usable display, start it on Xvfb and save a screenshot of its opening
#   make test        install what is missing, build, run the whole test suite
#   make tables      build the endgame tables of both rule sets into build/bin/tables, beside
#                    the game (about two minutes; not part of make test)
#   make screenshot  resume a prepared game under Xvfb and save docs/screenshot.png and, with
#                    the Russian texts, docs/screenshot-ru.png
#   make arm         cross-build for the reader's 32-bit ARM (armhf) into build-arm
#   make test-arm    the same, then its tests and the perft counts under qemu-user

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

SHOTS ?= $(CURDIR)/shots

# The endgame tables: every material of up to TABLE_PIECES pieces, and the kings-only ones of
# up to TABLE_KINGS. The files are the same for every machine (little-endian throughout).
TABLE_PIECES ?= 4
TABLE_KINGS ?= 5
TABLES_DIR = $(BUILD)/bin/tables

# The engine and its tests; Qt 6 and its lrelease for the game (Qt 5.15 is installed by
# .ci/run); Xvfb, xdotool, xwd and ImageMagick for the smoke test, screenshots and `make run`
# without a display.
PACKAGES := cmake g++ make libgtest-dev \
    qt6-base-dev qt6-base-dev-tools qt6-l10n-tools libgl-dev fonts-dejavu-core \
    xvfb xauth xdotool x11-apps imagemagick

SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# The reader's 32-bit ARM: Debian's cross compiler, the armhf libraries the programs link and
# run on (installed beside the host's), and qemu-user to run them here. Without recommends:
# qemu-user's would register binfmt_misc handlers, which the build does not use.
ARM_BUILD ?= build-arm
ARM_PACKAGES := g++-arm-linux-gnueabihf qemu-user libstdc++6:armhf libgtest-dev:armhf
# The game's Qt for armhf; when it cannot be installed, only the engine, checkers-cli and
# engine-tests are built for ARM.
ARM_QT_PACKAGES := qt6-base-dev:armhf
# The share of the long randomized tests run under the emulator (CHECKERS_TEST_SCALE).
ARM_TEST_SCALE ?= 0.25

.PHONY: all deps configure build test tables run screenshot clean deps-arm arm test-arm

all: build

# Shell: those of the packages $(1) that are not installed.
missing_of = $$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done)
# Shell: installs those of the packages $(1) that are missing, with the apt-get options $(2).
# A failed update (one index mid-sync, say) still leaves the lists already there: the install
# decides whether they do.
install_missing = missing=$(call missing_of,$(1)); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    $(SUDO) apt-get update -qq || \
	        echo "apt-get update failed; installing from the package lists already there"; \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $(2) $$missing; \
	fi

deps:
	@$(call install_missing,$(PACKAGES))

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

tables: configure
	cmake --build $(BUILD) -j $(JOBS) --target checkers-cli
	for rules in english russian; do \
	    $(BUILD)/checkers-cli tables build --rules $$rules --pieces $(TABLE_PIECES) \
	        --kings $(TABLE_KINGS) --out $(TABLES_DIR) || exit 1; \
	done

run: build
	@if [ -n "$$DISPLAY" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then \
	    $(BUILD)/bin/checkers; \
	else \
	    bash scripts/opening-shot.sh $(BUILD)/bin $(SHOTS)/opening.png; \
	fi

screenshot: build
	bash scripts/screenshot.sh $(BUILD)/bin docs/screenshot.png
	bash scripts/screenshot.sh $(BUILD)/bin docs/screenshot-ru.png ru_RU.UTF-8

deps-arm: deps
	@dpkg --print-foreign-architectures | grep -qx armhf || $(SUDO) dpkg --add-architecture armhf
	@$(call install_missing,$(ARM_PACKAGES),--no-install-recommends)
	@$(call install_missing,$(ARM_QT_PACKAGES),--no-install-recommends) || \
	    echo "The armhf Qt could not be installed: the ARM build leaves out the game."

arm: deps-arm
	@game=$$([ -z "$(call missing_of,$(ARM_QT_PACKAGES))" ] && echo ON || echo OFF); \
	set -x; \
	cmake -S . -B $(ARM_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/armhf.cmake \
	    -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCHECKERS_BUILD_GAME=$$game $(CMAKE_FLAGS)
	cmake --build $(ARM_BUILD) -j $(JOBS)
	@echo "Endgame tables: 'make tables' writes them to $(TABLES_DIR); on the reader they go" \
	    "into the folder 'tables' beside the game's executable."

# The smoke test is left out: it starts the game from a shell script, which cannot run an ARM
# program without binfmt_misc.
test-arm: arm
	cd $(ARM_BUILD) && CHECKERS_TEST_SCALE=$(ARM_TEST_SCALE) \
	    ctest --output-on-failure -j $(JOBS) -E '^smoke-test$$'
	bash scripts/perft-check.sh qemu-arm $(ARM_BUILD)/checkers-cli

clean:
	rm -rf $(BUILD) $(ARM_BUILD)
