#!/bin/sh
# Builds and tests the driver three ways: optimised with warnings as errors,
# under AddressSanitizer + UndefinedBehaviorSanitizer, and the threaded
# subsystems under ThreadSanitizer. Exits non-zero on the first failure.
set -eu
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORA_WERROR=ON
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMORA_WERROR=ON \
  -DMORA_SANITIZE="address;undefined" -DMORA_BUILD_BENCH=OFF
cmake --build build-asan -j"$JOBS"
ctest --test-dir build-asan --output-on-failure -j"$JOBS"

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORA_WERROR=ON \
  -DMORA_SANITIZE=thread -DMORA_BUILD_BENCH=OFF
cmake --build build-tsan -j"$JOBS"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j"$JOBS" \
  -L '^(platform|rjq|render|geometry|wgl|integration)$'
