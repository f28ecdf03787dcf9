# Inkspin: `make run` runs the saver, `make test` builds and runs every test. Both install what they need first.
BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DINKSPIN_WERROR=ON

# Debian 12 packages the build, the tests and the saver need.
PACKAGES = cmake g++ make pkg-config \
           liblzo2-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libx11-dev libpng-dev \
           qt6-base-dev libqt6opengl6-dev qt6-tools-dev libgtest-dev libbenchmark-dev xvfb xauth

.PHONY: all deps configure build test run golden clean

all: build

deps:
	@scripts/install-packages.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Rewrites tests/golden/frames/ from the current renderer: only on purpose, after looking at the new frames.
golden: build
	@cd $(BUILD) && INKSPIN_UPDATE_GOLDEN=1 tests/host_tests --gtest_filter='*GoldenFrames*' --gtest_brief=1

run: build
	@scripts/run.sh $(BUILD)

clean:
	@rm -rf $(BUILD) out
