# Small front end over CMake.  `make run` and `make test` install what is
# missing, configure, build, then start the timer or run every test.
# `make build` only configures and builds: it never installs anything.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
CTEST_FLAGS ?=

ifeq ($(SANITIZE),1)
BUILD_DIR := build-sanitize
BUILD_TYPE := Debug
CMAKE_FLAGS += -DSORVANE_SANITIZE=ON
# Sanitized code runs several times slower: the tests that measure timing
# against the real clock are left to the plain build.
CTEST_FLAGS += -LE timing
endif

# STRICT=1 is what CI asks for: compiler warnings are errors, and `make test`
# also checks the sources with clang-format and clang-tidy (`make lint`).
# The sanitized build compiles the same sources, so it checks them only once.
WERROR := OFF
TEST_LINT :=
ifeq ($(STRICT),1)
WERROR := ON
ifneq ($(SANITIZE),1)
TEST_LINT := lint
endif
endif
CMAKE_FLAGS += -DSORVANE_WERROR=$(WERROR)

.PHONY: all deps configure build run test lint bench fuzz install deb clean format
# Prerequisites run in the order written (deps before the build); the build
# itself runs its jobs in parallel.
.NOTPARALLEL:

all: build

deps:
	@./tools/deps.sh

configure:
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The timer works in the folder it is started from: its settings files and
# beep.mid live there.  `make run` uses the project's own run/ folder.
run: deps build
	@mkdir -p run
	@cp -n $(BUILD_DIR)/beep.mid run/beep.mid 2>/dev/null || true
	@cd run && ../$(BUILD_DIR)/sorvane-timer $(ARGS)

test: deps build $(TEST_LINT)
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) $(CTEST_FLAGS)

# clang-format and clang-tidy over the project's own sources; clang-tidy
# reads the compile commands of the configured build.
lint: build
	@JOBS=$(JOBS) ./tools/lint.sh $(BUILD_DIR)

bench: deps build
	@./tools/bench.sh $(BUILD_DIR)

fuzz: deps
	@./tools/fuzz.sh $(FUZZ_SECONDS)

PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

deb: build
	@cd $(BUILD_DIR) && cpack -G DEB

format:
	@clang-format-14 -i $$(git ls-files '*.cpp' '*.h')

clean:
	@rm -rf build build-sanitize
