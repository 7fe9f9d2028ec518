# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test package demo-media format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

demo-media: deps
	@bash scripts/make-demo-media.sh $(BUILD)/demo-media

run: build demo-media
	cd $(BUILD)/demo-media && exec ../tolvane-player

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Debian package: $(BUILD)/tolvane-player_1.00_amd64.deb.
package: build
	cd $(BUILD) && cpack

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
