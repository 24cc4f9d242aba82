# The entry points people know: `make`, `make test`, `make play`.
BUILD      ?= build
TEST_BUILD ?= build-asan
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# Window tests need a display: without one they run on a virtual one.
XVFB       := $(shell [ -z "$$DISPLAY" ] && command -v xvfb-run >/dev/null 2>&1 && echo 'xvfb-run -a -s "-screen 0 1280x1024x24"')

.PHONY: all deps test play bench clean

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

bench: all
	@for b in $(BUILD)/bench_*; do echo "== $$b"; $$b; done

play: all
	@bash scripts/play-demo.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(TEST_BUILD)
