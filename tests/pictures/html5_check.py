#!/usr/bin/env python3
"""Runs the pictures demo and parses its report with html5lib in strict
mode: any HTML5 parse error (misnested or unclosed elements, a bad
character reference, a missing doctype) fails the test.

Usage: html5_check.py PICTURES_DEMO"""
import subprocess
import sys
import tempfile

import html5lib


def main():
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.argv[1], folder], check=True)
        with open(folder + "/report.html", "rb") as page:
            html5lib.HTMLParser(strict=True).parse(page.read())
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
