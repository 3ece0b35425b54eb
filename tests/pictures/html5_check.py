#!/usr/bin/env python3
"""Runs the pictures demo and parses its report with html5lib in strict
mode: any HTML5 parse error (misnested or unclosed elements, a bad
character reference, a missing doctype) fails the test. Given a page
(a name ending in .html) instead, parses that page.

Usage: html5_check.py PICTURES_DEMO | PAGE.html"""
import subprocess
import sys
import tempfile

import html5lib


def main():
    if sys.argv[1].endswith(".html"):
        with open(sys.argv[1], "rb") as page:
            html5lib.HTMLParser(strict=True).parse(page.read())
        print("1 passed, 0 failed")
        return
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.argv[1], folder], check=True)
        with open(folder + "/report.html", "rb") as page:
            html5lib.HTMLParser(strict=True).parse(page.read())
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
