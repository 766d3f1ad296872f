# The two set-up commands of the README:
#   make demo   builds the programs and runs each on its shipped example answers file
#   make test   installs the test libraries if missing, builds, runs every test
.PHONY: demo test sanitize clang format-check fuzz clean

demo:
	cmake --preset demo
	cmake --build --preset demo
	tools/run-demo build/demo

test:
	tools/install-test-deps
	cmake --workflow --preset release

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	tools/install-test-deps
	cmake --workflow --preset dev

# The tests again, built by clang with warnings as errors.
clang:
	tools/install-test-deps
	cmake --workflow --preset clang

# Every C++ file formatted as .clang-format says.
format-check:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

# Feeds generated answers files to every program for FUZZ_SECONDS (needs clang).
FUZZ_SECONDS ?= 60
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz
	mkdir -p build/fuzz/corpus
	build/fuzz/hornwall_fuzz build/fuzz/corpus -max_total_time=$(FUZZ_SECONDS) -timeout=10 -max_len=4096

clean:
	rm -rf build
