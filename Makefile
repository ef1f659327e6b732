# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run dist package package-chroot install reproducible sanitize fuzz valgrind windows test-windows clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

run: build
	@scripts/run-demo $(BUILD)

# The source tarball in dist/: the tree without debian/, its version in VERSION (a snapshot's
# version between releases).
dist:
	@scripts/dist dist

# The Debian packages, the source package and the binary ones, built with dpkg-buildpackage from
# debian/ into $(BUILD)/deb and checked by lintian; as root they are then installed over the
# previous release's packages, run (the autopkgtests) and purged. `make test` has
# run the tests already, so the package build skips its own run unless DEB_BUILD_OPTIONS says.
DEB_BUILD_OPTIONS ?= nocheck parallel=$(JOBS)
package: deps
	@DEB_BUILD_OPTIONS="$(DEB_BUILD_OPTIONS)" scripts/build-package $(BUILD)/deb
	@scripts/check-deb-install $(BUILD)/deb

# The same build in a minimal chroot of this machine's Debian release with only the declared
# build dependencies, once without and once with the tests (long; not part of CI).
package-chroot:
	@scripts/install-deps chroot
	@JOBS=$(JOBS) scripts/build-package-chroot $(BUILD)/deb-chroot

# Installs the stripped programs below PREFIX (default /usr/local); DESTDIR is honoured.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX) --strip

# Two package builds in different folders must give the same .deb files byte for byte.
reproducible: deps
	@scripts/check-reproducible

sanitize: deps
	@cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMORLITH_SANITIZE=ON >/dev/null
	@cmake --build build-sanitize -j$(JOBS)
	@cd build-sanitize && QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  ctest --output-on-failure -j$(JOBS)

valgrind: build
	@scripts/run-valgrind $(BUILD)

FUZZ_SECONDS ?= 60
FUZZ_TARGETS = fuzz_package fuzz_config fuzz_hex fuzz_replies fuzz_ihex fuzz_srec fuzz_elf fuzz_telnet fuzz_rfc2217 fuzz_recipe
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORLITH_FUZZ=ON \
	  -DBUILD_TESTING=OFF -DMORLITH_FOLDERS="base;device;device/ports;persistence;formats;packages;signatures;records;operation;unit" >/dev/null
	@cmake --build build-fuzz -j$(JOBS) --target $(FUZZ_TARGETS)
	@scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Windows x64: morlith.exe and morlith-cli.exe cross-built with MinGW-w64 (Qt built once from
# Debian's source into a cache), packed into dist/ (zip and installer); tested under Wine. The
# host build renders the icon.
WINDOWS_BUILD ?= build-windows
windows: configure
	@scripts/install-deps windows
	@JOBS=$(JOBS) MORLITH_LINUX_BUILD=$(BUILD) scripts/build-windows $(WINDOWS_BUILD)

test-windows: windows build
	@scripts/test-windows $(WINDOWS_BUILD) $(BUILD)

clean:
	@rm -rf $(BUILD) build-sanitize build-fuzz $(WINDOWS_BUILD) dist
