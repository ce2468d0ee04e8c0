#!/usr/bin/env python3
"""scripts/long-functions.py on a tree of known functions: a function of 81 lines is listed
and one of 80 is not, lambdas count with the function that holds them, the metafile record
switches are left out, and the exit status says whether anything was listed. Exits 77 (shown
as skipped) without Universal Ctags."""

import pathlib
import shutil
import subprocess
import sys
import tempfile

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "long-functions.py"


def function(name, lines, body="    x();\n"):
    """A C++ function of exactly `lines` lines: signature, body lines, closing brace."""
    return f"void {name}() {{\n" + body * (lines - 2) + "}\n"


def listed(folder, *extra):
    run = subprocess.run([sys.executable, SCRIPT, *extra, str(folder)],
                         capture_output=True, text=True)
    names = [line.split()[-1] for line in run.stdout.splitlines()]
    return names, run.returncode


def main():
    if not shutil.which("ctags"):
        print("SKIP   : long_functions: ctags is not installed")
        return 77
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        src = pathlib.Path(tmp)
        lambda_body = "    run([] {\n" + "        y();\n" * 40 + "    });\n"
        (src / "Shapes.cpp").write_text(
            function("justFits", 80) + function("oneTooMany", 81) +
            # 2 + 42 lines of lambda + 40 = 84 lines, the lambda inside it
            "void holdsLambda() {\n" + lambda_body + "    x();\n" * 40 + "}\n")
        (src / "EmfRecords.cpp").write_text(function("recordSwitch", 300))
        (src / "Short.cpp").write_text(function("shortOne", 10))
        cases = [
            ((), ["holdsLambda", "oneTooMany"], 1),
            (("--limit", "84"), [], 0),
            (("--limit", "9"), ["holdsLambda", "oneTooMany", "justFits", "shortOne"], 1),
        ]
        for extra, want, want_status in cases:
            names, status = listed(src, *extra)
            if names != want or status != want_status:
                failures.append(f"{extra}: got {names} (exit {status}), "
                                f"want {want} (exit {want_status})")
    for failure in failures:
        print("FAIL   :", failure)
    print(f"Totals: {3 - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
