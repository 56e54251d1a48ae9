# The two commands of the README (make demo, make test) and their helpers; each installs what is missing first.
.PHONY: deps build test test-sanitize demo bench fuzz

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
