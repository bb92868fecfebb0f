#!/bin/sh
# Builds and tests the driver three ways: optimised with warnings as errors,
# under AddressSanitizer + UndefinedBehaviorSanitizer, and the threaded
# subsystems under ThreadSanitizer, then the Windows DLLs (MinGW) under Wine. Exits non-zero on the
# first failure.
set -eu
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}

# No include may point up the layer order (the subsystem order in CMakeLists.txt).
tools/check-include-order.py

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORA_WERROR=ON
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure --timeout 300 -j"$JOBS"

# Sanitizer builds are optimised too (-O2 -g): the randomized kernel and replay
# tests run thousands of frames.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORA_WERROR=ON \
  -DMORA_SANITIZE="address;undefined" -DMORA_BUILD_BENCH=OFF
cmake --build build-asan -j"$JOBS"
ctest --test-dir build-asan --output-on-failure --timeout 300 -j"$JOBS"

THREADED_LABELS='^(platform|rjq|render|geometry|frame|integration)$'
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORA_WERROR=ON \
  -DMORA_SANITIZE=thread -DMORA_BUILD_BENCH=OFF
cmake --build build-tsan -j"$JOBS" --target mora_platform_tests mora_rjq_tests mora_render_tests \
  mora_geometry_tests mora_frame_tests mora_integration_tests mora_x11_integration_tests \
  mora_panel_x11_tests mora_panel_gtk
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure --timeout 300 -j"$JOBS" \
  -L "$THREADED_LABELS"

# Windows: the 32-bit and 64-bit opengl32.dll cross-compiled with MinGW and tested under Wine (one
# Xvfb, one persistent wineserver and one prefix for both).
for arch in i686 x86_64; do
  cmake -S . -B "build-win-$arch" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORA_WERROR=ON
  cmake --build "build-win-$arch" -j"$JOBS"
done
WINE_TEST_DIR=$(mktemp -d /tmp/mora-wine.XXXXXX)
export WINE_TEST_DIR
tools/wine-test.sh build-win-i686 build-win-x86_64
# The same frame on both platforms: a capture recorded by the 32-bit DLL under Wine replays bit for
# bit on Linux, and the 64-bit DLL reads back the same pixels for the same calls, for every
# instruction set this processor has.
for isa in sse4 avx avx2 avx512; do
  case $isa in
    sse4) flag=sse4_1 ;;
    avx512) flag=avx512bw ;;
    *) flag=$isa ;;
  esac
  grep -qw "$flag" /proc/cpuinfo || continue
  rm -f build-win-i686/MORA_capture_frame2.mora-capture
  MORA_ISA=$isa MORA_CAPTURE_FRAMES=2 MORA_CAPTURE_REFERENCE_PIXELS=1 PROGRAMS=mora_wine_game.exe \
    tools/wine-test.sh build-win-i686 build-win-x86_64 >"$WINE_TEST_DIR/game.log" || { cat "$WINE_TEST_DIR/game.log"; exit 1; }
  cat "$WINE_TEST_DIR/game.log"
  [ "$(grep 'read-back checksum' "$WINE_TEST_DIR/game.log" | cut -d' ' -f3 | sort -u | wc -l)" = 1 ]
  build/tools/replay/mora-replay build-win-i686/MORA_capture_frame2.mora-capture --compare --isa "$isa"
done
rm -rf "$WINE_TEST_DIR"

# The capture reader faces files from anywhere: fuzz it for a bounded time in a clang build
# with AddressSanitizer + UndefinedBehaviorSanitizer, then replay every file it accepted.
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
JOBS=$JOBS tools/fuzz/run-capture-fuzz.sh "$FUZZ_SECONDS"
