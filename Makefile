# Orvanne: `make run` sets up, builds and renders the demo; `make test` sets up, builds
# and runs every test; `make build` builds the three targets.
JOBS ?= 2
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Release
NATIVE := build/linux
ASAN := build/asan
TSAN := build/tsan

# Ninja schedules the many small targets better than make (about 15 % less time on a build);
# a build folder made earlier with another generator keeps it.
generator = $(if $(wildcard $(1)/CMakeCache.txt),,-G Ninja)

.PHONY: check setup build build-native build-asan build-tsan build-win32 build-win64 test test-native test-asan test-tsan \
  test-wine test-fuzz test-dist dist run clean check-format format

setup:
	@bash tools/setup-deps.sh

build: setup build-native build-win32 build-win64

build-native:
	cmake -S . -B $(NATIVE) $(call generator,$(NATIVE)) $(CMAKE_FLAGS) -DORVANNE_DIST_DIR=$(CURDIR)/dist/linux \
	  -DORVANNE_LV2_DIST_DIR=$(CURDIR)/dist/lv2/orvanne.lv2
	cmake --build $(NATIVE) -j $(JOBS)

# The sanitizer builds' instrumentation changes inlining, which wakes flow-dependent warnings
# (string truncation) on code that the plain builds, where warnings are errors, accept.
# Every build but the native one runs the native build's picture tools when that build has made
# them (resources/CMakeLists.txt); without them it makes its own.
NATIVE_TOOLS := -DORVANNE_NATIVE_BUILD_DIR=$(CURDIR)/$(NATIVE)

build-asan:
	cmake -S . -B $(ASAN) $(call generator,$(ASAN)) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANNE_SANITIZE=ON -DORVANNE_WARNINGS_AS_ERRORS=OFF \
	  -DORVANNE_DIST_DIR=$(CURDIR)/build/asan/dist $(NATIVE_TOOLS)
	cmake --build $(ASAN) -j $(JOBS)

# ThreadSanitizer: only the programs of the threaded tests (label `threaded`, make test-tsan)
# and what they load.
TSAN_TARGETS := stress_editor_race_tests stress_threaded_tests
build-tsan:
	cmake -S . -B $(TSAN) $(call generator,$(TSAN)) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANNE_TSAN=ON -DORVANNE_WARNINGS_AS_ERRORS=OFF \
	  -DORVANNE_DIST_DIR=$(CURDIR)/build/tsan/dist $(NATIVE_TOOLS)
	cmake --build $(TSAN) -j $(JOBS) --target $(TSAN_TARGETS)

# The 32-bit DLL's test programs are built only where they can run: a kernel that runs 32-bit
# programs (Wine's 32-bit loader). Elsewhere the build makes the DLL alone (the installer and the
# zip take it), and test-wine reports those suites as skipped.
WINE32_RUNS := /usr/lib/wine/wine --version >/dev/null 2>&1
build-win32:
	cmake -S . -B build/win32 $(call generator,build/win32) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DORVANNE_DIST_DIR=$(CURDIR)/dist/win32 $(NATIVE_TOOLS)
	if $(WINE32_RUNS); then cmake --build build/win32 -j $(JOBS); else \
	  echo "build-win32: the DLL alone: this machine cannot run the 32-bit test programs"; \
	  cmake --build build/win32 -j $(JOBS) --target Orvanne; fi

build-win64:
	cmake -S . -B build/win64 $(call generator,build/win64) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DORVANNE_DIST_DIR=$(CURDIR)/dist/win64 $(NATIVE_TOOLS)
	cmake --build build/win64 -j $(JOBS)

# The format check comes first; like a failing suite it fails the run without stopping it.
# The runs after the builds do not build again (BUILT=1: dist takes what `make build` made).
test: build build-asan build-tsan
	$(MAKE) --no-print-directory -k BUILT=1 check-format test-native test-asan test-tsan test-wine test-fuzz test-dist

# Every tracked C++ source as .clang-format says (format fixes them in place).
check-format:
	bash tools/check-format.sh

format:
	bash tools/check-format.sh --fix

# The inner loop after a change: the native build and its unit and interface suites, without
# the real windows, the stress runs and the Windows builds.
check: build-native
	ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS) -LE "x11|stress|realhost"

test-native:
	ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS)

test-asan:
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS) -LE nosan

test-tsan:
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --test-dir $(TSAN) --output-on-failure -j $(JOBS) -L threaded

# The 32-bit DLL's suites need a kernel that runs 32-bit programs (Wine's 32-bit loader); on a
# machine without that support they are reported as skipped, and the 64-bit DLL's suites run.
test-wine:
	status=0; \
	if $(WINE32_RUNS); then \
	  ctest --test-dir build/win32 --output-on-failure -j $(JOBS) || status=1; \
	else \
	  echo "test-wine: SKIPPED the 32-bit DLL's suites: this machine cannot run 32-bit programs"; \
	fi; \
	ctest --test-dir build/win64 --output-on-failure -j $(JOBS) || status=1; \
	exit $$status

# libFuzzer targets, built natively with clang under AddressSanitizer, run side by side (one
# core each) for a bounded time from the checked-in seeds; any crash fails the run. Each
# fuzzer's output goes to its log, shown when both have ended.
FUZZ := build/fuzz
FUZZ_TIME ?= 30
FUZZ_TARGETS := ChunkFuzz PresetFileFuzz
test-fuzz:
	cmake -S . -B $(FUZZ) $(call generator,$(FUZZ)) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DORVANNE_FUZZ=ON "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" \
	  -DORVANNE_DIST_DIR=$(CURDIR)/$(FUZZ)/dist $(NATIVE_TOOLS)
	cmake --build $(FUZZ) -j $(JOBS) --target $(FUZZ_TARGETS)
	pids=; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ)/corpus/$$t; \
	  $(FUZZ)/tests/fuzz/$$t -max_total_time=$(FUZZ_TIME) -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	    $(FUZZ)/corpus/$$t tests/fuzz/seeds/$$t > $(FUZZ)/$$t.log 2>&1 & pids="$$pids $$!"; \
	done; \
	status=0; for p in $$pids; do wait $$p || status=1; done; \
	for t in $(FUZZ_TARGETS); do echo "--- $$t"; cat $(FUZZ)/$$t.log; done; \
	exit $$status

# The release files in dist/release/ (installer, zip, .deb, tar.gz, debug symbols, SHA256SUMS)
# from what `make build` made.
dist: $(if $(BUILT),,build)
	bash tools/dist.sh

# The packages as users install them: the .deb (lintian, install and purge in a throwaway root),
# the tar.gz's install.sh in a temporary home, the installer under Wine, and a second `make dist`
# that gives the same files and checksums.
test-dist: dist
	bash tests/dist/run.sh

run: build
	dist/linux/orvanne-render --demo --plot dist/demo.png dist/demo.wav

clean:
	rm -rf build dist
