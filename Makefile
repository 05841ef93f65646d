# Notavo: the two set-up commands (make run, make test) and a few more for developers.
# Everything is built with CMake in build/; the office folder build/office/ holds the program
# and is its data folder.

BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

# Debian packages needed to build, test and run (installed only when one is missing).
PACKAGES = cmake g++ make pkg-config qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins \
           libgl-dev xvfb xauth x11-utils xdotool trayer desktop-file-utils appstream \
           fonts-dejavu-core

.PHONY: all deps build run test office launcher bench bench-run stress fuzz test-asan clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Builds, then starts Notavo in its office folder (under Xvfb when there is no display).
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  cd $(BUILD)/office && ./Notavo; \
	else \
	  echo "No display found: starting Notavo on a virtual X display (xvfb-run)."; \
	  cd $(BUILD)/office && xvfb-run -a ./Notavo; \
	fi

# Builds, then runs every test.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The benchmark (never a unit test): latency, idle CPU, start-up time and memory.
bench: build
	cmake -S . -B $(BUILD) -DNOTAVO_BUILD_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS) --target notavo_bench

bench-run: bench
	$(BUILD)/bench/notavo_bench

# Puts Notavo into a shared office folder: make office DIR=/srv/office
office: build
	@test -n "$(DIR)" || { echo "Usage: make office DIR=<folder>"; exit 2; }
	cmake --install $(BUILD) --prefix "$(DIR)"
	@echo "Notavo is in $(DIR); that folder is its data folder."

# Adds a menu entry for the current user: make launcher DIR=/srv/office
launcher:
	@test -n "$(DIR)" || { echo "Usage: make launcher DIR=<folder>"; exit 2; }
	tools/install-launcher.sh "$(DIR)"

clean:
	rm -rf $(BUILD)
