# The two commands of the README: `make run` and `make test`.
JOBS      := $(shell nproc)
RELEASE   := build/release
TESTBUILD := build/test
GEN       := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")

.PHONY: run test deps release testbuild bench fuzz clean

deps:
	@scripts/install-deps

release: deps
	cmake -S . -B $(RELEASE) -G "$(GEN)" -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) -j $(JOBS)

run: release
	@scripts/run-example $(RELEASE)

testbuild: deps
	cmake -S . -B $(TESTBUILD) -G "$(GEN)" -DCMAKE_BUILD_TYPE=Debug -DTOLQ_TESTS=ON -DTOLQ_SANITIZE=ON
	cmake --build $(TESTBUILD) -j $(JOBS)

test: testbuild
	cd $(TESTBUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

bench: deps
	cmake -S . -B build/bench -G "$(GEN)" -DCMAKE_BUILD_TYPE=Release -DTOLQ_BENCH=ON
	cmake --build build/bench -j $(JOBS)

# The fuzz targets as libFuzzer programs (build/fuzz/bin/fuzz_*), built with clang.
fuzz:
	@scripts/install-deps fuzz
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -G "$(GEN)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLQ_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS)

clean:
	rm -rf build
