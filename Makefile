# The entry points people know: `make`, `make test`, `make play`; `make fuzz` for the fuzz targets.
BUILD      ?= build
TEST_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
# make fuzz runs each target this long; make fuzz-check (CI) this long from the seeds only.
FUZZ_SECONDS       ?= 120
FUZZ_CHECK_SECONDS ?= 5
CLANG      ?= clang-14
CLANGXX    ?= clang++-14
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# Window tests need a display: without one they run on a virtual one.
XVFB       := $(shell [ -z "$$DISPLAY" ] && command -v xvfb-run >/dev/null 2>&1 && echo 'xvfb-run -a -s "-screen 0 1280x1024x24"')

.PHONY: all deps test play bench clean fuzz fuzz-build fuzz-check fuzz-seeds

all: deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@bash scripts/install-deps.sh

# Tests run in their own AddressSanitizer + UndefinedBehaviorSanitizer build.
test: deps
	cmake -S . -B $(TEST_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DRUVO_SANITIZE=ON -DRUVO_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g"
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && UBSAN_OPTIONS=print_stacktrace=1 $(XVFB) ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (fuzz/*_fuzz.cpp) over the core library, built with clang in their own folder.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DRUVO_FUZZ=ON -DRUVO_TESTS=OFF -DRUVO_BENCH=OFF \
	  -DCMAKE_C_COMPILER=$(CLANG) -DCMAKE_CXX_COMPILER=$(CLANGXX) -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only"
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

fuzz-check: fuzz-build
	bash scripts/fuzz.sh --check $(FUZZ_BUILD) $(FUZZ_CHECK_SECONDS)

# Writes the seeds in fuzz/corpus/ again from the builder and the writers (after a format changes).
fuzz-seeds: fuzz-build
	$(FUZZ_BUILD)/make_fuzz_seeds .

bench: all
	@for b in $(BUILD)/bench_*; do echo "== $$b"; $$b; done

play: all
	@bash scripts/play-demo.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(FUZZ_BUILD)
