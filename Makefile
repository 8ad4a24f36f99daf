# The two commands of the README, plus benchmarks. Each one first makes sure the
# Debian packages it needs are installed, so a fresh machine needs nothing else.

PACKAGES := build-essential cmake qt6-base-dev libgtest-dev libgmock-dev \
            libbenchmark-dev nlohmann-json3-dev fonts-dejavu-core fonts-liberation2 \
            poppler-utils
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS := $(shell nproc 2>/dev/null || echo 2)
CORPUS ?= $(QUARVEL_CORPUS)

.PHONY: run test bench deps configure-release build-test clean

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:" $$missing; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing \
	  || { $(SUDO) apt-get update && \
	       $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; }; \
	fi

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
	./build/release/bench/quarvel-bench --benchmark_counters_tabular=true

clean:
	rm -rf build
