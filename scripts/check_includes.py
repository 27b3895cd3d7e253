#!/usr/bin/env python3
"""Reads the quoted includes of the app and the libraries and fails when one
runs from a lower folder to a higher one, or when files include each other in
a cycle.

    check_includes.py [repository root]

The folders stand in two stacks on Platform:
    Platform < engine < dashboard < tabs < shell < the app's entry (Heftwick/)
    Platform < SharedCore < SharedUI
A file may include its own folder and the folders below it; the app and the
shared libraries never include each other. A header and its source file count
as one unit ("engine/LoadEngine"), so a cycle is any set of units that reach
each other through their includes. Includes that name no file of the
repository (generated headers, moc output) are left out."""

import re
import sys
from pathlib import Path

# Each folder with the folders directly below it.
SITS_ON = {
    "Platform": [],
    "SharedCore": ["Platform"],
    "SharedUI": ["SharedCore"],
    "engine": ["Platform"],
    "dashboard": ["engine"],
    "tabs": ["dashboard"],
    "shell": ["tabs"],
    "app": ["shell"],
}

# Cycles still being taken apart, each as the exact set of its units. A cycle
# listed here that is gone fails the check too, so the entry goes with it.
SOURCE_SUFFIXES = {".h", ".cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def below(folder):
    """Every folder under folder, through any number of steps."""
    seen = set()
    stack = list(SITS_ON[folder])
    while stack:
        lower = stack.pop()
        if lower not in seen:
            seen.add(lower)
            stack.extend(SITS_ON[lower])
    return seen


def folder_of(relative):
    """The layer a file belongs to, from its path below the repository root."""
    parts = relative.parts
    if parts[0] != "Heftwick":
        return parts[0]
    return parts[1] if len(parts) > 2 else "app"


def search_roots(root, relative):
    """Where an include of this file may be found, first match wins: its own
    folder, its library's folder, the repository root, the app's folder (for
    "engine/LoadEngine.h") and the engine's folder (the engine's header is
    also included by bare name)."""
    library = root / relative.parts[0]
    if relative.parts[0] == "Heftwick" and len(relative.parts) > 2:
        library = library / relative.parts[1]
    heftwick = root / "Heftwick"
    return [(root / relative).parent, library, root, heftwick, heftwick / "engine"]


def resolve(root, relative, name):
    for base in search_roots(root, relative):
        candidate = (base / name).resolve()
        if candidate.is_file() and candidate.is_relative_to(root):
            return candidate.relative_to(root)
    return None


def include_edges(root):
    """Every include that names a file of the repository, as (from, to) paths."""
    edges = []
    for top in ("Heftwick", "Platform", "SharedCore", "SharedUI"):
        for path in sorted((root / top).rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES:
                continue
            relative = path.relative_to(root)
            for name in INCLUDE.findall(path.read_text(encoding="utf-8")):
                target = resolve(root, relative, name)
                if target is not None:
                    edges.append((relative, target))
    return edges


def upward_includes(edges):
    allowed = {folder: below(folder) | {folder} for folder in SITS_ON}
    problems = []
    for source, target in edges:
        lower, upper = folder_of(target), folder_of(source)
        if upper not in SITS_ON or lower not in SITS_ON:
            problems.append(f"{source} includes {target}: a folder outside the layers")
        elif lower not in allowed[upper]:
            problems.append(f"{source} includes {target}: {upper} does not stand on {lower}")
    return problems


def unit(path):
    return path.with_suffix("").as_posix()


def cycles(edges):
    """The sets of two or more units that reach each other (Tarjan)."""
    graph = {}
    for source, target in edges:
        graph.setdefault(unit(source), set()).add(unit(target))
        graph.setdefault(unit(target), set())
    index, low, on_stack, stack, found = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for successor in graph[node]:
            if successor not in index:
                visit(successor)
                low[node] = min(low[node], low[successor])
            elif successor in on_stack:
                low[node] = min(low[node], index[successor])
        if low[node] == index[node]:
            component = set()
            while True:
                member = stack.pop()
                on_stack.discard(member)
                component.add(member)
                if member == node:
                    break
            if len(component) > 1:
                found.append(component)

    sys.setrecursionlimit(10000)
    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def cycle_problems(found):
    return [f"cycle between {', '.join(sorted(c))}" for c in found]


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent).resolve()
    edges = include_edges(root)
    problems = upward_includes(edges) + cycle_problems(cycles(edges))
    for problem in problems:
        print(problem)
    print(f"{len(edges)} includes read, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
