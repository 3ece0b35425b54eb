#!/usr/bin/env python3
"""The package list and the README agree.

scripts/packages is what a fresh machine installs; the README's table of
dependencies is what a reader is told it installs, and why. A package in
one and not the other is either a missing install step described as
present or an install nobody can account for. Each of the list's names
must stand in the table as `name`, and each name the table gives must be
on the list.
"""
import os
import re
import sys

TOP = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))


def listed_packages(text):
    """The names of scripts/packages: one a line, # begins a comment."""
    names = []
    for line in text.splitlines():
        line = line.split("#", 1)[0].strip()
        names.extend(line.split())
    return names


def table_packages(readme):
    """The names in backticks of the second column of the README's
    'Dependencies' table."""
    section = readme.split("## Dependencies", 1)[1].split("\n## ", 1)[0]
    names = []
    for row in section.splitlines():
        cells = [c.strip() for c in row.strip().strip("|").split("|")]
        if len(cells) >= 3 and cells[0] not in ("purpose", "---"):
            names.extend(re.findall(r"`([^`]+)`", cells[1]))
    return names


def main():
    with open(os.path.join(TOP, "scripts", "packages"), encoding="utf-8") as f:
        listed = listed_packages(f.read())
    with open(os.path.join(TOP, "README.md"), encoding="utf-8") as f:
        table = table_packages(f.read())
    problems = [f"scripts/packages: {n}: not in the README's table of dependencies"
                for n in listed if n not in table]
    problems += [f"README.md: {n}: in the table of dependencies but not in scripts/packages"
                 for n in table if n not in listed]
    if not listed or not table:
        problems.append("no packages read: the list or the table is not where it was")
    for p in problems:
        print(p)
    print(f"{len(listed)} packages listed, {len(table)} in the README's table")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
