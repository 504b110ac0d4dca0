#!/usr/bin/env python3
"""--help and the manual page of each program list the same options, each taking a value in
both or in neither.

Usage: help_matches_manual.py MAN_DIR PROGRAM... (the manual page of PROGRAM is
MAN_DIR/NAME.1.scd)
"""
import os
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][\w-]*)")


def help_options(program):
    """Options of the help text's option lines ("  -h, --help   text", "  --tcp <ADDR>  text")."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    text = subprocess.run([program, "--help"], capture_output=True, text=True, timeout=60,
                          env=env, check=True).stdout
    options = {}
    for line in text.splitlines():
        if not line.startswith("  -"):
            continue
        term = re.split(r"\s{2,}", line.strip())[0]
        names = OPTION.findall(term)
        takes_value = bool(OPTION.sub("", term).strip(" ,"))
        for name in names:
            options[name] = takes_value
    return options


def manual_options(page):
    """Options of the terms in the page's OPTIONS section ("*-h*, *--help*", "*--tcp* _ADDR_")."""
    options = {}
    section = None
    with open(page, encoding="utf-8") as source:
        for line in source:
            if line.startswith("# "):
                section = line[2:].strip()
            elif section == "OPTIONS" and line.startswith("*-"):
                term = line.strip()
                names = OPTION.findall(term)
                takes_value = "_" in OPTION.sub("", term)
                for name in names:
                    options[name] = takes_value
    return options


def main():
    man_dir, programs = sys.argv[1], sys.argv[2:]
    problems = []
    for program in programs:
        name = os.path.basename(program)
        in_help = help_options(program)
        in_manual = manual_options(os.path.join(man_dir, name + ".1.scd"))
        if not in_help:
            problems.append(f"{name}: --help lists no options")
        for option in sorted(in_help.keys() - in_manual.keys()):
            problems.append(f"{name}: {option} is in --help but not in the manual page")
        for option in sorted(in_manual.keys() - in_help.keys()):
            problems.append(f"{name}: {option} is in the manual page but not in --help")
        for option in sorted(in_help.keys() & in_manual.keys()):
            if in_help[option] != in_manual[option]:
                where = "--help" if in_help[option] else "the manual page"
                problems.append(f"{name}: {option} takes a value only in {where}")
        print(f"{name}: {len(in_help)} options")
    for problem in problems:
        print("FAIL:", problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
