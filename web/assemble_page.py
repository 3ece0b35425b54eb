"""Puts the page together: web/page/orowan.html with its style sheet, the
module (emscripten's single-file output, the WebAssembly inside it) and the
page's script inlined, so that the page is one file that fetches nothing.

python3 assemble_page.py PAGE_DIR MODULE_JS OUT_HTML"""
import os
import sys

def inline_script(text):
    # A script element ends at the first "</script"; the module's and the
    # page's code must not hold one.
    if "</script" in text.lower():
        raise SystemExit("assemble_page.py: a script holds </script")
    return text

def main():
    page_dir, module_js, out_html = sys.argv[1:4]
    read = lambda path: open(path, encoding="utf-8").read()
    html = read(os.path.join(page_dir, "orowan.html"))
    parts = {
        "/*OROWAN_STYLE*/": read(os.path.join(page_dir, "orowan.css")),
        "/*OROWAN_MODULE*/": inline_script(read(module_js)),
        "/*OROWAN_SCRIPT*/": inline_script(read(os.path.join(page_dir, "orowan.js"))),
    }
    for marker, text in parts.items():
        if html.count(marker) != 1:
            raise SystemExit(f"assemble_page.py: {marker} must be in orowan.html once")
        html = html.replace(marker, text)
    temporary = out_html + ".tmp"
    with open(temporary, "w", encoding="utf-8") as out:
        out.write(html)
    os.replace(temporary, out_html)

if __name__ == "__main__":
    main()
