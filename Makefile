# The two entry points of the project: `make run` and `make test`.
# Each installs the Debian packages it needs first (scripts/install-deps.sh):
# `make run` and `make build` only what building and running needs, `make test`
# also the test frameworks and tools. Run make as yourself; packages are
# installed through sudo, the program runs as you.
# `make replay LOG=FILE.csv` runs the program on a recorded log instead of the
# simulated board's own signals.

JOBS ?= $(shell nproc)
# The builds that cmake starts are makes of their own: without this each of
# them announces every directory it enters and leaves.
MAKEFLAGS += --no-print-directory
FUZZ_SECONDS ?= 600
CONFIGURE = cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: run replay test build deps test-deps package bench fuzz soak clean windows windows-test

deps:
	@scripts/install-deps.sh run

test-deps:
	@scripts/install-deps.sh test

# The program, the recorder and the simulator, nothing else (build/app/dezidure,
# build/recorder/dezidure-record, build/tools/dezidure-sim).
build: deps
	$(CONFIGURE)
	cmake --build build -j $(JOBS) --target dezidure dezidure-record dezidure-sim

run: build
	scripts/run.sh $(RUN_ARGS)

replay:
	@[ -n "$(LOG)" ] || { echo "usage: make replay LOG=FILE.csv" >&2; exit 2; }
	@$(MAKE) --no-print-directory run RUN_ARGS='--replay "$(abspath $(LOG))"'

test: test-deps
	scripts/test.sh

# A Debian package in build-package/ (scripts/package.sh).
package:
	@scripts/install-deps.sh package
	scripts/package.sh

bench: test-deps
	$(CONFIGURE) -DDEZIDURE_BENCH=ON
	cmake --build build -j $(JOBS) --target dezidure dezidure-sim dezidure-screenwatch dezidure_bench
	scripts/bench.sh

fuzz: test-deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

soak: test-deps
	$(CONFIGURE) -DBUILD_TESTING=ON
	scripts/soak.sh

# The Windows program, cross-built with MinGW-w64: build-windows/dezidure-windows-x86_64.zip
windows:
	scripts/windows.sh

# The same, plus every test under wine and the zip's program on a virtual display.
windows-test:
	scripts/windows.sh --test

clean:
	rm -rf build build-asan build-fuzz build-package build-windows
