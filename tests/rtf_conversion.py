#!/usr/bin/env python3
"""The demo's RTF table opened by a word processor: LibreOffice converts summary.rtf to
PDF (soffice --headless --convert-to pdf); pdftotext -layout, at the body font's fixed
pitch, must show every line of the text table unbroken with its columns where they are
in the file, and pdffonts a monospaced face. Exits 77 (skipped) when soffice,
pdftotext or pdffonts is missing.

usage: rtf_conversion.py SOURCE_DIR BIN_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
# The advance of one character at 8.5 points in the fixed-pitch faces that stand for
# Courier New (0.6 em; DejaVu Sans Mono and Liberation Mono 0.602 em).
PITCH = "5.117"


def rtf_lines(path):
    """The table's lines as the RTF file holds them, without their \\par."""
    with open(path, encoding="latin-1") as f:
        text = f.read()
    body = text[text.index("\\fs17") + len("\\fs17"):]
    lines = []
    for line in body.split("\\par\n"):
        line = line.replace("\f", "").rstrip()
        line = line.strip("\n")
        if line and line != "}":
            lines.append(line)
    return lines


def main():
    tools = [shutil.which(t) for t in ("soffice", "pdftotext", "pdffonts")]
    if not all(tools):
        print("soffice, pdftotext or pdffonts is missing: the RTF conversion is not checked")
        return SKIP
    source, bindir = (os.path.abspath(a) for a in sys.argv[1:3])
    examples = os.path.join(source, "examples")
    with tempfile.TemporaryDirectory(prefix="tabrix-rtf-") as folder:
        for alt in ("base", "fiscal", "rates"):
            subprocess.run([os.path.join(bindir, "tabrix-bank"), "create", os.path.join(folder, alt),
                            os.path.join(examples, "data", alt + ".csv")],
                           check=True, stdout=subprocess.DEVNULL)
        for name in ("summary.in", "summary.stb"):
            shutil.copy(os.path.join(examples, name), folder)
        subprocess.run([os.path.join(bindir, "tabrix"), "-s", "summary.in"], cwd=folder,
                       check=True, stdout=subprocess.DEVNULL)
        profile = "file://" + os.path.join(folder, "profile")
        subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless",
                        "--convert-to", "pdf", "--outdir", folder, "summary.rtf"],
                       cwd=folder, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)
        pdf = os.path.join(folder, "summary.pdf")
        shown = subprocess.run(["pdftotext", "-layout", "-fixed", PITCH, pdf, "-"],
                               check=True, stdout=subprocess.PIPE).stdout.decode("utf-8")
        fonts = subprocess.run(["pdffonts", pdf], check=True,
                               stdout=subprocess.PIPE).stdout.decode("utf-8")
        expected = rtf_lines(os.path.join(folder, "summary.rtf"))

    failures = []
    faces = [line.split()[0] for line in fonts.splitlines()[2:] if line.strip()]
    if not faces or not all(re.search(r"mono|courier|cousine", f, re.I) for f in faces):
        failures.append("the PDF's fonts are not all monospaced: %s" % faces)
    pages = [l.rstrip() for l in shown.replace("\f", "\n").split("\n") if l.strip()]
    # The page's left margin shifts every line by the same number of columns.
    offset = min(len(l) - len(l.lstrip()) for l in pages) if pages else 0
    first = next((l for l in expected), "")
    offset -= len(first) - len(first.lstrip())
    got = [l[offset:] if offset > 0 else l for l in pages]
    if len(got) != len(expected):
        failures.append("the PDF shows %d lines, the RTF file holds %d (lines broken?)"
                        % (len(got), len(expected)))
    for want, have in zip(expected, got):
        if want != have:
            failures.append("line differs:\n  rtf: %r\n  pdf: %r" % (want, have))
    if failures:
        print("\n".join(failures))
        print("--- pdftotext:\n" + shown)
        return 1
    print("%d lines unbroken and aligned; fonts %s" % (len(expected), ", ".join(faces)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
