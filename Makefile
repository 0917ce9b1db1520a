# The two set-up commands:
#   make        build every platform's library, package them into dist/, run the demo
#   make test   build everything (debug), package, and run the whole test suite
PRESET ?= release
# CI (CI=true) builds the suite with warnings as errors.
ifeq ($(CI),true)
TEST_PRESET ?= ci
else
TEST_PRESET ?= debug
endif
JOBS ?= $(shell nproc)
# The Linux x86-64 library that ships; the demo and the suite run it.
SHIPPED := build/cross/linux-x86_64/TorvXml.so

.PHONY: all deps libs build package demo test asan bench docs format format-check clean

all: package demo

deps:
	@bash scripts/deps

# Every platform's library (scripts/cross.mk) and the loaders that run them.
libs: deps
	@$(MAKE) --no-print-directory -f scripts/cross.mk -j$(JOBS) all loaders

package: libs
	@bash scripts/package build/cross

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j$(JOBS)

# Builds only the demo (and the emulated host it needs), then runs it on the
# shipped library.
demo: package
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j$(JOBS) --target torvxml-demo
	build/$(PRESET)/examples/torvxml-demo $(SHIPPED) examples/catalog.xml

test: package
	cmake --preset $(TEST_PRESET) >/dev/null
	cmake --build --preset $(TEST_PRESET) -j$(JOBS)
	ctest --preset $(TEST_PRESET) -j$(JOBS)

asan:
	$(MAKE) test TEST_PRESET=asan

# BASELINE=path/to/an/older/TorvXml.so adds its figures beside this build's.
bench: build
	python3 bench/ratios.py build/$(PRESET)/bench/torvxml-bench
	python3 bench/parse_memory.py build/$(PRESET)/bench/torvxml-parse-memory \
		$(if $(BASELINE),--baseline $(BASELINE))
	python3 bench/counts.py build/$(PRESET)/bench/torvxml-step-counts \
		$(if $(BASELINE),--baseline $(BASELINE))

docs: build
	build/$(PRESET)/tools/torvxml-inspect --markdown build/$(PRESET)/plugin/TorvXml.so > docs/api.md
	python3 tools/reference/generate.py --inspect build/$(PRESET)/tools/torvxml-inspect \
		--plugin build/$(PRESET)/plugin/TorvXml.so --out docs/reference

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build dist
