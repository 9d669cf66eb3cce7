# Quick start: `make demo` converts the bundled example, `make test` runs every test.
# Both install the Debian packages the project needs first (scripts/setup.sh).

DEBUG_DIR   := build/debug
RELEASE_DIR := build/release
CMAKE_GEN   := -G Ninja

.PHONY: all setup build debug release test fuzz demo readme-image bench bench-transcription format clean

all: release

setup:
	@bash scripts/setup.sh

$(DEBUG_DIR)/build.ninja:
	cmake -S . -B $(DEBUG_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTONAGRAM_SANITIZE=ON

$(RELEASE_DIR)/build.ninja:
	cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DTONAGRAM_BUILD_BENCH=ON

debug: setup $(DEBUG_DIR)/build.ninja
	cmake --build $(DEBUG_DIR)

release: setup $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR)

build: release

# The tests run under AddressSanitizer and UndefinedBehaviorSanitizer; then every fuzz
# target runs briefly from its seeds (clang build in build/fuzz).
test: debug
	ctest --test-dir $(DEBUG_DIR) --output-on-failure
	@bash scripts/fuzz.sh smoke

# Long fuzzing: FUZZ_SECONDS per target (default 600), all targets or FUZZ_TARGETS.
fuzz: setup
	@bash scripts/fuzz.sh run $(or $(FUZZ_SECONDS),600) $(FUZZ_TARGETS)

demo: release
	@bash scripts/demo.sh $(RELEASE_DIR)

# The README's picture: the piano roll of the converted example, drawn by the render command.
readme-image: demo
	cd $(RELEASE_DIR)/demo && ../bin/Tonagram --render example.txt $(CURDIR)/docs/images/example-roll.png

bench: release
	@bash scripts/bench.sh $(RELEASE_DIR)

# Note-transcription accuracy on rendered reference pieces (mir_eval F1 per clip, per mode,
# per SoundFont); BENCH_ARGS passes options, e.g. BENCH_ARGS="--reuse --modes clean".
bench-transcription: release
	@bash scripts/bench_transcription.sh $(RELEASE_DIR) $(BENCH_ARGS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
