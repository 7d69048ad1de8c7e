# SPDX-License-Identifier: MIT
# make run: install what is missing, build, start the program.
# make test: install what is missing, build, run every test.
# make deb: install what is missing, build the Debian packages in build-deb/.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test sanitize tsan deb clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/kameola

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, built with warnings
# as errors.
sanitize:
	@LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(MAKE) --no-print-directory test BUILD=build-asan CMAKE_FLAGS="-DSANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DWERROR=ON"

# The run's threads under ThreadSanitizer: the common, platform, gallery and batch front-end
# tests.
tsan:
	@$(MAKE) --no-print-directory build BUILD=build-tsan \
	  CMAKE_FLAGS="-DTSAN=ON -DKAMEOLA_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo"
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -L 'common|platform|gallery|cli'

# The packages kameola and kameola-cli, from a copy of the tracked tree in build-deb/src
# (dpkg-buildpackage writes its results beside the source): the .debs, .changes and
# .buildinfo end up in build-deb/.
deb: deps
	@scripts/build-deb.sh build-deb

clean:
	rm -rf build build-asan build-tsan build-werror build-deb
