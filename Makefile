# make        builds build/zelvo and the default data pack in build/data
# make run    plays the show
# make test   runs every test
BUILD ?= build

.PHONY: all run test setup configure clean

all: configure
	cmake --build $(BUILD)

setup:
	@scripts/setup.sh

configure: setup
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

run: all
	cd $(BUILD) && ./zelvo

test: all
	cd $(BUILD) && ctest --output-on-failure -j2

clean:
	rm -rf $(BUILD)
