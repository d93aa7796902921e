# make run: build and open the program; make test: build and run the tests.
# make bench, make bench-startup, make bench-steps, make soak: measure speed and leaks (not part of make test).
BUILD := build
JOBS := $(shell nproc)
CMAKE_FLAGS := -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: all bootstrap configure build test run clean bench bench-startup bench-steps soak

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@scripts/run-tests $(BUILD)

run: build
	@scripts/run-app $(BUILD)

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target bench_programs
	@scripts/run-bench $(BUILD) bench

bench-startup: configure
	@cmake --build $(BUILD) -j $(JOBS) --target bench_programs
	@scripts/run-bench $(BUILD) bench --startup --runs 21 $(if $(COMPARE),--compare $(abspath $(COMPARE)))

bench-steps: configure
	@cmake --build $(BUILD) -j $(JOBS) --target bench_programs
	@scripts/run-bench $(BUILD) steps

soak: configure
	@cmake --build $(BUILD) -j $(JOBS) --target soak_programs
	@scripts/run-bench $(BUILD) soak

clean:
	rm -rf $(BUILD)
