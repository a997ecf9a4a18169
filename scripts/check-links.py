#!/usr/bin/env python3
"""Fails when a program target includes a header of another target that it does not link.

A header reached only through a library's public links (analysis seeing tracks through plot)
builds today and breaks the day that library drops the link, so every target names the
libraries whose headers it includes. Targets and links are read from the CMakeLists.txt files:
add_library/add_executable with their sources, target_sources and target_link_libraries.
A header belongs to the target that lists it, else to every target of its folder.
tests/, bench/ and fuzz/ may include anything and are not checked.

Usage: check-links.py [SOURCE-ROOT]   (default: this repository)
"""
import os
import re
import sys

FOLDERS = ["core", "state", "tracks", "canvas", "plot", "devices", "measure", "macro",
           "analysis", "processing", "importing", "workstation", "app", "tools"]
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]', re.M)
COMMAND = re.compile(r'\b(add_library|add_executable|target_sources|target_link_libraries)'
                     r'\s*\(([^)]*)\)', re.S)
KEYWORDS = {"STATIC", "SHARED", "MODULE", "OBJECT", "INTERFACE", "PUBLIC", "PRIVATE",
            "EXCLUDE_FROM_ALL", "WIN32", "MACOSX_BUNDLE"}


def words(text):
    text = re.sub(r"#[^\n]*", "", text)
    return [w.strip('"') for w in text.split()]


def read_targets(root):
    targets = {}  # name -> {"dir", "sources", "links"}
    for folder in FOLDERS:
        base = os.path.join(root, folder)
        for here, _, files in os.walk(base):
            if "CMakeLists.txt" not in files:
                continue
            with open(os.path.join(here, "CMakeLists.txt"), encoding="utf-8") as f:
                text = f.read()
            rel = os.path.relpath(here, root)
            for kind, body in COMMAND.findall(text):
                w = words(body)
                if not w:
                    continue
                name, rest = w[0], [x for x in w[1:] if x not in KEYWORDS]
                t = targets.setdefault(name, {"dir": rel, "sources": set(), "links": set()})
                if kind in ("add_library", "add_executable"):
                    t["dir"] = rel
                if kind == "target_link_libraries":
                    t["links"].update(rest)
                else:
                    for s in rest:
                        s = s.replace("${CMAKE_SOURCE_DIR}/", os.path.relpath(root, here) + "/")
                        s = s.replace("${CMAKE_CURRENT_SOURCE_DIR}/", "")
                        if "$" not in s:
                            t["sources"].add(os.path.normpath(os.path.join(rel, s)))
    return targets


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    if not os.path.exists(os.path.join(root, "CMakeLists.txt")):
        return 0
    targets = read_targets(root)
    owners = {}  # file -> targets listing it
    for name, t in targets.items():
        for s in t["sources"]:
            owners.setdefault(s, set()).add(name)

    def owner(path):
        if path in owners:
            return owners[path]
        d = os.path.dirname(path)
        while d:
            here = {n for n, t in targets.items() if t["dir"] == d}
            if here:
                return here
            d = os.path.dirname(d)
        return set()

    bad = 0
    for path in sorted(owners):
        if not os.path.exists(os.path.join(root, path)):
            continue
        users = owners[path]
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for m in INCLUDE.finditer(text):
            inc = m.group(1)
            if inc.split("/")[0] not in FOLDERS or not os.path.exists(os.path.join(root, inc)):
                continue
            wanted = owner(os.path.normpath(inc))
            if not wanted:
                continue
            for user in sorted(users):
                if user in wanted or targets[user]["links"] & wanted:
                    continue
                line = text.count("\n", 0, m.start()) + 1
                print(f'{path}:{line}: {user} includes "{inc}" of {" or ".join(sorted(wanted))}'
                      f", which it does not link")
                bad = 1
    if bad:
        print("Link check failed: a target links every library whose headers it includes "
              "(scripts/check-links.py).", file=sys.stderr)
    return bad


if __name__ == "__main__":
    sys.exit(main())
