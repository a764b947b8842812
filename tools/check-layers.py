#!/usr/bin/env python3
"""Checks the tree's layering: each top folder includes only the folders it may use, and no
files include each other in a cycle. Prints what breaks the rules; exit 1 if anything does."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
# What each folder may use besides itself (tests/ and bench/ may use everything).
ALLOWED = {
    "model": set(),
    "file": {"model"},
    "link": {"model", "file"},
    "cli": {"model", "file", "link"},
    "toolkit": set(),
    "resources": {"model", "toolkit"},
    "controls": {"model", "toolkit"},
    "app": {"model", "file", "link", "toolkit", "resources", "controls"},
    "tools": {"model", "file", "link"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources():
    for folder in list(ALLOWED) + ["tests", "bench"]:
        base = ROOT / folder
        if base.is_dir():
            yield from (p for p in base.rglob("*") if p.suffix in {".h", ".cpp"})


def resolve(path, name):
    for candidate in (path.parent / name, ROOT / name):
        if candidate.is_file():
            return candidate.resolve()
    return None  # a generated or system header


def main():
    problems = []
    graph = {}
    for path in sources():
        top = path.relative_to(ROOT).parts[0]
        edges = graph.setdefault(path.resolve(), [])
        for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            target = resolve(path, name)
            if target is None:
                continue
            edges.append(target)
            used = target.relative_to(ROOT).parts[0]
            if top in ALLOWED and used != top and used not in ALLOWED[top]:
                problems.append(f"{path.relative_to(ROOT)} includes {name}: {top}/ may not use {used}/")
    # Cycles, by depth-first search over the include graph.
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in graph.get(node, []):
            if state.get(nxt) == 1:
                cycle = stack[stack.index(nxt):] + [nxt]
                problems.append("include cycle: " + " -> ".join(str(p.relative_to(ROOT)) for p in cycle))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 2

    for node in list(graph):
        if node not in state:
            visit(node)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
