# The two commands of the README, plus benchmarks. Each one first makes sure the
# Debian packages it needs are installed, so a fresh machine needs nothing else.

PACKAGES := build-essential cmake qt6-base-dev zlib1g-dev libgtest-dev libgmock-dev \
            libbenchmark-dev nlohmann-json3-dev fonts-dejavu-core fonts-liberation2 \
            qt6-translations-l10n \
            poppler-utils libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0 \
            libqt6opengl6-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc 2>/dev/null || echo 2)
CORPUS ?= $(QUARVEL_CORPUS)

# What the test of the compression command under Wine needs: Wine and a cross
# compiler for the stand-in of the simulator's converter. `.ci/run` installs
# them; elsewhere that test is skipped unless `make deps-wine` was run once.
WINE_PACKAGES := wine wine64 gcc-mingw-w64-x86-64-win32

# What the Windows build needs: the posix-threads cross compiler (the core
# uses std::thread), zlib for Windows, GoogleTest's sources to compile with
# the same compiler, the header-only JSON library, and Wine to run the tests.
WINDOWS_PACKAGES := cmake g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest \
                    nlohmann-json3-dev wine wine64
WINDOWS_BUILD := build/windows
# A Wine prefix of the build's own, so that the tests never touch the user's.
WINDOWS_WINEPREFIX := $(abspath build/wine-prefix)
# The Linux quarvel-cli whose answers the Windows one must give.
LINUX_CLI ?= build/release/src/quarvel-cli

.PHONY: run test bench deps deps-wine deps-windows build-windows test-windows format-check \
        configure-release build-test clean

# Installs those of the packages $(1) that are missing.
define install-missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:" $$missing; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing \
	  || { $(SUDO) apt-get update && \
	       $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; }; \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

deps-wine:
	$(call install-missing,$(WINE_PACKAGES))

deps-windows:
	$(call install-missing,$(WINDOWS_PACKAGES))

# The core, quarvel-cli.exe and the core's tests for 64-bit Windows, without
# Qt (Debian has none for mingw) and so without the window and --print-pdf.
build-windows: deps-windows
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DQUARVEL_BUILD_GUI=OFF -DQUARVEL_GTEST_SOURCE=/usr/src/googletest
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# The core's tests under Wine, then the Windows quarvel-cli.exe against the
# Linux one on every corpus shape. Wine now and then fails to start a
# process at all (no output, no time); a test that fails runs once more.
test-windows: build-windows
	@[ -x "$(LINUX_CLI)" ] || $(MAKE) configure-release
	@[ -x "$(LINUX_CLI)" ] || cmake --build build/release --target quarvel-cli -j $(JOBS)
	mkdir -p $(WINDOWS_WINEPREFIX)
	export WINEPREFIX=$(WINDOWS_WINEPREFIX) WINEDEBUG=-all; wineboot --init >/dev/null 2>&1; \
	  cd $(WINDOWS_BUILD) && QUARVEL_CORPUS="$(CORPUS)" QUARVEL_LINUX_CLI="$(abspath $(LINUX_CLI))" \
	    ctest --output-on-failure -j $(JOBS) --repeat until-pass:2; status=$$?; wineserver -k; exit $$status

# Every source file as the repository's .clang-format lays it out.
format-check:
	$(call install-missing,clang-format)
	find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | \
	  xargs -0 clang-format --dry-run -Werror

configure-release: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release

build-test: deps
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DQUARVEL_SANITIZE=ON
	cmake --build build/test -j $(JOBS)

run: configure-release
	cmake --build build/release --target quarvel -j $(JOBS)
	./build/release/src/quarvel

test: build-test
	cd build/test && QT_QPA_PLATFORM=offscreen QUARVEL_CORPUS="$(CORPUS)" \
	  ctest --output-on-failure -j $(JOBS)

bench: configure-release
	cmake --build build/release --target quarvel-bench -j $(JOBS)
	QUARVEL_CORPUS="$(CORPUS)" ./build/release/bench/quarvel-bench --benchmark_counters_tabular=true

clean:
	rm -rf build
