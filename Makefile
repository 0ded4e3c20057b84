# Front door: every target installs what is missing first (scripts/install-deps).
.PHONY: build test demo deps native win fuzz-build fuzz clean format bench dist

JOBS ?= $(shell nproc)

deps:
	@scripts/install-deps

win: deps
	@cmake --preset win >/dev/null
	@cmake --build --preset win -j $(JOBS)

native: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j $(JOBS)

fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)

build: win

# The unit and end-to-end tests, and a few seconds of every fuzz target.
test: win native fuzz-build
	@cd build/native && ctest --output-on-failure -j 2

demo: win
	@scripts/demo

# The release archive build/dist/tlvc-<version>-win64.zip: both programs and
# the two READMEs, the same bytes from every run of one commit.
dist: win
	@scripts/make-dist

# Benchmarks (never part of test): makes the corpus once, then measures.
bench: win
	@bench/make_corpus
	@bench/run

# Every fuzz target for FUZZ_SECONDS (default 60) each; the corpus grows under build/fuzz.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	@tests/fuzz/run_fuzzers build/fuzz $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf build
