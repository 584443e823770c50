# Thin wrappers: install what is missing, configure, build, go.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build demo run test bench install package clean

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: deps $(BUILD)/CMakeCache.txt
	@env -u MAKEFLAGS -u MAKELEVEL cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run-gui $(BUILD)/bin/zentrova $(ARGS)

demo: build
	@scripts/demo $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# make install [PREFIX=/usr/local] [DESTDIR=/tmp/root]
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, in the build folder (zentrova_VERSION_ARCH.deb).
package: build
	@cd $(BUILD) && cpack -G DEB

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD)
