#!/bin/sh
# Runs the Windows DLL's test programs under Wine: one Xvfb, one persistent wineserver and a
# WINEPREFIX prepared once per run. Usage: tools/wine-test.sh BUILD_DIR...
# The programs (PROGRAMS, default: every test program) run from each BUILD_DIR, where
# opengl32.dll sits next to them as a game keeps it; the override makes Wine load that DLL instead
# of its own. 32-bit and 64-bit build folders share the (64-bit) prefix.
set -eu
PROGRAMS=${PROGRAMS:-mora_wine_game.exe mora_export_table.exe mora_dll_lifetime.exe mora_process_end.exe mora_d3d11_present.exe mora_d3d11_vulkan.exe mora_panel_win32.exe mora_settings_keys.exe mora_core_tests.exe}
WORK=${WINE_TEST_DIR:-}
OWN_WORK=""
if [ -z "$WORK" ]; then WORK=$(mktemp -d /tmp/mora-wine.XXXXXX); OWN_WORK=$WORK; fi
export WINEPREFIX="$WORK/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="opengl32=n,b;mscoree,mshtml="
export WINEARCH=${WINEARCH:-win64}
# The debug panel opens beside the first context of every program; only the panel test wants it.
export MORA_PANEL=${MORA_PANEL:-0}
export GTEST_BRIEF=1  # mora_core_tests.exe: print failures and the summary only

XVFB_PID=""
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  if [ -n "$OWN_WORK" ]; then rm -rf "$OWN_WORK"; fi
}
trap cleanup EXIT INT TERM

# Our own display: the lowest free number from 90.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
# Tall enough for the debug panel (940 pixels at 96 DPI; a window is clamped to the screen).
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
export DISPLAY=":$n"
i=0
while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done

start=$(date +%s)
mkdir -p "$WINEPREFIX"
wineserver -p  # persistent until killed: every program below starts warm
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  # Unmanaged windows: with the window manager's say Wine stalls ~2 s on every close under Xvfb.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # Wine starts its debugger for an unhandled fault whatever the process error mode says; without
  # the crash dialog (which would wait forever on Xvfb) it prints a backtrace and ends the process.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # wined3d's OpenGL renderer would bind its GL calls to our opengl32.dll next to the programs and
  # create no Direct3D device; the Vulkan one (Mesa's CPU driver) does, for this one program.
  wine reg add 'HKCU\Software\Wine\AppDefaults\mora_d3d11_vulkan.exe\Direct3D' /v renderer /t REG_SZ \
    /d vulkan /f >/dev/null 2>&1
fi
echo "wine prefix ready in $(( $(date +%s) - start )) s"

status=0
for build in "$@"; do
  for program in $PROGRAMS; do
    [ -f "$build/$program" ] || continue  # the 32-bit-only programs in a 64-bit build
    t0=$(date +%s)
    if (cd "$build" && wine "./$program"); then result=passed; else result="FAILED ($?)"; status=1; fi
    echo "$build/$program: $result in $(( $(date +%s) - t0 )) s"
  done
done
exit $status
