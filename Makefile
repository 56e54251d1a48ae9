# The two commands of the README (make demo, make test) and their helpers; each installs what is missing first.
.PHONY: deps build test test-sanitize demo bench fuzz soak

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

test: build
	ctest --preset default

test-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

demo: build
	bash scripts/demo.sh

# Every fuzz target for FUZZ_SECONDS each (libFuzzer needs clang and its runtime, installed here, not for make test).
FUZZ_SECONDS ?= 60
fuzz:
	@QUENRIK_EXTRA_PACKAGES="clang libclang-rt-14-dev" bash scripts/install-deps.sh
	cmake --preset fuzz
	cmake --build --preset fuzz
	bash tests/fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

# Every benchmark in the Release bench build: the chart, the window per point, start-up and the sweeps at the wire
# rate (about eight minutes; BENCH_QUICK=1 sweeps only 2, 202 and 2,001 points, about a minute).
BENCH_QUICK ?=
bench: deps
	cmake --preset bench
	cmake --build --preset bench --target benchmarks
	bash bench/run.sh build-bench $(if $(BENCH_QUICK),--quick)

# The soak run: SOAK_SWEEPS sweeps of 202 points through the console front end against the simulator.
SOAK_SWEEPS ?= 1000
soak: build
	python3 bench/soak.py --bin build/bin --sweeps $(SOAK_SWEEPS)
