# Inkspin: `make run` runs the saver, `make test` builds and runs every test. Both install what they need first.
BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DINKSPIN_WERROR=ON

# Debian 12 packages the build, the tests and the saver need; the compositors the idle watcher is tested under come
# without what they recommend (a whole desktop).
PACKAGES = cmake g++ make pkg-config \
           liblzo2-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libx11-dev libx11-xcb-dev \
           libpng-dev libwayland-dev wayland-protocols plasma-wayland-protocols libxkbcommon-dev libsystemd-dev \
           sway grim wtype weston dbus qt6-wayland \
           qt6-base-dev libqt6opengl6-dev qt6-tools-dev libgtest-dev libbenchmark-dev xvfb xauth \
           libxml2-utils mandoc groff-base xscreensaver xscreensaver-gl

.PHONY: all deps configure build test run golden fuzz bench package mutate clean

all: build

COMPOSITORS = kwin-wayland mutter

deps:
	@scripts/install-packages.sh $(PACKAGES)
	@scripts/install-packages.sh --no-recommends $(COMPOSITORS)

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The tests run twice: as built, and with every target of ours under AddressSanitizer and UBSan (leaks included;
# tests/sanitizers/lsan.supp names the leaks of Mesa and Qt that are not ours).
ASAN_BUILD ?= build-asan
# Mesa's driver is preloaded so that it is never unloaded before the leak check, which must name it.
MESA_DRIVER = $(firstword $(wildcard /usr/lib/*/dri/swrast_dri.so))
SANITIZER_ENV = LD_PRELOAD=$(MESA_DRIVER) \
                ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:verify_asan_link_order=0 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test: build package
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_ARGS) -DINKSPIN_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# Start and frame costs on the headless context, each frame beside its floor (see bench/FrameBench.cpp).
bench: build
	@$(BUILD)/bench/inkspin_bench --benchmark_counters_tabular=true

# Rewrites tests/golden/frames/ from the current renderer: only on purpose, after looking at the new frames.
golden: build
	@cd $(BUILD) && INKSPIN_UPDATE_GOLDEN=1 tests/host_tests --gtest_filter='*GoldenFrames*' --gtest_brief=1

# The Debian package, $(BUILD)/inkspin_VERSION_amd64.deb: a Release build for /usr with Debian's hardening flags,
# stripped, packed by CPack (cmake/Packaging.cmake); dpkg-shlibdeps computes its dependencies. Warnings stay
# warnings here, so that a new compiler's false alarm does not stop a package build.
PACKAGE_BUILD ?= build-package
package: export DEB_BUILD_MAINT_OPTIONS = hardening=+all
package: deps
	@scripts/install-packages.sh dpkg-dev lintian
	@cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DINKSPIN_TESTS=OFF \
	       -DINKSPIN_WERROR=OFF -DCMAKE_C_FLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	       -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	       -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@mkdir -p $(BUILD)
	@cd $(PACKAGE_BUILD) && cpack -B $(CURDIR)/$(BUILD) >/dev/null && rm -rf $(CURDIR)/$(BUILD)/_CPack_Packages
	@ls $(BUILD)/inkspin_*.deb

run: build
	@scripts/run.sh $(BUILD)

# Plants each fault of tests/mutations.txt in turn and reports those the tests it names did not notice
# (make mutate WORD=save: only the faults whose description holds "save"). FULL=1 runs the whole suite against each
# fault and writes which tests caught which to build/mutate-table.txt (hours, not minutes).
WORD ?=
FULL ?=
mutate: build
	@FULL=$(FULL) scripts/mutate.sh $(BUILD) "$(WORD)"

# libFuzzer on the packed object, the preferences file and the command line, SECONDS each (clang, installed here).
SECONDS ?= 60
fuzz: deps
	@scripts/install-packages.sh clang libclang-rt-14-dev
	@cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	       -DINKSPIN_FUZZ=ON -DINKSPIN_TESTS=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_packed_object fuzz_preferences_file fuzz_command_line
	@scripts/fuzz.sh build-fuzz $(SECONDS)

clean:
	@rm -rf $(BUILD) build-asan build-fuzz $(PACKAGE_BUILD) out
