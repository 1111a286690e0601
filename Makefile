# The two commands: `make run` and `make test`. Each installs what is
# missing, configures and builds first.

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
CTEST_ARGS ?=

.PHONY: all deps configure build run test test-size mutate goldens bench examples screenshots package clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ]; then echo "make run needs a display (DISPLAY is not set)."; exit 1; fi
	$(BUILD)/app/triview

# The tests build with warnings as errors (a user's `make run` does not).
test: CMAKE_FLAGS += -DTRIVIEW_WERROR=ON
test: build
	./scripts/with-display.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# Writes the golden pictures of the frame tests and of the thumbnail anew
# from what the device draws now; look at them (git diff shows which
# changed) before committing.
goldens: build
	TRIVIEW_UPDATE_GOLDENS=1 ./scripts/with-display.sh $(BUILD)/tests/view/frame_test
	$(BUILD)/app/triview --render tests/render/golden/demo-thumbnail.png --size 128x128 --fit --transparent

# Lines of tests against lines of program; fails above 40%.
test-size:
	@./scripts/test-size.sh

# Injects each fault of tests/mutants.json into a private copy and runs the
# suite on it: the count of faults caught is the suite's sharpness.
# MUTANTS="id ..." tries only those.
mutate: deps
	./scripts/mutate.py --jobs $(JOBS) $(MUTANTS)

# The Debian packages of the release this runs on, in $(BUILD): triview's,
# and triview-kde-thumbnailer's where KDE's plugin is built.
package: build
	cd $(BUILD) && cpack

bench: build
	@./scripts/install-deps.sh bench
	./scripts/with-display.sh ./scripts/run-benchmarks.sh $(BUILD)

examples: build
	$(BUILD)/examples/generate_examples examples

screenshots: build
	@./scripts/install-deps.sh screenshots
	./scripts/screenshots.sh $(BUILD)/app/triview docs/screenshots

clean:
	rm -rf $(BUILD)
