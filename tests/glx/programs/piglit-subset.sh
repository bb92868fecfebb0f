#!/bin/sh
# piglit-subset.sh: a fixed set of piglit tests that pass on MORA, run one after another on the
# display and library path the caller set up (run-on-xvfb.sh). Exits 77 (skipped) when Debian's
# piglit package is not installed; fails when any of them does not report a pass.
set -u
bin=${PIGLIT_BIN:-/usr/lib/x86_64-linux-gnu/piglit/bin}
[ -d "$bin" ] || { echo "piglit is not installed: skipped"; exit 77; }
export PIGLIT_PLATFORM=glx
failed=0
for test in gl-1.0-empty-begin-end-clause gl-1.0-push-no-attribs gl-1.0-long-dlist gl-1.0-textured-triangle \
            degenerate-prims lineloop quad-invariance array-stride depthrange-clear \
            gl-1.1-set-vertex-color-after-draw \
            glx-destroycontext-1 glx-destroycontext-2 glx-destroycontext-3 glx-window-life glx-fbconfig-sanity \
            glx-fbconfig-compliance glx-fbconfig-bad glx-dont-care-mask glx-close-display; do
  output=$(timeout 30 "$bin/$test" -auto 2>&1)
  if printf '%s\n' "$output" | grep -q '"result": "pass"'; then
    echo "pass $test"
  else
    printf 'FAIL %s\n%s\n' "$test" "$output"
    failed=1
  fi
done
exit $failed
