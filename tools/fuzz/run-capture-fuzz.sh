#!/bin/sh
# Fuzzes the capture reader with libFuzzer in a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer, seeded with real captures that the driver records of
# mora-capture-scene, then replays every corpus file with mora-replay from the same build.
# Exits non-zero when the fuzzer finds a crash or sanitizer report, or when a replay crashes,
# reports a sanitizer error or hangs. Files the reader refuses count as handled, and so do files
# the replay refuses for its resource limits.
#
#   tools/fuzz/run-capture-fuzz.sh [SECONDS]     fuzz for SECONDS (default 60)
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), JOBS (default: processor count),
# REPLAY_TIMEOUT (seconds per replay, default 120).
set -eu

if [ "${1:-}" = "--replay-one" ]; then
  # Worker mode (run by xargs below): replays one file, prints one verdict line.
  replay=$2; file=$3; log=$4.$$
  status=0
  timeout "${REPLAY_TIMEOUT:-120}" "$replay" "$file" --png "$4.png.$$" >"$log" 2>&1 || status=$?
  rm -rf "$4.png.$$"
  if grep -q -e 'ERROR: AddressSanitizer' -e 'ERROR: LeakSanitizer' -e 'runtime error:' \
       -e 'UndefinedBehaviorSanitizer' "$log"; then
    status=sanitizer
  fi
  case $status in
    0) echo "accepted $file" ;;
    3) if grep -q '^mora_replay: cannot load ' "$log"; then
         echo "refused-by-reader $file"
       else
         echo "refused-by-replay $file: $(tail -n 1 "$log")"
       fi ;;
    *) echo "FAILED($status) $file"; sed 's/^/    /' "$log" | head -n 60 ;;
  esac
  rm -f "$log"
  exit 0
fi

SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
cd "$(dirname "$SELF")/../.."
FUZZ_SECONDS=${1:-60}
BUILD=${FUZZ_BUILD_DIR:-build-fuzz}
JOBS=${JOBS:-$(nproc)}
export REPLAY_TIMEOUT=${REPLAY_TIMEOUT:-120}

if ! command -v clang++ >/dev/null 2>&1; then
  echo "run-capture-fuzz: clang++ is needed" >&2
  exit 2
fi
if [ -f "$BUILD/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' "$BUILD/CMakeCache.txt"; then
  echo "run-capture-fuzz: $BUILD was configured with another compiler; remove it or set FUZZ_BUILD_DIR" >&2
  exit 2
fi
# clang links the sanitizer runtime statically into executables only; libmora.so (linked with
# --no-undefined) and the programs that load it share the runtime's shared form instead.
SANITIZER_RUNTIME=$(dirname "$(clang++ -print-file-name=libclang_rt.asan-x86_64.so)")
SHARED_RUNTIME="-shared-libsan -Wl,-rpath,$SANITIZER_RUNTIME"
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORA_FUZZ=ON \
  -DMORA_SANITIZE="address;undefined" -DMORA_BUILD_BENCH=OFF \
  -DCMAKE_EXE_LINKER_FLAGS="$SHARED_RUNTIME" -DCMAKE_SHARED_LINKER_FLAGS="$SHARED_RUNTIME" >/dev/null
if ! cmake --build "$BUILD" --target capture_reader_fuzz -j"$JOBS"; then
  echo "run-capture-fuzz: the fuzz target does not build with clang" >&2
  exit 2
fi
if ! cmake --build "$BUILD" --target mora-replay mora-capture-scene -j"$JOBS"; then
  echo "run-capture-fuzz: mora-replay or mora-capture-scene does not build with clang (see above)" >&2
  exit 2
fi

BUILD=$(cd "$BUILD" && pwd)
FUZZER=$BUILD/tools/fuzz/capture_reader_fuzz
REPLAY=$BUILD/tools/replay/mora-replay
SCENE=$BUILD/tools/replay/mora-capture-scene
WORK=$BUILD/capture-fuzz
rm -rf "$WORK"
mkdir -p "$WORK/seeds" "$WORK/corpus" "$WORK/artifacts" "$WORK/settings" "$WORK/logs"

# Sanitizer reports end the program with this status (no recovery: MORA_SANITIZE builds with
# -fno-sanitize-recover=all).
export ASAN_OPTIONS=${ASAN_OPTIONS:-exitcode=86:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1:exitcode=86}
export XDG_CONFIG_HOME=$WORK/settings

# Seeds: small real captures recorded by the driver (the scene program ends itself once the
# capture range is written), with and without reference pixels, one and several frames.
record() {  # folder frames range reference size
  mkdir -p "$WORK/record/$1"
  (cd "$WORK/record/$1" && MORA_CAPTURE_FRAMES=$3 MORA_CAPTURE_REFERENCE_PIXELS=$4 \
     "$SCENE" --frames "$2" --size "$5")
  for capture in "$WORK/record/$1"/*.mora-capture; do
    cp "$capture" "$WORK/seeds/$1.mora-capture"
  done
}
record pixels-3 5 0-2 1 32x24
record single 3 1 0 48x32
record frames-4 8 3-6 0 16x16
record pixels-wide 4 2-3 1 72x8
SEEDS=$(ls "$WORK/seeds" | wc -l)
if [ "$SEEDS" -lt 4 ]; then
  echo "run-capture-fuzz: the driver recorded only $SEEDS of 4 seed captures" >&2
  exit 1
fi

echo "run-capture-fuzz: fuzzing the capture reader for $FUZZ_SECONDS s from $SEEDS seed captures"
fuzz_status=0
"$FUZZER" -max_total_time="$FUZZ_SECONDS" -timeout=30 -rss_limit_mb=4096 \
  -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 "$WORK/corpus" "$WORK/seeds" \
  >"$WORK/fuzzer.log" 2>&1 || fuzz_status=$?
tail -n 15 "$WORK/fuzzer.log"
if [ "$fuzz_status" -ne 0 ] || [ -n "$(ls "$WORK/artifacts")" ]; then
  echo "run-capture-fuzz: the fuzzer failed (status $fuzz_status); inputs in $WORK/artifacts:" >&2
  ls -l "$WORK/artifacts" >&2
  grep -m 5 -A 20 -e 'ERROR:' -e 'runtime error' "$WORK/fuzzer.log" >&2 || true
  exit 1
fi

echo "run-capture-fuzz: replaying $SEEDS seeds and $(ls "$WORK/corpus" | wc -l) corpus files"
find "$WORK/seeds" "$WORK/corpus" -type f -print0 |
  xargs -0 -P "$JOBS" -I{} "$SELF" --replay-one "$REPLAY" {} "$WORK/logs/replay" >"$WORK/replays.txt"
accepted=$(grep -c '^accepted ' "$WORK/replays.txt" || true)
reader=$(grep -c '^refused-by-reader ' "$WORK/replays.txt" || true)
limits=$(grep -c '^refused-by-replay ' "$WORK/replays.txt" || true)
failed=$(grep -c '^FAILED' "$WORK/replays.txt" || true)
echo "run-capture-fuzz: $accepted replayed, $reader refused by the reader, $limits refused by the replay, $failed failed"
grep '^refused-by-replay ' "$WORK/replays.txt" | sed 's/^/  /' | head -n 10 || true
if [ "$failed" -ne 0 ] || [ "$accepted" -lt "$SEEDS" ]; then
  grep -A 60 '^FAILED' "$WORK/replays.txt" >&2 || true
  echo "run-capture-fuzz: replay failures; the files stay in $WORK" >&2
  exit 1
fi
