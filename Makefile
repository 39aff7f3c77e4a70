# The two commands of the README: `make demo` and `make test`. Both start by
# installing what is missing, then configure and build the trees they need.
#
#   build/native    the Linux plug-in, zel, vsthost, unit and ABI tests, benchmarks
#   build/win64     the Windows plug-in, vsthost.exe and the Windows tests (cross)
#   build/sanitize  clang with AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzzers
#   build/tsan      g++ with ThreadSanitizer: the audio/edit stress test and the torture suite

JOBS ?= 2
FUZZ_SECONDS ?= 20
CMAKE ?= cmake
CTEST ?= ctest --output-on-failure -j$(JOBS)

.PHONY: all bootstrap native win64 sanitize tsan demo test test-native test-win64 \
        test-sanitize test-tsan fuzz torture bench package clean

all: native win64

bootstrap:
	@scripts/bootstrap

build/native/CMakeCache.txt: | bootstrap
	$(CMAKE) -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo

build/win64/CMakeCache.txt: | bootstrap
	$(CMAKE) -S . -B build/win64 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake

build/sanitize/CMakeCache.txt: | bootstrap
	CC=clang CXX=clang++ $(CMAKE) -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug \
	  -DZEL_SANITIZE=address,undefined -DZEL_FUZZ=ON -DZEL_TOOLS=OFF

build/tsan/CMakeCache.txt: | bootstrap
	$(CMAKE) -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_SANITIZE=thread \
	  -DZEL_TOOLS=OFF

native: build/native/CMakeCache.txt
	$(CMAKE) --build build/native -j$(JOBS)

win64: build/win64/CMakeCache.txt
	$(CMAKE) --build build/win64 -j$(JOBS)

sanitize: build/sanitize/CMakeCache.txt
	$(CMAKE) --build build/sanitize -j$(JOBS)

tsan: build/tsan/CMakeCache.txt
	$(CMAKE) --build build/tsan -j$(JOBS) --target stress_tests torture_tests zel001_x64

# The first wine start creates the private prefix; do it once, not in parallel tests.
build/wineprefix/.ready: | bootstrap
	mkdir -p build
	scripts/wine-run wineboot --init >/dev/null 2>&1 || true
	touch $@

# Wine's X11 driver waits about 2 s for a window manager at every map and
# unmap of a top-level window (the editor tests' host windows and file
# dialogs); Xvfb has none. A stamp of its own, so that older prefixes get it too.
build/wineprefix/.unmanaged: build/wineprefix/.ready
	scripts/wine-run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
	touch $@

demo: native win64
	build/native/tools/zel/zel render examples/groove.mid build/demo.wav
	@echo
	@echo "Linux plug-in:   build/native/src/zel001_x64.so"
	@echo "Windows plug-in: build/win64/src/zel001_x64.dll"
	@echo "Demo:            build/demo.wav (examples/groove.mid played by the built-in kit)"
	@echo
	@echo "To install, put the plug-in where your host looks for VST 2 plug-ins:"
	@echo "  Linux:   sudo cmake --install build/native   (/usr/local/lib/vst/zel001_x64.so, /usr/local/bin/zel)"
	@echo "           or: mkdir -p ~/.vst && cp build/native/src/zel001_x64.so ~/.vst/"
	@echo "  Windows: copy zel001_x64.dll into the host's VST plug-in folder"
	@echo "The plug-in starts with preset/preset.bin beside it; to start with the demo kit:"
	@echo "  mkdir -p ~/.vst/preset && build/native/tools/zel/zel kit ~/.vst/preset/preset.bin --demo"

test-native: native
	cd build/native && $(CTEST)

test-win64: win64 build/wineprefix/.unmanaged
	cd build/win64 && $(CTEST)

test-sanitize: sanitize
	cd build/sanitize && FUZZ_SECONDS=$(FUZZ_SECONDS) $(CTEST)

test-tsan: tsan
	cd build/tsan && $(CTEST) -L "stress|torture"

test: test-tsan test-sanitize test-win64 test-native

fuzz: sanitize
	cd build/sanitize && FUZZ_SECONDS=$(FUZZ_SECONDS) ctest --output-on-failure -L fuzz

# The torture suite's long seed ranges, in every tree.
torture: native win64 sanitize tsan build/wineprefix/.ready
	cd build/native && TORTURE_LONG=1 $(CTEST) -L torture
	cd build/sanitize && TORTURE_LONG=1 $(CTEST) -L torture
	cd build/tsan && TORTURE_LONG=1 $(CTEST) -L torture
	cd build/win64 && TORTURE_LONG=1 $(CTEST) -L torture

# A Debian package of zel, the VST 2.4 library and the LV2 bundle: build/zel001_*.deb.
package: native
	cd build/native && cpack -G DEB -B $(CURDIR)/build/package >/dev/null
	cp build/package/zel001_*.deb build/
	@ls build/zel001_*.deb

bench: native
	@for b in build/native/bench/*_bench; do $$b; done

clean:
	rm -rf build
