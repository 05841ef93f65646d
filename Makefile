# Notavo: the two set-up commands (make run, make test) and a few more for developers.
# Everything is built with CMake in build/; the office folder build/office/ holds the program
# and is its data folder.

BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

# Debian packages needed to build, test and run (installed only when one is missing).
PACKAGES = cmake g++ make pkg-config qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins \
           libgl-dev xvfb xauth x11-utils xdotool trayer desktop-file-utils appstream \
           fonts-dejavu-core dbus-daemon weston xwayland x11-xkb-utils e2fsprogs bindfs fuse3 \
           samba smbnetfs smbclient sshfs openssh-server openssh-client help2man \
           syncthing \
           patchelf debootstrap lxqt-panel dbus-bin

# Installs the Debian packages of $(1) that are missing (apt-get only when one is; it waits while
# another package manager holds the lock).
install_missing = tools/install-packages.sh $(1)

.PHONY: all deps build werror run test office office-check launcher bench bench-run stress fuzz \
        test-asan format format-check clean

all: build

deps:
	@$(call install_missing,$(PACKAGES))

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Builds with warnings as errors; $(BUILD) keeps the setting (-DNOTAVO_WERROR=OFF undoes it).
werror: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DNOTAVO_WERROR=ON
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

# Puts Notavo into a shared office folder and protects it (as root): make office DIR=/srv/office
office: build
	@test -n "$(DIR)" || { echo "Usage: make office DIR=<folder> [DESTDIR=<staging folder>]"; exit 2; }
	DESTDIR="$(DESTDIR)" tools/make-office.sh $(BUILD) "$(DIR)"

# Reports what in an office folder the people sharing it could change: make office-check DIR=...
office-check:
	@test -n "$(DIR)" || { echo "Usage: make office-check DIR=<folder>"; exit 2; }
	tools/check-office.sh "$(DIR)"

# Adds a menu entry for the current user (SYSTEM=1: for every user of this computer, as root):
# make launcher DIR=/srv/office
launcher:
	@test -n "$(DIR)" || { echo "Usage: make launcher DIR=<folder> [SYSTEM=1]"; exit 2; }
	tools/install-launcher.sh $(if $(SYSTEM),--system) "$(DIR)"

clean:
	rm -rf $(BUILD)

# ---- Reliability and security checks -------------------------------------------------------

# The multi-process, crash, fault and hostile-folder tests at full size (4 writers x 500
# messages, 200 kills during a save); each test is bounded by `timeout`.
STRESS_TESTS = tst_ConcurrentWriters tst_CrashDuringWrite tst_StoreFaults tst_HostileFolder \
               tst_HostileContents tst_HostileNames
STRESS_SECONDS ?= 600

stress: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target notavo_stress_child $(STRESS_TESTS)
	@cd $(BUILD)/tests/reliability && for t in $(STRESS_TESTS); do \
	  echo "== $$t (full size)"; \
	  NOTAVO_STRESS=1 QT_QPA_PLATFORM=offscreen timeout $(STRESS_SECONDS) ./$$t > $$t.stress.log 2>&1; \
	  rc=$$?; grep -E -A2 "^(QINFO|FAIL|XFAIL|SKIP|Totals)" $$t.stress.log | grep -v "^--"; \
	  [ $$rc -eq 0 ] || { echo "$$t FAILED (exit $$rc; log: $(BUILD)/tests/reliability/$$t.stress.log)"; exit 1; }; \
	done; echo "stress: all passed"

# libFuzzer runs of the store's parsers and codec, FUZZ_SECONDS each, in their own clang build.
FUZZ_BUILD    ?= build-fuzz
FUZZ_TARGETS   = fuzz_first_field fuzz_whole_text fuzz_cp1252
FUZZ_SECONDS  ?= 30
FUZZ_PACKAGES  = clang libclang-rt-14-dev

fuzz: deps
	@$(call install_missing,$(FUZZ_PACKAGES))
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DNOTAVO_FUZZ=ON \
	      -DNOTAVO_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  echo "== $$t ($(FUZZ_SECONDS) s; new inputs go to $(FUZZ_BUILD)/corpus/$$t)"; \
	  $(FUZZ_BUILD)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/$$t- $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t \
	    > $(FUZZ_BUILD)/$$t.log 2>&1 || { tail -40 $(FUZZ_BUILD)/$$t.log; echo "$$t FOUND A FAULT"; exit 1; }; \
	  grep -E "^(Done|stat::number_of_executed_units)" $(FUZZ_BUILD)/$$t.log; \
	done

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer. Leak stacks are
# taken with the slow unwinder: Qt is built without frame pointers, and the suppressions in
# tests/lsan.supp must see the frames inside it.
ASAN_BUILD ?= build-asan
# The office folder on other releases is checked by the plain build: a sanitized program cannot
# run in a minimal root without the sanitizer runtime.
ASAN_CTEST_ARGS ?= -LE releases

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DNOTAVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && \
	  ASAN_OPTIONS=fast_unwind_on_malloc=0:detect_stack_use_after_return=1:strict_init_order=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) $(ASAN_CTEST_ARGS)

# ---- Code format ---------------------------------------------------------------------------

# Every tracked C++ file, formatted by the committed .clang-format (format-check changes nothing
# and fails on a file that differs).
FORMAT_PACKAGES = clang-format git
FORMAT_FILES    = git ls-files -z -- '*.cpp' '*.h'

format:
	@$(call install_missing,$(FORMAT_PACKAGES))
	$(FORMAT_FILES) | xargs -0 clang-format -i

format-check:
	@$(call install_missing,$(FORMAT_PACKAGES))
	@$(FORMAT_FILES) | xargs -0 clang-format --dry-run --Werror \
	  && echo "format: every file follows .clang-format" \
	  || { echo "Files differ from .clang-format: run make format"; exit 1; }
