# Front door: every target installs what is missing first (scripts/install-deps).
.PHONY: build test demo deps native win clean format bench

JOBS ?= $(shell nproc)

deps:
	@scripts/install-deps

win: deps
	@cmake --preset win >/dev/null
	@cmake --build --preset win -j $(JOBS)

native: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

build: win

test: win native
	@cd build/native && ctest --output-on-failure -j 2

demo: win
	@scripts/demo

# Benchmarks (never part of test): makes the corpus once, then measures.
bench: win
	@bench/make_corpus
	@bench/run

format:
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf build
