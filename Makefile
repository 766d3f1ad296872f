# The two set-up commands of the README:
#   make demo   builds the programs and runs each on its shipped example answers file
#   make test   installs the test libraries if missing, builds, runs every test
.PHONY: demo test sanitize clean

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

clean:
	rm -rf build
