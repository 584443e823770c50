# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Zentrova developers
# Thin wrappers: install what is missing, configure, build, go.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build demo run test test-sanitize bench install package dist clean

deps:
	@scripts/install-deps

# ccache, where the machine has it, serves every build folder and checkout.
CCACHE := $(shell command -v ccache 2>/dev/null)

$(BUILD)/CMakeCache.txt: | deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)) >/dev/null

build: deps $(BUILD)/CMakeCache.txt
	@env -u MAKEFLAGS -u MAKELEVEL cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run-gui $(BUILD)/bin/zentrova $(ARGS)

demo: build
	@scripts/demo $(BUILD)

# Every test, then the layout of every source against .clang-format.
test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)
	@scripts/check-format

# Every test once more in a build with AddressSanitizer, LeakSanitizer and
# UBSan, in a folder of its own. Debug at -O1: it builds about as fast as
# -O0 and runs the tests several times faster. Every process the tests start
# (zentrova-cli, zentrova-sim) writes its reports into one folder; any report
# there fails the run, also one from a child whose exit nobody checked.
# Leaks inside Qt and the system libraries under it are suppressed
# (tests/lsan.supp), never leaks of our own code. intercept_tls_get_addr=0:
# the image plugins Qt loads at run time have thread-local data whose range
# this GCC's LeakSanitizer misreads, and its leak check at exit then crashes
# instead of reporting.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_REPORTS = $(CURDIR)/$(SANITIZE_BUILD)/sanitizer-reports

$(SANITIZE_BUILD)/CMakeCache.txt: | deps
	@cmake -S . -B $(SANITIZE_BUILD) -DZENTROVA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
	  "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)) >/dev/null

test-sanitize: deps $(SANITIZE_BUILD)/CMakeCache.txt
	@env -u MAKEFLAGS -u MAKELEVEL cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	@rm -rf $(SANITIZE_REPORTS) && mkdir -p $(SANITIZE_REPORTS)
	@cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:intercept_tls_get_addr=0:log_path=$(SANITIZE_REPORTS)/asan \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:log_path=$(SANITIZE_REPORTS)/ubsan \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j$(JOBS); status=$$?; \
	  if [ -n "$$(ls -A $(SANITIZE_REPORTS))" ]; then \
	    cat $(SANITIZE_REPORTS)/*; echo "test-sanitize: the sanitizers reported the faults above" >&2; exit 1; \
	  fi; exit $$status

# make install [PREFIX=/usr/local] [DESTDIR=/tmp/root]
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, in the build folder (zentrova_VERSION_ARCH.deb).
package: build
	@cd $(BUILD) && cpack -G DEB

# The source tarball of the committed tree, zentrova-VERSION.tar.gz in the
# build folder; unpacked on a fresh machine, `make test` builds and tests it.
VERSION := $(shell sed -n 's/^project.zentrova VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dist:
	@git rev-parse --git-dir >/dev/null 2>&1 || { echo "make dist: the tarball is made from a git checkout" >&2; exit 1; }
	@git diff --quiet HEAD || echo "make dist: changes not committed are not in the tarball" >&2
	@mkdir -p $(BUILD)
	@git archive --format=tar.gz --prefix=zentrova-$(VERSION)/ -o $(BUILD)/zentrova-$(VERSION).tar.gz HEAD
	@echo $(BUILD)/zentrova-$(VERSION).tar.gz

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD)
