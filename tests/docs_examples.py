#!/usr/bin/env python3
"""Runs every example of docs/ (and README.md) marked runnable, so the documentation
cannot drift from the programs.

A runnable example is a fenced block whose info string is "sh runnable". Each runs
with bash -e -o pipefail in a temporary folder of its own that holds the demo: the
banks made from examples/data with tabrix-bank (base, fiscal, rates; the VAM files
iobase, iohigh) and the response files, stubs and listing files of examples/. The
folder of the built programs comes first on PATH, so the block calls tabrix and
tabrix-bank by name. A block passes when every command in it succeeds: write the
checks (grep, cmp, test) into the block.

usage: docs_examples.py SOURCE_DIR BIN_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

FENCE = re.compile(r"^```sh runnable\s*$")


def blocks(path):
    """(line number, text) of each runnable block of a Markdown file."""
    found = []
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        if FENCE.match(lines[i]):
            start = i + 1
            j = start
            while j < len(lines) and not lines[j].startswith("```"):
                j += 1
            found.append((start, "\n".join(lines[start:j]) + "\n"))
            i = j
        i += 1
    return found


def prepare(folder, source, bindir):
    bank = os.path.join(bindir, "tabrix-bank")
    examples = os.path.join(source, "examples")
    for alt in ("base", "fiscal", "rates"):
        subprocess.run([bank, "create", os.path.join(folder, alt),
                        os.path.join(examples, "data", alt + ".csv")],
                       check=True, stdout=subprocess.DEVNULL)
    for alt in ("iobase", "iohigh"):
        subprocess.run([bank, "create", "-k", "v", os.path.join(folder, alt),
                        os.path.join(examples, "data", alt + ".v.csv")],
                       check=True, stdout=subprocess.DEVNULL)
    for name in os.listdir(examples):
        path = os.path.join(examples, name)
        if os.path.isfile(path) and not name.endswith(".py"):
            shutil.copy(path, folder)
    shutil.copytree(os.path.join(examples, "data"), os.path.join(folder, "data"))


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    source, bindir = (os.path.abspath(a) for a in sys.argv[1:])
    files = [os.path.join(source, "README.md")]
    docs = os.path.join(source, "docs")
    files += sorted(os.path.join(docs, n) for n in os.listdir(docs) if n.endswith(".md"))
    env = dict(os.environ)
    env["PATH"] = bindir + os.pathsep + env.get("PATH", "")
    env.pop("SOURCE_DATE_EPOCH", None)
    failures = 0
    count = 0
    for path in files:
        for line, text in blocks(path):
            count += 1
            where = "%s:%d" % (os.path.relpath(path, source), line)
            with tempfile.TemporaryDirectory(prefix="tabrix-docs-") as folder:
                prepare(folder, source, bindir)
                run = subprocess.run(["bash", "-e", "-o", "pipefail", "-c", text], cwd=folder,
                                     env=env, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                     timeout=120)
            if run.returncode != 0:
                failures += 1
                print("FAILED %s (status %d):\n%s\n--- output:\n%s" %
                      (where, run.returncode, text, run.stdout.decode("utf-8", "replace")))
            else:
                print("ok     %s" % where)
    if count == 0:
        print("no runnable examples found")
        return 1
    print("%d of %d runnable examples passed" % (count - failures, count))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
