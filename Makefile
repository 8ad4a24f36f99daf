# The two commands of the README, plus benchmarks. Each one first makes sure the
# Debian packages it needs are installed, so a fresh machine needs nothing else.

PACKAGES := build-essential cmake qt6-base-dev zlib1g-dev libgtest-dev libgmock-dev \
            libbenchmark-dev nlohmann-json3-dev fonts-dejavu-core fonts-liberation2 \
            qt6-translations-l10n \
            poppler-utils libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0 \
            libqt6opengl6-dev xvfb xauth help2man desktop-file-utils
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc 2>/dev/null || echo 2)
CORPUS ?= $(QUARVEL_CORPUS)

# What the test of the compression command under Wine needs: Wine and a cross
# compiler for the stand-in of the simulator's converter. `.ci/run` installs
# them; elsewhere that test is skipped unless `make deps-wine` was run once.
WINE_PACKAGES := wine wine64 gcc-mingw-w64-x86-64-win32

# The installed programs and the Debian package come from a release build of
# the programs alone. `make install` puts them under PREFIX, asking for the
# password only when PREFIX is not the user's to write.
PREFIX ?= /usr/local
PACKAGE_BUILD := build/package
SCREENSHOT_PACKAGES := xvfb xdotool imagemagick

# What the Windows build needs: the posix-threads cross compiler (the core
# uses std::thread), zlib for Windows, GoogleTest's sources to compile with
# the same compiler, the header-only JSON library, and Wine to run the tests.
WINDOWS_PACKAGES := cmake g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest \
                    nlohmann-json3-dev wine wine64 xvfb xauth
WINDOWS_BUILD := build/windows
# A Wine prefix of the build's own, so that the tests never touch the user's.
WINDOWS_WINEPREFIX := $(abspath build/wine-prefix)
# The Linux quarvel-cli whose answers the Windows one must give.
LINUX_CLI ?= build/release/src/quarvel-cli

.PHONY: run test bench deps deps-wine deps-windows build-windows test-windows format-check \
        configure-release build-test clean build-package install uninstall deb screenshots

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
# Wine's OpenGL (the pictures' hidden window) needs a display: a virtual
# one, with a Wine server started under it.
test-windows: build-windows
	@[ -x "$(LINUX_CLI)" ] || $(MAKE) configure-release
	@[ -x "$(LINUX_CLI)" ] || cmake --build build/release --target quarvel-cli -j $(JOBS)
	mkdir -p $(WINDOWS_WINEPREFIX)
	export WINEPREFIX=$(WINDOWS_WINEPREFIX) WINEDEBUG=-all; wineserver -k 2>/dev/null; \
	  xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'wineboot --init >/dev/null 2>&1; \
	    cd $(WINDOWS_BUILD) && QUARVEL_CORPUS="$(CORPUS)" QUARVEL_LINUX_CLI="$(abspath $(LINUX_CLI))" \
	    ctest --output-on-failure -j $(JOBS) --repeat until-pass:2; status=$$?; wineserver -k; exit $$status'

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

test: build-test deb
	cd build/test && QT_QPA_PLATFORM=offscreen QUARVEL_CORPUS="$(CORPUS)" \
	  QUARVEL_DEB="$$(ls $(CURDIR)/$(PACKAGE_BUILD)/quarvel_*.deb)" \
	  ctest --output-on-failure -j $(JOBS)

bench: configure-release
	cmake --build build/release --target quarvel-bench -j $(JOBS)
	QUARVEL_CORPUS="$(CORPUS)" ./build/release/bench/quarvel-bench --benchmark_counters_tabular=true

build-package: deps
	cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUARVEL_BUILD_TESTS=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)

install: build-package
	@folder="$(PREFIX)"; while [ ! -d "$$folder" ]; do folder=$$(dirname "$$folder"); done; \
	  if [ -w "$$folder" ]; then sudo=; else sudo="$(SUDO)"; fi; \
	  echo "Installing into $(PREFIX)"; \
	  $$sudo cmake --install $(PACKAGE_BUILD) --prefix "$(PREFIX)"

# Removes the files the last `make install` installed, as CMake listed them,
# and the program's own data folder; the prefix's folders stay.
uninstall:
	@test -f $(PACKAGE_BUILD)/install_manifest.txt || { echo "Nothing was installed from here."; exit 1; }
	@first=$$(head -1 $(PACKAGE_BUILD)/install_manifest.txt); \
	  if [ -w "$$(dirname "$$first")" ]; then sudo=; else sudo="$(SUDO)"; fi; \
	  while read -r file || [ -n "$$file" ]; do \
	    $$sudo rm -fv "$$file"; \
	    case "$$file" in */share/quarvel/*) data=$$(dirname "$$file");; esac; \
	  done < $(PACKAGE_BUILD)/install_manifest.txt; \
	  if [ -n "$${data:-}" ]; then $$sudo rmdir --ignore-fail-on-non-empty "$$data"; fi

deb: build-package
	rm -f $(PACKAGE_BUILD)/quarvel_*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB
	@ls $(PACKAGE_BUILD)/quarvel_*.deb

# The README's pictures of the window, made under a virtual display.
screenshots: build-package
	$(call install-missing,$(SCREENSHOT_PACKAGES))
	QUARVEL_CORPUS="$(CORPUS)" docs/screenshots.sh $(PACKAGE_BUILD)

clean:
	rm -rf build
