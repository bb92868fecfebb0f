#!/usr/bin/env python3
"""Fails when a source file includes a header from a subsystem above its own.

The layer order is the order of the mora_subsystem() calls in the top-level CMakeLists.txt
(bottom first); each subsystem may include only from itself and the ones before it, and its
DEPS may name only those. Usage: check-include-order.py [SOURCE_ROOT]
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
cmake = (root / "CMakeLists.txt").read_text()
calls = re.findall(r"^\s*mora_subsystem\((\w+)([^)]*)\)", cmake, re.M)
order = [name for name, _ in calls]
rank = {name: i for i, name in enumerate(order)}
include = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/', re.M)
problems = []

for name, args in calls:
    for dep in re.findall(r"mora_(\w+)", args):
        if dep in rank and rank[dep] >= rank[name]:
            problems.append(f"CMakeLists.txt: mora_{name} depends on mora_{dep}, which is not below it")
for name, target in re.findall(r"target_link_libraries\(mora_(\w+)\s+\w+\s+([^)]*)\)", cmake):
    for dep in re.findall(r"mora_(\w+)", target):
        if name in rank and dep in rank and rank[dep] >= rank[name]:
            problems.append(f"CMakeLists.txt: mora_{name} links mora_{dep}, which is not below it")

for name in order:
    folder = root / "src" / name
    for path in sorted(folder.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".inl", ".inc"):
            continue
        text = path.read_text(errors="replace")
        for match in include.finditer(text):
            target = match.group(1)
            if target in rank and rank[target] > rank[name]:
                line = text.count("\n", 0, match.start()) + 1
                problems.append(f"{path.relative_to(root)}:{line}: {name} includes "
                                f"{text[match.start():text.find(chr(10), match.start())].strip()}, which is above it")

for problem in problems:
    print(problem)
if problems:
    print(f"include order: {len(problems)} violation(s); order is {' < '.join(order)}")
    sys.exit(1)
print(f"include order: clean ({' < '.join(order)})")
