# The set-up commands of the README:
#   make demo      builds the programs and runs each on its shipped example answers file
#   make test      installs what the tests need if it is missing, builds, runs every test
#   make install   installs the programs and their manual pages under PREFIX
#   make python    builds the Python module hornwall
.PHONY: demo test sanitize clang format-check wasm fuzz bench install package python clean

# The build tool's output goes to a log, shown only when the build fails.
quietly = { $(1); } > build/$(2).log 2>&1 || { cat build/$(2).log; exit 1; }

# The programs alone, built for make demo, make install and make package.
programs:
	@mkdir -p build
	@$(call quietly,cmake --preset demo && cmake --build --preset demo,programs)
.PHONY: programs

demo: programs
	@tools/run-demo build/demo

test:
	tools/install-deps test
	cmake --workflow --preset release

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	tools/install-deps test
	cmake --workflow --preset dev

# The tests again, built by clang with warnings as errors.
clang:
	tools/install-deps test
	cmake --workflow --preset clang

# Every C++ file formatted as .clang-format says.
format-check:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

# The programs built for WebAssembly by emscripten, whose C++ library has no floating-point
# to_chars or from_chars, run under node: they must write what the native programs write.
# (emscripten's scripts find acorn among Debian's node modules.)
wasm: programs
	tools/install-deps wasm
	@$(call quietly,cmake --preset wasm && NODE_PATH=/usr/share/nodejs cmake --build --preset wasm,wasm)
	tests/cli/wasm_agrees.sh build/demo build/wasm

# Feeds generated answers files to every program, then generated object files to
# hornwall_view, for FUZZ_SECONDS each (needs clang), starting from the checked-in corpora,
# copied so that the runs do not write into the sources.
FUZZ_SECONDS ?= 60
fuzz:
	tools/install-deps fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz
	rm -rf build/fuzz/corpus build/fuzz/view-corpus
	mkdir -p build/fuzz/corpus build/fuzz/view-corpus
	if [ -d tests/fuzz/corpus ]; then cp -R tests/fuzz/corpus/. build/fuzz/corpus/; fi
	cp -R tests/fuzz/view-corpus/. build/fuzz/view-corpus/
	build/fuzz/hornwall_fuzz build/fuzz/corpus -max_total_time=$(FUZZ_SECONDS) -timeout=10 -max_len=8192
	build/fuzz/hornwall_view_fuzz build/fuzz/view-corpus -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	  -max_len=16384 -dict=tests/fuzz/view.dict

# Timings of the writer and the programs (needs Google Benchmark).
bench:
	tools/install-deps bench
	bench/run

# The programs in PREFIX/bin, their manual pages in PREFIX/share/man/man1 and hornwall.7
# in PREFIX/share/man/man7.
PREFIX ?= /usr/local
install: programs
	cmake --install build/demo --prefix "$(PREFIX)"

# A Debian package of what make install installs, in build/demo.
package: programs
	tools/install-deps package
	cd build/demo && cpack -G DEB

# The Python module hornwall in build/python/python/hornwall, built for PYTHON (Debian's own
# /usr/bin/python3, which sees Debian's pybind11 and numpy): PYTHONPATH=build/python/python
# imports it. pip install ./python installs it instead (see python/setup.py).
PYTHON ?= /usr/bin/python3
python:
	tools/install-deps python
	@mkdir -p build
	@$(call quietly,cmake --preset python -DHORNWALL_PYTHON_INTERPRETER=$(PYTHON) && cmake --build --preset python,python)
	@echo "hornwall: PYTHONPATH=build/python/python $(PYTHON) examples/notebook.py"

clean:
	rm -rf build
