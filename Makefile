# make run: install what is missing, build, start the program.
# make test: install what is missing, build, run every test.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test sanitize tsan clean

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

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  $(MAKE) --no-print-directory test BUILD=build-asan CMAKE_FLAGS="-DSANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

# The run's threads under ThreadSanitizer: the gallery and batch front-end tests.
tsan:
	@$(MAKE) --no-print-directory build BUILD=build-tsan \
	  CMAKE_FLAGS="-DTSAN=ON -DKAMEOLA_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo"
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -L 'gallery|cli'

clean:
	rm -rf build build-asan build-tsan
