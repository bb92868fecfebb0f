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

python3 - "$out" "$root/tools/piglit-causes.tsv" "$root/docs/piglit.md" "$root" <<'PY'
import bz2, csv, glob, json, re, subprocess, sys, tempfile
out, causes_file, doc, root = sys.argv[1:]

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
    (r'Expected GL error|Unexpected OpenGL error|expected 0x05', 'expects a GL error; this driver reports only GL_INVALID_ENUM from state queries of names outside GL 1.1'),
    (r'Probe (?:color|depth|at)|Observed|Readback:|Expected color|expected: |Probed at|Failed probe',
     'a probed pixel differs from GL\'s: draws with state or a path this driver does not apply (see the entries it called)'),
    (r'X Error of failed request', 'needs a GLX pixmap or pbuffer, which this driver refuses (None, then BadMatch on use)'),
]
# Entries that only count, and implemented entries that are recorded without effect: a failing
# test is run again alone in a directory of its own, and the driver's call summary there
# (MORA_api_calls.log, written at unload) says which of them it called.
COUNTED = set('gl' + m.group(1) for m in re.finditer(r'^MORA_GL_COUNTED\((\w+),',
              open(f'{root}/src/entry/entry_list.inc').read(), re.M))
HARMLESS = {'glFlush', 'glFinish', 'glHint'}  # counted only, and nothing a probe would see
NO_EFFECT = {'glColorMask', 'glPolygonMode', 'glPolygonOffset'}
def called_entries(command):
    with tempfile.TemporaryDirectory() as cwd:
        try:
            subprocess.run(command, shell=isinstance(command, str), cwd=cwd, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            return None
        try:
            text = open(f'{cwd}/MORA_api_calls.log').read()
        except OSError:
            return None
    return [m.group(1) for m in re.finditer(r'^\s+(gl\w+)\s+:\s+[1-9]\d*\s*$', text, re.M)]
def cause_from_calls(command):
    called = called_entries(command)
    if not called:
        return None
    counted = sorted(n for n in called if n in COUNTED and n not in HARMLESS)
    no_effect = sorted(n for n in called if n in NO_EFFECT)
    parts = []
    if counted:
        parts.append(f'uses {", ".join(counted)}, which this driver only counts')
    if no_effect:
        parts.append(f'uses {", ".join(no_effect)}, which this driver records without effect')
    if not {'glLoadIdentity', 'glLoadMatrixf', 'glLoadMatrixd'} & set(called):
        parts.append('never loads a matrix: this driver\'s matrix stacks start all zero by design (GL starts them at identity)')
    if not parts and 'glClear' in called and 'glClearColor' not in called:
        parts.append('clears with the default clear colour, which starts opaque black here by design (GL starts it at alpha 0)')
    return '; '.join(parts) if parts else None
def cause_from_output(text, result):
    for pattern, cause in RULES:
        m = re.search(pattern, text)
        if m:
            return cause.format(*m.groups())
    if result == 'skip':
        return 'skipped before drawing: a requirement (visual, version or extension) this driver does not meet'
    return 'uses an entry this driver only counts'
outputs = {}
commands = {}
for key in ('gl10', 'gl11', 'glx'):
    for f in glob.glob(f'{out}/{key}/results.json*'):
        data = json.load(bz2.open(f) if f.endswith('.bz2') else open(f))
        for name, test in data['tests'].items():
            outputs[name] = (test.get('out') or '') + '\n' + (test.get('err') or '')
            commands[name] = test.get('command')
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
        if result == 'pass':
            cause = ''
        elif name in causes:
            cause = causes[name]
        else:
            cause = cause_from_output(outputs.get(name, ''), result)
            if result == 'fail' and commands.get(name) and (cause.startswith('a probed pixel') or
                                                          cause.startswith('uses an entry')):
                cause = cause_from_calls(commands[name]) or cause
        body.append(f'| {name} | {result} | {cause} |')
    lines.append(f'| {title} | ' + ' | '.join(str(counts.get(r, 0)) for r in
                 ('pass', 'fail', 'skip', 'crash', 'timeout', 'warn', 'incomplete')) + ' |')
    tables += [''] + body
# A hand-written "## Before and after" section of the previous file is kept, below the counts.
history = []
try:
    old = open(doc).read().split('\n')
    if '## Before and after' in old:
        i = old.index('## Before and after')
        j = next((k for k in range(i + 1, len(old)) if old[k].startswith('## ')), len(old))
        history = [''] + old[i:j]
        while history[-1] == '':
            history.pop()
except OSError:
    pass
open(doc, 'w').write('\n'.join(lines + history + tables) + '\n')
PY
echo "piglit-run: wrote $root/docs/piglit.md"
