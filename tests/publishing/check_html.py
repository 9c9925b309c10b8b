#!/usr/bin/env python3
"""Checks that an HTML file of the HTML renderer is well formed and self-contained.

    python3 check_html.py FILE

Every element is closed in order (void elements excepted), the document declares UTF-8
and is valid UTF-8, and it holds no script and no reference to anything outside the
file (links only to its own anchors). Prints what is wrong and exits 1; exits 0 when
the file passes.
"""
import sys
from html.parser import HTMLParser

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
        "source", "track", "wbr"}


class Checker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack = []
        self.faults = []
        self.ids = set()
        self.links = []
        self.charset = False

    def where(self):
        line, column = self.getpos()
        return f"line {line}, column {column + 1}"

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag == "script":
            self.faults.append(f"{self.where()}: a <script>")
        if tag in ("img", "link", "iframe", "object", "embed", "source") or "src" in attributes:
            self.faults.append(f"{self.where()}: an external resource <{tag}>")
        if tag == "meta" and attributes.get("charset", "").lower() == "utf-8":
            self.charset = True
        if "id" in attributes:
            if attributes["id"] in self.ids:
                self.faults.append(f"{self.where()}: id {attributes['id']!r} given twice")
            self.ids.add(attributes["id"])
        if "href" in attributes:
            self.links.append((self.where(), attributes["href"]))
        if tag not in VOID:
            self.stack.append((tag, self.where()))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.stack.pop()

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack:
            self.faults.append(f"{self.where()}: </{tag}> closes nothing")
            return
        open_tag, opened = self.stack.pop()
        if open_tag != tag:
            self.faults.append(f"{self.where()}: </{tag}> closes <{open_tag}> of {opened}")


def check(path):
    raw = open(path, "rb").read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        return [f"not UTF-8: {error}"]
    checker = Checker()
    if not text.lstrip().lower().startswith("<!doctype html>"):
        checker.faults.append("no <!DOCTYPE html> at the start")
    checker.feed(text)
    checker.close()
    for tag, opened in checker.stack:
        checker.faults.append(f"<{tag}> of {opened} is never closed")
    if not checker.charset:
        checker.faults.append("no <meta charset=\"utf-8\">")
    for where, href in checker.links:
        if not href.startswith("#"):
            checker.faults.append(f"{where}: a link outside the file: {href}")
        elif href[1:] not in checker.ids:
            checker.faults.append(f"{where}: a link to a missing anchor: {href}")
    return checker.faults


def main():
    if len(sys.argv) != 2:
        print("usage: check_html.py FILE", file=sys.stderr)
        return 2
    faults = check(sys.argv[1])
    for fault in faults:
        print(f"{sys.argv[1]}: {fault}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
