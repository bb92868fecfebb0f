#!/bin/sh
# run-on-xvfb.sh PROGRAM [ARGS...]: runs PROGRAM through tools/mora-run on an Xvfb of its own
# (24-bit TrueColor screen). Exits 77, which CTest counts as a skip, only when Xvfb is missing.
set -eu
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed: skipped"; exit 77; }
work=$(mktemp -d)
Xvfb -displayfd 3 -noreset -screen 0 320x240x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(cat "$work/display")" XDG_CONFIG_HOME="$work" "$(dirname "$0")/../../../tools/mora-run" "$@"
