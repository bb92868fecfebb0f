#!/bin/sh
# tools/piglit-run.sh [BUILD_DIR]: runs piglit's OpenGL 1.0, 1.1 and GLX groups on MORA under an
# Xvfb of its own and writes docs/piglit.md: pass / fail / skip / crash / timeout per test, and
# for every test that does not pass, its cause: from tools/piglit-causes.tsv (test name, a tab,
# one line) when the test is named there, else from what the test printed (the rules below).
# Needs Debian's piglit package. Takes a few minutes on two cores.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${PIGLIT_RESULTS:-$build/piglit-results}
jobs=${JOBS:-2}
[ -e "$build/lib/libGL.so.1" ] || { echo "piglit-run: build $build/lib/libGL.so.1 first" >&2; exit 2; }
command -v piglit >/dev/null || { echo "piglit-run: piglit is not installed" >&2; exit 2; }

work=$(mktemp -d)
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" PIGLIT_PLATFORM=glx XDG_CONFIG_HOME="$work"
export LD_LIBRARY_PATH="$build/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

# PIGLIT_SUMMARY_ONLY=1 rewrites docs/piglit.md from the results of the last run.
if [ "${PIGLIT_SUMMARY_ONLY:-0}" != 1 ]; then
rm -rf "$out"
mkdir -p "$out"
run_group() {  # name, test filter, timeout
  piglit run -p glx -j "$jobs" --timeout "$3" -t "$2" opengl "$out/$1" >"$out/$1.log" 2>&1 || true
  piglit summary csv "$out/$1" >"$out/$1.csv"
}
run_group gl10 '^spec@!opengl 1\.0@' 120
run_group gl11 '^spec@!opengl 1\.1@' 240
run_group glx '^glx@' 60
fi

python3 - "$out" "$root/tools/piglit-causes.tsv" "$root/docs/piglit.md" <<'PY'
import bz2, csv, glob, json, re, sys
out, causes_file, doc = sys.argv[1:]

# What a test printed, mapped to the cause of its failure or skip; the first rule that matches wins.
RULES = [
    (r'Test run time exceeded', 'hangs: loops until an entry this driver only counts answers'),
    (r'Requested a OpenGL (\S+)', 'needs OpenGL {0}; this driver is OpenGL 1.1'),
    (r'Test requires GL version (\S+)', 'needs OpenGL {0}; this driver is OpenGL 1.1'),
    (r'Test requires (GL_\w+)', 'needs {0}; this driver has no GL extensions'),
    (r'Test requires (GLX_\w+)', 'needs {0}, which this driver does not offer'),
    (r'(?:Failed to create|couldn.t create|No .*config)', 'needs a framebuffer configuration this driver does not offer'),
    (r'GLSL not supported', 'needs GLSL; this driver is OpenGL 1.1'),
    (r'Function "(\w+)" not supported', 'needs {0}, which this driver does not have'),
    (r'Expected GL error|Unexpected OpenGL error|expected 0x05', 'expects a GL error; glGetError always answers GL_NO_ERROR by design'),
    (r'Probe (?:color|depth)|Observed|Readback:|Expected color|expected: |Probed at',
     'probes pixels with glReadPixels(GL_FLOAT), which this driver leaves unwritten by design (unsigned bytes only)'),
    (r'Pending expose event|Failed probe', 'probes pixels with glReadPixels(GL_FLOAT), which this driver leaves unwritten by design (unsigned bytes only)'),
    (r'X Error of failed request', 'needs a GLX pixmap or pbuffer, which this driver refuses (None, then BadMatch on use)'),
]
def cause_from_output(text, result):
    for pattern, cause in RULES:
        m = re.search(pattern, text)
        if m:
            return cause.format(*m.groups())
    if result == 'skip':
        return 'skipped before drawing: a requirement (visual, version or extension) this driver does not meet'
    return 'uses an entry this driver only counts'
outputs = {}
for key in ('gl10', 'gl11', 'glx'):
    for f in glob.glob(f'{out}/{key}/results.json*'):
        data = json.load(bz2.open(f) if f.endswith('.bz2') else open(f))
        for name, test in data['tests'].items():
            outputs[name] = (test.get('out') or '') + '\n' + (test.get('err') or '')
causes = {}
for line in open(causes_file):
    if line.strip() and not line.startswith('#'):
        name, cause = line.rstrip('\n').split('\t', 1)
        causes[name] = cause
groups = [('gl10', 'OpenGL 1.0'), ('gl11', 'OpenGL 1.1'), ('glx', 'GLX')]
lines = ['# piglit on MORA', '',
         'Produced by `tools/piglit-run.sh` (Debian 12 piglit, GLX platform, Xvfb 1280x1024x24). A test that does',
         'not pass gives its cause: "uses an entry this driver only counts" is expected by design (the entry',
         'counts and traces but has no effect), anything else names the shortfall.', '',
         '| group | pass | fail | skip | crash | timeout | warn | incomplete |', '|---|---|---|---|---|---|---|---|']
tables = []
for key, title in groups:
    rows = list(csv.reader(open(f'{out}/{key}.csv')))
    counts = {}
    body = [f'## {title}', '', '| test | result | cause |', '|---|---|---|']
    for row in rows:
        name, result = row[0], row[-1]
        counts[result] = counts.get(result, 0) + 1
        cause = '' if result == 'pass' else causes.get(name, cause_from_output(outputs.get(name, ''), result))
        body.append(f'| {name} | {result} | {cause} |')
    lines.append(f'| {title} | ' + ' | '.join(str(counts.get(r, 0)) for r in
                 ('pass', 'fail', 'skip', 'crash', 'timeout', 'warn', 'incomplete')) + ' |')
    tables += [''] + body
open(doc, 'w').write('\n'.join(lines + tables) + '\n')
PY
echo "piglit-run: wrote $root/docs/piglit.md"
