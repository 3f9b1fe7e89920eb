# make        build setup.exe (build/win32/setup.exe), its 64-bit test twin (build/win64) and the test programs
# make test   every test: unit, binary, static, fuzz smoke, end to end under Wine, release checks,
#             then the time each step took
# make soak   the end-to-end suite N (10) times from fresh Wine prefixes, passes per case
# make demo   run the installer on the bundled demo
# make demo PKG=<folder>  a maker's dry run: the checker, then the wizard on that package folder,
#             Thai and English, Install and Update, with pictures of each page (build/demo-pkg/screens/)
# make bench  timings under Wine against floors of the same run, and the binary's size
# make fuzz   every fuzz target for FUZZ_SECONDS (60) seconds
# make check-package PKG=<folder> [CODEPAGE=<n>]  check a package folder before it ships
# make dist   the release folder and zip under build/dist/, signed given SIGN_PKCS12=<file.p12>
#             or SIGN_CERT=<cert.pem> SIGN_KEY=<key.pem> [SIGN_PASS_FILE=<file>] [SIGN_TIMESTAMP=<url>]
# make verify-dist [CA=<ca.pem>] [DIST=<folder>]  check a release folder: sums, signatures, the build
# make screenshots  the README's pictures of the four pages (docs/*.png), from the demo
# make e2e-vm the end-to-end suite of build/win32 inside an emulated machine, for hosts
#             that cannot run 32-bit programs (tools/vm/e2e-vm.sh)
BUILD  := build
WIN    := $(BUILD)/win32
WIN64  := $(BUILD)/win64
NATIVE := $(BUILD)/native
JOBS   := $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
NATIVE_CONFIG := -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=g++ -DCHECK_PACKAGE_DIR=$(CURDIR)/$(BUILD)/tools

.PHONY: all deps win32 win64 native test unit e2e e2e-vm soak resources static fuzz fuzz-smoke bench demo clean release dist verify-dist screenshots

all: win32 win64 tools

deps:
	@tools/install-deps.sh

# What each Windows build builds: everything, unless make test says less (below).
WIN32_TARGETS := all
WIN64_TARGETS := all

win32: deps
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(WIN) -j $(JOBS) --target $(WIN32_TARGETS)

# The same sources for 64-bit Windows, for the tests only: it runs where Wine
# cannot run 32-bit code. It never ships.
win64: deps
	@cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(WIN64) -j $(JOBS) --target $(WIN64_TARGETS)

# The builds this machine runs under Wine (all, or the first: the shipped one
# where it can), saying which and why.
wine_builds = $$(tools/wine-builds.sh "$(1)" $(WIN) $(WIN64) $(2))

native: deps
	@cmake -S . -B $(NATIVE) $(NATIVE_CONFIG) >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

.PHONY: tools check-package
# The package checker for Linux alone: $(BUILD)/tools/check-package.
tools: deps
	@cmake -S . -B $(NATIVE) $(NATIVE_CONFIG) >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS) --target check-package

# The checker alone needs only a C++ compiler and CMake, and a maker sees
# nothing but its report: the build speaks only when it fails.
CHECKER := $(BUILD)/checker
check-package:
	@test -n "$(PKG)" || { echo "usage: make check-package PKG=<folder> [CODEPAGE=<n>]" >&2; exit 2; }
	@tools/install-deps.sh --checker
	@mkdir -p $(CHECKER)
	@{ cmake -S . -B $(CHECKER) -DCHECKER_ONLY=ON -DCMAKE_BUILD_TYPE=Release \
	    -DCHECK_PACKAGE_DIR=$(CURDIR)/$(BUILD)/tools && \
	  env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL cmake --build $(CHECKER) --target check-package; \
	} >$(CHECKER)/build.log 2>&1 || { cat $(CHECKER)/build.log >&2; exit 2; }
	@$(BUILD)/tools/check-package $(if $(CODEPAGE),--codepage $(CODEPAGE)) "$(PKG)"

unit: native
	@cd $(NATIVE) && ctest --output-on-failure

resources: win32
	@tests/check-binary.sh $(WIN)/setup.exe
	@SETUP_EXE=$(WIN)/setup.exe /usr/bin/python3 -m unittest -q tests/test_check_binary.py

static: deps
	@tools/static-check.sh $(BUILD)/tidy

fuzz: deps
	@tests/fuzz/run.sh $(FUZZ_SECONDS) $(BUILD)/fuzz

fuzz-smoke: deps
	@tests/fuzz/run.sh 5 $(BUILD)/fuzz

bench: win32 win64
	@build=$(call wine_builds,make bench,--first) && \
	  cmake --build $$build -j $(JOBS) --target bench baseline floor && tests/bench/run.sh $$build

# The suite of the build a person sees here: the shipped one where this machine
# runs it, else its 64-bit twin (make soak runs both where both run). Only
# that build is brought up to date.
e2e: deps
	@build=$(call wine_builds,end-to-end suite,--first) && \
	  $(MAKE) --no-print-directory $$(test $$build = $(WIN) && echo win32 || echo win64) && \
	  tests/e2e/run.sh $$build

# The same suite in an emulated amd64 machine that runs 32-bit Wine.
e2e-vm: win32
	@tools/vm/e2e-vm.sh $(WIN)

# The end-to-end suite N times, each from a fresh Wine prefix: passes per case.
N ?= 10
soak: win32 win64
	@rc=0; for build in $(call wine_builds,soak); do tests/e2e/soak.sh $$build $(N) || rc=1; done; exit $$rc

# The release tools, the same bytes from a second build elsewhere, the release folder,
# the Linux and Windows checkers giving the same reports, signing.
release: win32 win64 tools
	@tests/check-reproducible.sh $(WIN)
	@tests/check-dist.sh $(WIN) $(BUILD)/dist-check $(BUILD)/tools/check-package $(WIN64)
	@build=$(call wine_builds,the checkers compared under Wine,--first) && \
	  packager/check-reports.sh $(BUILD)/tools/check-package $(BUILD)/check-reports $$build/check-package.exe \
	    $$build/codepage-check.exe $$build/console-screen.exe
	@tests/sign/check-signing.sh $(WIN) $(BUILD)/sign-check

# Each step in turn, stopping at the first that fails, with the time each took
# at the end. The Windows build whose suite runs here is built whole, the
# other only its shipped programs, which the binary and release checks read.
# The suite mostly waits on Wine: the native checks run beside it, at a lower
# priority; they share no build folder with it.
test: deps
	@if [ "$$(tools/wine-builds.sh "make test" $(WIN) $(WIN64) --first 2>/dev/null)" = $(WIN) ]; \
	  then run=win32 other=win64; else run=win64 other=win32; fi && \
	  tools/timed-steps.sh "make test" $(MAKE) --no-print-directory \
	    "$$(echo $$other | tr a-z A-Z)_TARGETS=setup check-package" \
	    -- "$$run e2e $$other resources | native unit static fuzz-smoke" release

# The SIGN_* variables reach tools/sign.sh through the environment: make
# exports those given on its command line.
dist: win32
	@tools/make-dist.sh $(WIN) $(BUILD)/dist

# The release folder make dist made, unless DIST names another; compared with
# the build in $(WIN) when there is one.
DIST = $(BUILD)/dist/mirabo-setup-$(shell sed -n 's/^ *VALUE "FileVersion", *"\([0-9.]*\)".*/\1/p' res/setup.rc)
verify-dist:
	@tools/verify-dist.sh $${CA:+--ca "$$CA"} $$(test -f $(WIN)/setup.exe && echo --build $(WIN)) "$(DIST)"

screenshots: win32 win64
	@env -u DISPLAY demo/run.sh $(call wine_builds,make screenshots,--first)
	@mkdir -p docs && cp $(BUILD)/demo/screens/*.png docs/
	@echo "docs/: $$(cd docs && ls *.png | tr '\n' ' ')"

demo: win32 win64
	@demo/run.sh $(call wine_builds,make demo,--first) $(if $(PKG),"$(PKG)")

clean:
	rm -rf $(BUILD)
