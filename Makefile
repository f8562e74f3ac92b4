# Orvik: the everyday commands. `make run` and `make test` work from a clean clone.
BUILD      ?= build
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
CMAKE_ARGS ?=

ARCH       := $(shell dpkg --print-architecture 2>/dev/null)

# Debian packages the build, the tests and the demo need (the compression libraries and their
# tools: compressed logs are read as their text). Hyperscan (plain-text highlight
# rules found in one sweep) is packaged for amd64 only; elsewhere the rules search one by one.
DEPS = cmake g++ make pkg-config qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev libtsan2 libpcre2-dev \
       libbenchmark-dev poppler-utils logrotate xvfb xauth imagemagick \
       clang libclang-rt-14-dev desktop-file-utils appstream dpkg-dev file \
       fonts-dejavu-core adwaita-icon-theme xdotool dbus at-spi2-core python3-pyatspi \
       zlib1g-dev libzstd-dev liblzma-dev libbz2-dev gzip zstd xz-utils bzip2 \
       $(if $(filter amd64,$(ARCH)),libhyperscan-dev)

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test bench run sanitize tsan fuzz install package clean

all: build

deps:
	@missing=$$(dpkg-query -W -f='$${Package} $${Status}\n' $(DEPS) 2>/dev/null \
	    | awk '$$NF == "installed" { print $$1 }' > .deps-present; \
	    for p in $(DEPS); do grep -qx "$$p" .deps-present || echo $$p; done); \
	rm -f .deps-present; \
	if [ -n "$$missing" ]; then \
	    echo "Installing: $$missing"; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_ARGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DORVIK_BUILD_TESTS=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	@set -e; for b in $(BUILD)-bench/bench/bench_*; do \
	    [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; \
	    QT_QPA_PLATFORM=offscreen "$$b" --benchmark_min_time=0.05; done

# Installs the program with its launcher, icons, AppStream data, man page and About file under
# $(PREFIX), staged under $(DESTDIR) when that is set. A system prefix needs root:
# `sudo make install`; `make install PREFIX=$$HOME/.local` needs none.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# Builds the Debian package $(BUILD)/orvik_<version>_<arch>.deb with CPack, then checks its
# control fields and, unpacked into a scratch root, its files.
package: build
	cd $(BUILD) && cpack -G DEB
	@version=$$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$$/\1/p' $(BUILD)/CPackConfig.cmake); \
	deb=$(BUILD)/orvik_$${version}_$$(dpkg --print-architecture).deb; \
	tests/package/deb_test.sh $(BUILD) $(BUILD)/package-check "$$version" "$$deb" && \
	echo "Package: $$deb"

# Builds, then follows a demo log that tools/demolog.sh keeps appending to until Orvik exits.
run: build
	tools/run-demo.sh $(BUILD)/orvik

# The whole test suite under AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer,
# in its own build folder. -O1 keeps the instrumented tests quick; the Debug configuration keeps
# Q_ASSERT on. Any report fails the test that caused it.
SANITIZE_ENV = \
	ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:print_stacktrace=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0

sanitize: deps
	cmake -S . -B $(BUILD)-sanitize -DORVIK_SANITIZE=ON -DORVIK_BUILD_BENCH=OFF \
	    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" $(CMAKE_ARGS)
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && $(SANITIZE_ENV) QT_QPA_PLATFORM=offscreen \
	    ctest --output-on-failure -j $(JOBS)

# The whole suite under ThreadSanitizer, in its own build folder: work handed between threads
# is proven by it, not by a green ordinary run. Qt itself is not instrumented, so Orvik hands
# work over with the standard library's threads and locks, which ThreadSanitizer sees; the
# suppressions may name Qt's own frames only. Any report fails the test that caused it. Tests
# that start programs fork from a process with threads; the child only runs exec.
TSAN_ENV = \
	TSAN_OPTIONS=halt_on_error=1:abort_on_error=0:die_after_fork=0:second_deadlock_stack=1:history_size=4:suppressions=$(CURDIR)/tests/sanitize/tsan.supp

tsan: deps
	cmake -S . -B $(BUILD)-tsan -DORVIK_TSAN=ON -DORVIK_BUILD_BENCH=OFF \
	    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" $(CMAKE_ARGS)
	cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && $(TSAN_ENV) QT_QPA_PLATFORM=offscreen \
	    ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang, with AddressSanitizer and UBSan) for every reader of outside
# text, each run for FUZZ_SECONDS from the checked-in seeds; new inputs collect in the build
# folder, crashes are written to $(BUILD)-fuzz/crashes/ and fail the run. The targets in
# FUZZ_SLOW manage only some tens of inputs a second, so they run FUZZ_SLOW_FACTOR times
# longer to reach a few thousand.
FUZZ_SECONDS ?= 30
FUZZ_SLOW = fuzz_document_utf8 fuzz_shell_settings
FUZZ_SLOW_FACTOR = 4
FUZZ_FLAGS = -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined \
             -fno-omit-frame-pointer

fuzz: deps
	cmake -S . -B $(BUILD)-fuzz -DCMAKE_CXX_COMPILER=clang++ -DORVIK_FUZZ=ON \
	    -DORVIK_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)" $(CMAKE_ARGS)
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target orvik_fuzzers
	@set -e; mkdir -p $(BUILD)-fuzz/crashes; \
	for f in $(BUILD)-fuzz/tests/fuzz/fuzz_*; do \
	    [ -f "$$f" ] && [ -x "$$f" ] || continue; name=$$(basename $$f); \
	    seconds=$(FUZZ_SECONDS); \
	    case " $(FUZZ_SLOW) " in *" $$name "*) seconds=$$(($(FUZZ_SECONDS) * $(FUZZ_SLOW_FACTOR)));; esac; \
	    mkdir -p $(BUILD)-fuzz/corpus/$$name tests/fuzz/corpus/$$name; \
	    echo "== $$name ($$seconds s)"; \
	    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
	    "$$f" -max_total_time=$$seconds -timeout=10 -rss_limit_mb=2048 \
	        -print_final_stats=1 -artifact_prefix=$(BUILD)-fuzz/crashes/$$name- \
	        $(BUILD)-fuzz/corpus/$$name tests/fuzz/corpus/$$name >$(BUILD)-fuzz/$$name.log 2>&1 \
	        || { tail -n 60 $(BUILD)-fuzz/$$name.log; exit 1; }; \
	    grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)|^Done " $(BUILD)-fuzz/$$name.log \
	        || true; \
	done

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-sanitize $(BUILD)-tsan $(BUILD)-fuzz
