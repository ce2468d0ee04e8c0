#!/usr/bin/env python3
"""Lists the functions under src/ (or the folders given) longer than a limit, longest first.

Lines are counted from the line of the function's name to its closing brace, both included,
as Universal Ctags reports them. Lambdas are counted as part of the function that holds them.
The record switches of the metafile players (EmfRecords.cpp, WmfRecords.cpp) are left out:
one short case per record is their shape.

    scripts/long-functions.py [--limit N] [FOLDER...]
"""

import argparse
import json
import subprocess
import sys

SKIPPED_FILES = ("EmfRecords.cpp", "WmfRecords.cpp")


def functions(folders):
    output = subprocess.run(
        ["ctags", "-R", "--languages=C++", "--kinds-C++=f", "--fields=+neS",
         "--output-format=json", "--sort=no", "-o", "-", *folders],
        check=True, capture_output=True, text=True).stdout
    for line in output.splitlines():
        tag = json.loads(line)
        if tag.get("_type") != "tag" or "end" not in tag:
            continue
        if tag["name"].startswith("__anon") or tag["path"].endswith(SKIPPED_FILES):
            continue
        scope = tag.get("scope")
        name = f"{scope}::{tag['name']}" if scope else tag["name"]
        yield tag["path"], tag["line"], name, tag["end"] - tag["line"] + 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--limit", type=int, default=80, help="longest length allowed (80)")
    parser.add_argument("folders", nargs="*", default=["src"])
    args = parser.parse_args()
    long = [f for f in functions(args.folders) if f[3] > args.limit]
    for path, line, name, length in sorted(long, key=lambda f: (-f[3], f[0], f[1])):
        print(f"{length:5d}  {path}:{line}  {name}")
    return 1 if long else 0


if __name__ == "__main__":
    sys.exit(main())
