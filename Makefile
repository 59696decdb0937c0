# The two entry points of the project: `make run` and `make test`.
# Both install missing build dependencies first (scripts/install-deps.sh).

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 600

.PHONY: run test build deps bench fuzz soak clean

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

run: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS) --target dezidure dezidure-sim
	scripts/run.sh

test: deps
	scripts/test.sh

bench: build
	scripts/bench.sh

fuzz: deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

soak: build
	scripts/soak.sh

clean:
	rm -rf build build-asan build-fuzz
