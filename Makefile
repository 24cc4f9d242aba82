# The entry points people know: `make`, `make test`, `make play`; `make fuzz` for the fuzz targets.
BUILD      ?= build
# One clang build with AddressSanitizer and UndefinedBehaviorSanitizer serves the tests and the fuzz
# targets, so the core is compiled once.
TEST_BUILD ?= build-asan
FUZZ_BUILD ?= $(TEST_BUILD)
# make fuzz runs each target this long; make fuzz-check (CI) this long from the seeds only.
FUZZ_SECONDS       ?= 120
FUZZ_CHECK_SECONDS ?= 5
CLANG      ?= clang-14
CLANGXX    ?= clang++-14
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all programs deps test play bench clean fuzz fuzz-build fuzz-check fuzz-seeds

all: deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The player and the tool only (what make play needs).
programs: deps
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target ruvoplay ruvotool

deps:
	@bash scripts/install-deps.sh

sanitized_config = cmake -S . -B $(1) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DRUVO_FUZZ=ON -DRUVO_BENCH=OFF \
	  -DCMAKE_C_COMPILER=$(CLANG) -DCMAKE_CXX_COMPILER=$(CLANGXX) -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only"

# Tests (and the fuzz targets beside them) in the sanitizer build; window tests on a virtual display
# when there is none.
test: deps
	$(call sanitized_config,$(TEST_BUILD))
	cmake --build $(TEST_BUILD) -j $(JOBS)
	bash scripts/run-tests.sh $(TEST_BUILD) $(JOBS)

# libFuzzer targets (fuzz/*_fuzz.cpp) over the core library, in the same sanitizer build as the tests.
fuzz-build: deps
	$(call sanitized_config,$(FUZZ_BUILD))
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets

fuzz: fuzz-build
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

fuzz-check: fuzz-build
	bash scripts/fuzz.sh --check $(FUZZ_BUILD) $(FUZZ_CHECK_SECONDS)

# Writes the seeds in fuzz/corpus/ again from the builder and the writers (after a format changes).
fuzz-seeds: fuzz-build
	$(FUZZ_BUILD)/make_fuzz_seeds .

bench: all
	@for b in $(BUILD)/bench_*; do echo "== $$b"; $$b; done

play: programs
	@bash scripts/play-demo.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(FUZZ_BUILD)
