# Thin wrappers around CMake: `make run`, `make test`, `make bench`, `make fuzz`.
BUILD    ?= build
PREFIX   ?= $(HOME)/Quorvel
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?=

DEB_PACKAGES := build-essential cmake pkg-config qt6-base-dev qt6-webengine-dev \
    qt6-image-formats-plugins libcurl4-openssl-dev libjpeg-dev libsimpleini-dev libzip-dev libicu-dev \
    libgtest-dev libgmock-dev libcpp-httplib-dev libbenchmark-dev xvfb xauth poppler-utils \
    fonts-dejavu-core clang libclang-rt-dev unzip zip p7zip-full python3 desktop-file-utils appstream

.PHONY: all deps configure build test bench fuzz run install package clean

all: build

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "Installing:$$missing"; \
	        apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	    else \
	        echo "Missing Debian packages. Run as root:"; \
	        echo "  apt-get update && apt-get install -y$$missing"; \
	        exit 1; \
	    fi; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Set QUORVEL_BENCH_LARGE=1 to list 100,000 titles too (about 5 GB, generated once).
bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD)-bench -j $(JOBS) --target quorvel_benchmarks make_collection
	cd $(BUILD)-bench && bash ../bench/run.sh

# libFuzzer harnesses of the parsers under ASan and UBSan, built with clang in their own folder
# (libclang-rt-dev brings libclang_rt.fuzzer); each runs FUZZ_SECONDS. Not part of `make test`.
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S fuzz -B $(BUILD)-fuzz -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	cd $(BUILD)-fuzz && FUZZ_SECONDS=$(FUZZ_SECONDS) bash $(CURDIR)/fuzz/run.sh

# The program keeps Options.ini and, by default, the collection beside its executable, so it
# runs from an installed copy: a rebuild or `make clean` never touches the user's data. Only
# the program is built for it, in a folder of its own: no test or benchmark.
install: deps
	cmake -S . -B $(BUILD)-run -DCMAKE_INSTALL_PREFIX=$(PREFIX) -DQUORVEL_BUILD_TESTS=OFF \
	    -DQUORVEL_BUILD_BENCH=OFF -DQUORVEL_BIN_DIR=. -DQUORVEL_INSTALL_DESKTOP_FILES=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD)-run -j $(JOBS) --target quorvel
	cmake --install $(BUILD)-run

run: install
	cd $(PREFIX) && ./quorvel

# A Debian package for every user of a machine: `apt install ./quorvel_*.deb`. Release build of
# the program alone, in a folder of its own; the package lands in the top folder.
package: deps
	cmake -S . -B $(BUILD)-package -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_TESTS=OFF \
	    -DQUORVEL_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD)-package -j $(JOBS)
	cd $(BUILD)-package && cpack
	cp $(BUILD)-package/quorvel_*.deb .

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-fuzz $(BUILD)-run $(BUILD)-package
