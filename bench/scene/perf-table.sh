#!/bin/sh
# Produces the README's performance table with mora-scenebench: MORA against llvmpipe (OSMesa) at
# 640x480, 1280x720 and 1920x1080, once at each renderer's default thread count (neither
# MORA_THREADS nor LP_NUM_THREADS set) and once with 2 threads each, with MORA's per-stage times
# and the largest frame time; then MORA alone, single-threaded at forced quarter-rate shading, at
# 1280x720, the best of RUNS runs.
#
#   bench/scene/perf-table.sh [BUILD_DIR] [FRAMES] [RUNS]
#
# BUILD_DIR defaults to ./build, FRAMES to 240, RUNS to 3. Every run's full output is kept in
# $PERF_LOG_DIR (default: a new temporary folder); PERF_REUSE_LOGS=1 only reads the logs already
# there, PERF_SINGLE_ONLY=1 makes only the single-threaded runs. Works with older builds of the
# benchmark too: options it lacks are left out, figures it does not print show as "-".
set -eu

build=${1:-build}
frames=${2:-240}
runs=${3:-3}
bench="$build/bench/scene/mora-scenebench"
[ -x "$bench" ] || { echo "perf-table.sh: no $bench (build the mora-scenebench target)" >&2; exit 1; }
logs=${PERF_LOG_DIR:-$(mktemp -d /tmp/mora-perf.XXXXXX)}
mkdir -p "$logs"
unset MORA_THREADS LP_NUM_THREADS

# The single-threaded run: one render worker and, where the benchmark can set it, one partition so
# the waiting application thread has nothing left to take.
single="--threads 1"
if "$bench" --help 2>&1 | grep -q -- --worker-limit; then single="$single --worker-limit 1"; fi

# value LOG LABEL [FIELD]: the FIELD-th word after LABEL on LABEL's line (default: the first).
value() {
    found=$(awk -v label="$2" -v f="${3:-1}" 'index($0, label) { split(substr($0, index($0, label) + length(label)), w, " "); print w[f]; exit }' "$1" 2>/dev/null)
    echo "${found:--}"
}

# run LOG ARGS...: runs the benchmark into LOG, or only reads LOG when PERF_REUSE_LOGS=1.
run() {
    log=$1
    shift
    [ "${PERF_REUSE_LOGS:-0}" = 1 ] && return 0
    "$bench" "$@" > "$log" 2>&1 || echo "(run failed, see $log)"
}

echo "machine: $(nproc) logical processors, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "frames per run: $frames; logs in $logs"
configs="default 2"
[ "${PERF_SINGLE_ONLY:-0}" = 1 ] && configs=""
for config in $configs; do
    if [ "$config" = default ]; then
        options=""
        echo
        echo "Default settings of both renderers (neither MORA_THREADS nor LP_NUM_THREADS set):"
    else
        options="--threads 2"
        echo
        echo "2 threads each:"
    fi
    echo
    echo "| size | MORA median ms | MORA max ms | llvmpipe median ms | llvmpipe max ms | llvmpipe / MORA (median) | replay | emit | render | present |"
    echo "|---|---|---|---|---|---|---|---|---|---|"
    for size in 640x480 1280x720 1920x1080; do
        log="$logs/$config-$size.txt"
        # shellcheck disable=SC2086
        run "$log" --size "$size" --frames "$frames" $options
        printf '| %s | %s | %s | %s | %s | %sx | %s | %s | %s | %s |\n' "$size" \
            "$(value "$log" 'median ms/frame' 1)" "$(value "$log" 'max ms/frame' 1)" \
            "$(value "$log" 'median ms/frame' 2)" "$(value "$log" 'max ms/frame' 2)" \
            "$(value "$log" 'OSMesa time / MORA time' 1 | sed 's/x$//')" \
            "$(value "$log" 'replay (recorded calls -> packets)')" "$(value "$log" 'emit (transform, clip, set-up)')" \
            "$(value "$log" 'render (clears, binning, raster)')" "$(value "$log" '  present')"
    done
done

echo
echo "MORA single-threaded ($single), forced quarter rate, 1280x720, $frames frames, best of $runs:"
best=""
run=1
while [ "$run" -le "$runs" ]; do
    log="$logs/single-$run.txt"
    # shellcheck disable=SC2086
    run "$log" --mora-only --size 1280x720 --frames "$frames" --vrs 2 $single
    median=$(value "$log" 'median ms/frame' 1)
    echo "  run $run: median $median ms, render $(value "$log" 'render (clears, binning, raster)') ms"
    if [ "$median" != "-" ]; then
        if [ -z "$best" ] || awk -v a="$median" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$median; fi
    fi
    run=$((run + 1))
done
echo "  best median: ${best:--} ms per frame"
