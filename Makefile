# Panemark — the two everyday commands are `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
ARGS ?=
FUZZ_SECONDS ?= 60

CMAKE_CONFIGURE = cmake -S . -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON

PREFIX ?= $(HOME)/.local

.PHONY: all deps unit-deps test-deps build unit-build test-build run install package check test test-desktops bench-desktops test-asan test-tsan bench fuzz fuzz-minimize format format-check clean

all: build

# What building and running need; what testing needs on top (the test desktops among it).
deps:
	@scripts/install-deps.sh

unit-deps:
	@scripts/install-deps.sh --unit

test-deps:
	@scripts/install-deps.sh --test

$(BUILD_DIR)/build.ninja:
	$(CMAKE_CONFIGURE) -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# A build folder made before the tests' libraries were there is configured again.
RECONFIGURE_FOR_TESTS = grep -q '^PANEMARK_HAS_TESTS:INTERNAL=ON' $(BUILD_DIR)/CMakeCache.txt || \
	$(CMAKE_CONFIGURE) -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

# The program and all its tests.
test-build: test-deps $(BUILD_DIR)/build.ninja
	@$(RECONFIGURE_FOR_TESTS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The program and the unit tests only: no test desktop is installed or built for.
unit-build: unit-deps $(BUILD_DIR)/build.ninja
	@$(RECONFIGURE_FOR_TESTS)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target unit_tests

# On a desktop: the resident program (Ctrl+C stops it). Without a display: the demo desktop.
run: build
	@if [ -n "$$DISPLAY" ]; then $(BUILD_DIR)/src/panemark $(ARGS); \
	else PANEMARK=$(BUILD_DIR)/src/panemark scripts/demo-desktop.sh; fi

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A Debian package of the program with its menu entry, icons, file type and man page, in
# build/package/.
package: build
	@scripts/install-deps.sh --package
	cd $(BUILD_DIR) && cpack --config CPackConfig.cmake

test: test-build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The unit tests alone (no desktop installed or started), a minute or less after a build, and
# the format check.
check: unit-build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS) -L unit
	@scripts/check-format.sh

format-check: unit-deps
	@scripts/check-format.sh

# The whole suite again on the desktops of newer Debian releases (Debian 13 and testing), each
# in a test root kept in ~/.cache/panemark/roots with its own build and compiler cache. Needs
# root. GENERATIONS=trixie picks one.
GENERATIONS ?=
test-desktops:
	JOBS=$(JOBS) scripts/desktop-roots.sh test $(GENERATIONS)

# The desktop benchmarks (KWin, GNOME Shell, sway, i3) on the newer releases' desktops.
bench-desktops:
	JOBS=$(JOBS) scripts/desktop-roots.sh bench $(GENERATIONS)

# The whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, and under ThreadSanitizer.
# What Qt and libdbus (not built with the sanitizer) free or copy is left out of ThreadSanitizer's
# reports: suppressed anyway, such a report could crash the sanitizer's runtime as it was made.
test-asan: test-deps
	$(CMAKE_CONFIGURE) -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPANEMARK_SANITIZE=address
	cmake --build build-asan -j $(JOBS)
	LSAN_OPTIONS="suppressions=$(CURDIR)/tests/lsan.supp" \
	    ctest --test-dir build-asan --output-on-failure -j $(JOBS)

test-tsan: test-deps
	$(CMAKE_CONFIGURE) -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DPANEMARK_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp ignore_noninstrumented_modules=1" \
	    ctest --test-dir build-tsan --output-on-failure -j $(JOBS)

bench:
	@scripts/install-deps.sh --bench
	@$(MAKE) --no-print-directory test-build
	@for b in $(BUILD_DIR)/bench/bench_*; do echo "== $$b"; $$b; done

# libFuzzer targets (clang), each run for FUZZ_SECONDS. fuzz/corpus/ holds a minimized corpus
# (a few hundred files); what a run grows stays in build-fuzz/corpus/, outside the tree.
# `make fuzz-minimize` merges that back into fuzz/corpus/ keeping only inputs that add coverage.
fuzz:
	@scripts/install-deps.sh --fuzz
	CC=clang CXX=clang++ $(CMAKE_CONFIGURE) -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPANEMARK_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@for f in build-fuzz/fuzz/fuzz_*; do \
	    name=$$(basename $$f); mkdir -p build-fuzz/corpus/$$name; \
	    echo "== $$name for $(FUZZ_SECONDS) s"; \
	    $$f -max_total_time=$(FUZZ_SECONDS) -timeout=5 -rss_limit_mb=2048 \
	        -artifact_prefix=fuzz/ build-fuzz/corpus/$$name fuzz/corpus/$$name fuzz/seeds \
	        fuzz/regressions || exit 1; \
	done

fuzz-minimize:
	@for f in build-fuzz/fuzz/fuzz_*; do \
	    name=$$(basename $$f); rm -rf build-fuzz/minimized/$$name; \
	    mkdir -p build-fuzz/minimized/$$name build-fuzz/corpus/$$name; \
	    $$f -merge=1 -use_counters=0 -timeout=5 -rss_limit_mb=2048 build-fuzz/minimized/$$name \
	        fuzz/seeds fuzz/regressions fuzz/corpus/$$name build-fuzz/corpus/$$name || exit 1; \
	    rm -rf fuzz/corpus/$$name && cp -r build-fuzz/minimized/$$name fuzz/corpus/$$name; \
	    echo "$$name: $$(ls fuzz/corpus/$$name | wc -l) files"; \
	done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) build-asan build-tsan build-fuzz
