"""The web page in headless Chromium (python3-selenium, chromium-driver).

Checks: the page loads from file:// and asks for nothing over the
network; 500 generated passes (every outcome, faults of every M number in
every stage the analysis faults in, flow curves, flattening, schedules)
through window.orowan.solve equal `orowan-batch --json` of the same input,
number by number as single values; the example pass typed into the form
shows rolling force 185.49 and a friction hill with a vertex per step; a
bad value shows the batch tool's message beside its field; the report
equals the console's bytes decoded from Shift-JIS; passes added to the
schedule equal the batch tool's schedule (thickness and strain carried), a
sweep its --vary, and the downloads (results CSV, schedule and sweep CSV,
the hill's SVG) the tool's bytes and the pass; at a phone's width nothing
scrolls sideways; Tab alone reaches every control, each with a name, and
the keys work the hill, the buttons and the sections; a choice in a list
recomputes; printed, the page shows the report at A4's width and no
buttons; line numbers of six digits equal the tool's. Prints the page's
size and load time and saves screenshots (desktop, phone width, printed)
and the printed PDF.

A page that was not built, or a browser that cannot start, fails the test
with the reason: it never passes silently.

python3 page_test.py --page orowan.html --batch orowan-batch --console orowan --shots DIR"""
import argparse
import base64
import hashlib
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import web_passes  # noqa: E402

ARGS = None
EXAMPLE = {"R": "100", "H1": "2", "H2": "1.5", "Y": "20", "SGB": "0", "SGF": "0", "U": "0.1"}


def single(x):
    """x as the single value it stands for (a float32 bit pattern)."""
    return struct.unpack("<I", struct.pack("<f", x))[0]


def same_value(a, b):
    if isinstance(a, (int, float)) and not isinstance(a, bool) and isinstance(b, (int, float)):
        return single(a) == single(b)
    if isinstance(a, dict) and isinstance(b, dict):
        return a.keys() == b.keys() and all(same_value(a[k], b[k]) for k in a)
    if isinstance(a, list) and isinstance(b, list):
        return len(a) == len(b) and all(same_value(x, y) for x, y in zip(a, b))
    return a == b


def differences(page, tool, skip=()):
    """The keys whose values differ between two result objects."""
    keys = (page.keys() | tool.keys()) - set(skip)
    return sorted(k for k in keys if k not in page or k not in tool or not same_value(page[k], tool[k]))


def batch_json(objects, *options):
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
        json.dump(objects, f)
        path = f.name
    try:
        run = subprocess.run([ARGS.batch, path, "--json", *options], capture_output=True, text=True)
        return json.loads(run.stdout), path
    finally:
        os.unlink(path)


def batch_csv(objects, *options):
    """The batch tool's CSV result table of the lines, as bytes."""
    with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
        json.dump(objects, f)
        path = f.name
    try:
        return subprocess.run([ARGS.batch, path, *options], capture_output=True, check=False).stdout
    finally:
        os.unlink(path)


def numbers_of(text):
    """A shown value as the single it stands for; a word stays a word."""
    try:
        return single(float(text))
    except ValueError:
        return text


def start_browser(width, height):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     f"--window-size={width},{height}", "--allow-file-access-from-files"):
        options.add_argument(argument)
    options.binary_location = "/usr/bin/chromium"
    options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(ARGS.page):
            raise RuntimeError(f"the page {ARGS.page} was not built: is emscripten installed "
                               "(apt-get install emscripten) and the build run with -DOROWAN_WEB=ON?")
        try:
            cls.browser = start_browser(1280, 1000)
        except Exception as error:  # the browser or its driver missing
            raise RuntimeError(f"headless Chromium could not start (chromium, chromium-driver, "
                               f"python3-selenium): {error}")
        cls.browser.set_script_timeout(600)
        started = time.monotonic()
        cls.browser.get("file://" + os.path.abspath(ARGS.page))
        cls.browser.execute_async_script(
            "const done = arguments[arguments.length - 1]; window.orowan.ready.then(() => done(1), e => done(String(e)));")
        cls.load_seconds = time.monotonic() - started
        cls.ready_ms = cls.browser.execute_script(
            "return performance.now();")
        print(f"page: {os.path.getsize(ARGS.page)} bytes; loaded and ready in {cls.load_seconds:.2f} s "
              f"(performance.now at ready {cls.ready_ms:.0f} ms)", flush=True)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()

    def solve(self, text):
        return self.browser.execute_script("return window.orowan.solve(arguments[0]);", text)

    def test_no_network_request(self):
        urls = []
        for entry in self.browser.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                urls.append(message["params"]["request"]["url"])
        outside = [u for u in urls if not u.startswith(("file://", "data:", "blob:"))]
        self.assertTrue(urls, "the page's own load was not logged: the log cannot tell")
        self.assertEqual(outside, [])

    def test_generated_passes_equal_the_batch_tool(self):
        objects = web_passes.passes(500, 20261209)
        text = json.dumps(objects)
        tool, _ = batch_json(objects)
        page = self.solve(text)
        self.assertEqual(len(page), len(tool))
        wrong = [(k, differences(p, t)) for k, (p, t) in enumerate(zip(page, tool)) if differences(p, t)]
        self.assertEqual(wrong, [])
        # Every fault the analysis raises in each stage it raises it in, of
        # those the tool lets through: it refuses a pass that does not reduce
        # the strip, a size or yield stress not above 0 and a negative
        # friction before the analysis (the faults those give the console,
        # M6101 and a geometry's M6201, the report test compares).
        faults = {(t["status"], t["stage"], t["side"]) for t in tool if t["status"].startswith("M")}
        expected = {("M6103", "geometry", None), ("M6103", "march", "exit"), ("M6104", "input", None),
                    ("M6104", "geometry", None), ("M6104", "march", "exit"),
                    ("M6201", "march", "exit"), ("M6201", "march", "entry")}
        self.assertLessEqual(expected, faults)
        statuses = {t["status"] for t in tool}
        self.assertLessEqual({"ok", "no neutral point", "no flattened radius", "error"}, statuses)
        print(f"{len(page)} passes equal orowan-batch --json; statuses {sorted(statuses)}", flush=True)

    def test_every_step_of_generated_passes_equals_the_batch_tool(self):
        # The module's math functions are not the native build's: every step
        # of both marches, as the whole JSON text, the tool's bytes. Compared
        # by SHA-256 per chunk, so that tens of megabytes stay in the page.
        objects = web_passes.passes(3000, 20261210)
        chunks = [objects[k:k + 250] for k in range(0, len(objects), 250)]
        digest = """
            const [text, done] = [arguments[0], arguments[arguments.length - 1]];
            const result = window.orowan.run(text, {steps: true});
            crypto.subtle.digest("SHA-256", new TextEncoder().encode(result.output)).then(d => done({
                sha: [...new Uint8Array(d)].map(b => b.toString(16).padStart(2, "0")).join(""),
                size: result.output.length, messages: result.messages, status: result.status}));"""
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "page")
            for number, chunk in enumerate(chunks):
                text = json.dumps(chunk)
                with open(path, "w") as f:
                    f.write(text)
                tool = subprocess.run([ARGS.batch, path, "--json", "--steps"], capture_output=True)
                page = self.browser.execute_async_script(digest, text)
                with self.subTest(chunk=number):
                    self.assertEqual(page["sha"], hashlib.sha256(tool.stdout).hexdigest())
                    self.assertEqual(page["messages"], tool.stderr.decode().replace(path, "page"))
                    self.assertEqual(page["status"], tool.returncode)
                    self.assertGreater(page["size"], 1000 * len(chunk))

    def test_messages_equal_the_batch_tools(self):
        ok = {k: json.loads(v) for k, v in EXAMPLE.items()}
        cases = [  # the input text: each gives the tool's messages, status and output
            json.dumps([ok, dict(ok, R=0)]),                          # elements sharing a line
            json.dumps([ok, dict(ok, COIL="A1"), dict(ok, COIL="A2")]),  # an unknown key, noted once
            "[\n" + json.dumps(ok) + ",\n" + json.dumps(dict(ok, U="x")) + "\n]",  # a bad value on its own line
            "[" + json.dumps(ok) + ", {\"R\": 100, \"R\": 120}]",     # a key twice
            "[" + json.dumps(ok) + ", 7]",                            # not an object
            "[" + json.dumps(ok),                                     # the array not closed
        ]
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "page")
            for text in cases:
                with self.subTest(text=text):
                    with open(path, "w") as f:
                        f.write(text)
                    tool = subprocess.run([ARGS.batch, path, "--json"], capture_output=True, text=True)
                    page = self.browser.execute_script("return window.orowan.run(arguments[0]);", text)
                    self.assertNotEqual(tool.stderr, "")
                    self.assertEqual(page["messages"], tool.stderr.replace(path, "page"))
                    self.assertEqual(page["status"], tool.returncode)
                    self.assertEqual(page["output"], tool.stdout)

    def test_single_objects_and_options_equal_the_batch_tool(self):
        cases = [  # (object, solve options, the tool's options)
            (EXAMPLE, {}, []),
            (EXAMPLE, {"steps": True}, ["--steps"]),
            (EXAMPLE, {"units": "si"}, ["--units", "si"]),
            (EXAMPLE, {"solver": "converged"}, ["--solver", "converged"]),
            (dict(EXAMPLE, U="0"), {"steps": True}, ["--steps"]),
            (dict(EXAMPLE, CURVE="swift", K="60", N="0.2", EPS0="0.01", Y=""), {}, []),
            (dict(EXAMPLE, E="21000", NU="0.3", V="300"), {}, []),
        ]
        for obj, options, tool_options in cases:
            obj = {k: (v if k == "CURVE" else json.loads(v)) for k, v in obj.items() if v != ""}
            with self.subTest(obj=obj, options=options):
                page = self.browser.execute_script("return window.orowan.solve(arguments[0], arguments[1]);",
                                                   obj, options)
                tool, _ = batch_json([obj], *tool_options)
                self.assertEqual(differences(page, tool[0]), [])

    def test_line_numbers_of_six_digits_equal_the_batch_tool(self):
        # An input whose elements start on lines 100,001 and 100,002 (one
        # solved, one refused): the line numbers in the JSON and CSV results
        # and in the message are the tool's, byte for byte. Integers are
        # written by a route of their own; six digits once came out empty.
        ok = {k: json.loads(v) for k, v in EXAMPLE.items()}
        text = "[" + "\n" * 100000 + json.dumps(ok) + ",\n" + json.dumps(dict(ok, R=-1)) + "]"
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "page")
            with open(path, "w") as f:
                f.write(text)
            for options, tool_options in (({}, ["--json"]), ({"json": False}, [])):
                with self.subTest(options=options):
                    tool = subprocess.run([ARGS.batch, path, *tool_options], capture_output=True, text=True,
                                          cwd=folder)
                    page = self.browser.execute_script("return window.orowan.run(arguments[0], arguments[1]);",
                                                       text, options)
                    self.assertIn("100002", tool.stdout)
                    self.assertEqual(page["output"], tool.stdout)
                    self.assertEqual(page["messages"], tool.stderr.replace(path, "page"))
                    self.assertEqual(page["status"], tool.returncode)

    def type_pass(self, values):
        from selenium.webdriver.common.by import By
        for name, value in values.items():
            field = self.browser.find_element(By.NAME, name)
            field.clear()
            field.send_keys(value)
        time.sleep(0.3)

    def test_typed_example_shows_force_and_hill(self):
        from selenium.webdriver.common.by import By
        self.type_pass(EXAMPLE)
        force = self.browser.find_element(By.CSS_SELECTOR, '[data-column="ROLLING_FORCE"]')
        self.assertEqual(force.text, "185.49")
        tool, _ = batch_json([{k: json.loads(v) for k, v in EXAMPLE.items()}], "--steps")
        for side in ("exit", "entry"):
            line = self.browser.find_element(By.CSS_SELECTOR, f'#hill polyline[data-side="{side}"][data-quantity="P"]')
            vertices = line.get_attribute("points").split()
            self.assertEqual(len(vertices), len(tool[0]["steps"][side]["X"]))
        os.makedirs(ARGS.shots, exist_ok=True)
        self.browser.save_screenshot(os.path.join(ARGS.shots, "page-desktop.png"))
        self.browser.execute_script("document.getElementById('sweep-section').scrollIntoView();")
        self.browser.save_screenshot(os.path.join(ARGS.shots, "page-desktop-sweep.png"))
        self.browser.set_window_size(390, 844)
        time.sleep(0.3)
        self.browser.execute_script("document.getElementById('results').scrollIntoView();")
        self.browser.save_screenshot(os.path.join(ARGS.shots, "page-phone.png"))
        self.browser.execute_script("document.getElementById('hill-section').scrollIntoView();")
        self.browser.save_screenshot(os.path.join(ARGS.shots, "page-phone-hill.png"))
        self.browser.execute_script("window.scrollTo(0, 0);")
        self.browser.set_window_size(1280, 1000)

    def focused(self):
        """What has the keyboard's focus: its id, else its name."""
        return self.browser.execute_script(
            "const e = document.activeElement; return e.id || e.getAttribute('name') || e.tagName;")

    def keys(self, *keys, settle=0.3):
        """Presses `keys`, then waits `settle` seconds for the page to
        recompute. Focus moves as the key is dispatched: a Tab needs no
        wait."""
        from selenium.webdriver.common.action_chains import ActionChains
        ActionChains(self.browser).send_keys(*keys).perform()
        time.sleep(settle)

    def retype(self, text):
        """Replaces the focused field's text by `text`, as a user does."""
        from selenium.webdriver.common.action_chains import ActionChains
        from selenium.webdriver.common.keys import Keys
        ActionChains(self.browser).key_down(Keys.CONTROL).send_keys("a").key_up(Keys.CONTROL).send_keys(text).perform()
        time.sleep(0.3)

    def tab_to(self, target, limit=60):
        from selenium.webdriver.common.keys import Keys
        for _ in range(limit):
            if self.focused() == target:
                return
            self.keys(Keys.TAB, settle=0)
        self.fail(f"Tab never reached {target}")

    def shown_step(self):
        """The step values under the hill: (side, step, {column: single})."""
        from selenium.webdriver.common.by import By
        text = self.browser.find_element(By.ID, "hill-values").text
        head, _, values = text.partition(": ")
        side, _, step = head.partition(" march, step ")
        words = values.split()
        return side, int(step), {words[k]: numbers_of(words[k + 1]) for k in range(0, len(words), 2)}

    def assert_step_is_the_tools(self, obj, side, step):
        got_side, got_step, values = self.shown_step()
        self.assertEqual((got_side, got_step), (side, step))
        steps = batch_json([obj], "--steps")[0][0]["steps"][side]
        self.assertEqual(values, {c: single(steps[c][step - 1]) for c in values})
        self.assertLessEqual({"X", "P", "F"}, values.keys())

    def test_keyboard_alone_reaches_and_works_every_control(self):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.common.keys import Keys
        self.type_pass(EXAMPLE)
        self.browser.execute_script("document.activeElement.blur(); window.scrollTo(0, 0);")
        # Every control in the page's order, each with a name a reader says.
        # Tab goes on from the last focused control: first to the document's
        # end (the body), then once round.
        reached = []
        for _ in range(80):
            self.keys(Keys.TAB, settle=0)
            if self.focused() == "BODY":
                break
        for _ in range(80):
            self.keys(Keys.TAB, settle=0)
            if self.focused() in reached or self.focused() == "BODY":
                break
            reached.append(self.focused())
        focusable = self.browser.execute_script("""
            return [...document.querySelectorAll('input, select, button, summary, [tabindex]')]
              .filter(e => e.checkVisibility()).map(e => e.id || e.getAttribute('name') || e.tagName);""")
        self.assertEqual([f for f in focusable if f not in reached], [])
        unnamed = self.browser.execute_script("""
            const named = e => (e.labels && e.labels.length > 0) || e.getAttribute('aria-label') || e.textContent.trim();
            return [...document.querySelectorAll('input, select, button, summary, [tabindex]')]
              .filter(e => e.checkVisibility() && !named(e)).map(e => e.id || e.tagName);""")
        self.assertEqual(unnamed, [])
        for first, then in (("units", "solver"), ("field-R", "field-H1"), ("field-U", "more-summary"),
                            ("hill-chart", "download-svg"),
                            ("add-pass", "clear-schedule")):
            self.assertEqual(reached.index(then), reached.index(first) + 1, (first, then, reached))
        # Typing, the hill's keys, the buttons and a section's summary.
        example = {k: json.loads(v) for k, v in EXAMPLE.items()}
        self.browser.execute_script("document.activeElement.blur(); window.scrollTo(0, 0);")
        self.tab_to("field-R")
        self.retype("120")
        changed = dict(example, R=120)
        force = self.browser.find_element(By.CSS_SELECTOR, '[data-column="ROLLING_FORCE"][data-precision="full"]')
        self.assertEqual(numbers_of(force.text), single(batch_json([changed])[0][0]["ROLLING_FORCE"]))
        # The keys go through the steps of both marches in X order, as the
        # pointer does (X from the exit plane; the marches overlap).
        tool = batch_json([changed], "--steps")[0][0]["steps"]
        order = sorted(((x, side, k + 1) for side in ("exit", "entry") for k, x in enumerate(tool[side]["X"])),
                       key=lambda t: t[0])
        self.tab_to("hill-chart")
        for key, index in ((Keys.HOME, 0), (Keys.ARROW_RIGHT, 1), (Keys.PAGE_UP, 11), (Keys.PAGE_DOWN, 1),
                           (Keys.ARROW_LEFT, 0), (Keys.ARROW_LEFT, 0), (Keys.END, -1), (Keys.ARROW_RIGHT, -1),
                           (Keys.ARROW_LEFT, -2)):
            with self.subTest(key=repr(key), index=index):
                self.keys(key)
                _, side, step = order[index]
                self.assert_step_is_the_tools(changed, side, step)
        # The shown step stays shown as the pass changes, with its new values.
        self.tab_to("field-U")
        self.retype("0.2")
        self.assert_step_is_the_tools(dict(changed, U=0.2), *order[-2][1:])
        rows = '#schedule tbody tr'
        self.tab_to("add-pass")
        self.keys(Keys.ENTER)
        self.assertEqual(len(self.browser.find_elements(By.CSS_SELECTOR, rows)), 1)
        self.tab_to("clear-schedule")
        self.keys(Keys.SPACE)
        self.assertEqual(len(self.browser.find_elements(By.CSS_SELECTOR, rows)), 0)
        more = self.browser.find_element(By.ID, "more")
        self.browser.execute_script("document.activeElement.blur(); window.scrollTo(0, 0);")
        self.tab_to("more-summary")
        self.keys(Keys.ENTER)
        self.assertTrue(more.get_property("open"))
        self.keys(Keys.ENTER)
        self.assertFalse(more.get_property("open"))
        self.type_pass(EXAMPLE)

    def test_a_choice_in_a_list_recomputes(self):
        # Selenium's choice fires "change" and no "input", as some tools do.
        from selenium.webdriver.support.select import Select
        from selenium.webdriver.common.by import By
        self.type_pass(EXAMPLE)
        example = {k: json.loads(v) for k, v in EXAMPLE.items()}
        cases = [  # (list, choice, the tool's options for the result shown)
            ("solver", "converged", ["--solver", "converged"]),
            ("units", "si", ["--units", "si"]),
        ]
        for list_id, choice, tool_options in cases:
            with self.subTest(list=list_id, choice=choice):
                chooser = Select(self.browser.find_element(By.ID, list_id))
                before = chooser.first_selected_option.get_attribute("value")
                chooser.select_by_value(choice)
                time.sleep(0.3)
                try:
                    shown = self.browser.find_element(By.CSS_SELECTOR,
                                                      '[data-column="ROLLING_FORCE"][data-precision="full"]').text
                    tool = batch_json([example], *tool_options)[0][0]["ROLLING_FORCE"]
                    self.assertEqual(float(shown), tool)
                finally:
                    chooser.select_by_value(before)
                    time.sleep(0.3)
        chooser = Select(self.browser.find_element(By.ID, "sweep-result"))
        chooser.select_by_value("PM")
        time.sleep(0.3)
        try:
            legend = [t.text for t in self.browser.find_elements(By.CSS_SELECTOR, "#sweep svg text")]
            self.assertIn("PM", legend)
        finally:
            chooser.select_by_value("ROLLING_FORCE")
            time.sleep(0.3)

    def shown_pass(self):
        """The form's fields, units and solver, and the full rolling force."""
        return self.browser.execute_script("""
            const f = document.forms.pass.elements, names = [...document.querySelectorAll('#pass [name]')]
              .map(e => e.name).filter(n => n !== 'units' && n !== 'solver');
            const force = document.querySelector('[data-column="ROLLING_FORCE"][data-precision="full"]');
            return {fields: Object.fromEntries(names.map(n => [n, f[n].value])), units: f.units.value,
                    solver: f.solver.value, force: force ? force.textContent : null,
                    count: document.querySelectorAll('[name="R"]').length};""")

    def open_page(self, url):
        self.browser.get(url)
        self.browser.execute_async_script(
            "const done = arguments[arguments.length - 1]; window.orowan.ready.then(() => done(1));")
        time.sleep(0.4)

    def test_the_pass_travels_in_the_address_and_in_a_saved_copy(self):
        from selenium.webdriver.support.select import Select
        from selenium.webdriver.common.by import By
        page = "file://" + os.path.abspath(ARGS.page)
        typed = dict(EXAMPLE, R="120", U="0.15", SGF="2")
        cases = [  # (typed fields, the flow curve, units, solver)
            (typed, {}, "report", "console"),
            (dict(typed, Y=""), {"CURVE": "swift", "K": "600", "N": "0.2", "EPS0": "0.01"}, "si", "console"),
            (typed, {}, "report", "converged"),
        ]
        self.allow_downloads()
        try:
            for fields, curve, units, solver in cases:
                with self.subTest(curve=curve, units=units, solver=solver):
                    self.open_page(page)
                    self.type_pass(fields)
                    if curve:
                        self.set_more(curve)
                    for list_id, choice in (("units", units), ("solver", solver)):
                        Select(self.browser.find_element(By.ID, list_id)).select_by_value(choice)
                    time.sleep(0.4)
                    shown = self.shown_pass()
                    self.assertIsNotNone(shown["force"], self.browser.find_element(By.ID, "message").text)
                    address = self.browser.current_url
                    self.assertIn("R=120", address)
                    # The address opens the page on the same pass, in another tab's place.
                    self.browser.get("about:blank")
                    self.open_page(address)
                    self.assertEqual(self.shown_pass(), shown)
                    # The saved copy, opened from its file, shows it too and works.
                    self.click("save-page")
                    saved = os.path.join(self.downloads, "page-copy.html")
                    with open(saved, "wb") as f:
                        f.write(self.downloaded("orowan.html"))
                    self.open_page("file://" + saved)
                    self.assertEqual(self.shown_pass(), shown)
                    self.assertEqual(self.browser.execute_script("return location.hash;"), "#" + address.split("#")[1])
        finally:
            self.open_page(page)

    def set_more(self, values):
        """Types the flow curve's fields with their section open, then
        closes it again."""
        from selenium.webdriver.support.select import Select
        from selenium.webdriver.common.by import By
        self.browser.execute_script("document.getElementById('more').open = true;")
        Select(self.browser.find_element(By.NAME, "CURVE")).select_by_value(values.get("CURVE", ""))
        self.type_pass({k: v for k, v in values.items() if k != "CURVE"})
        self.browser.execute_script("document.getElementById('more').open = false;")

    def print_view(self):
        """The page as printed on A4 (print media, after the page's
        beforeprint): what shows, widths, the report."""
        self.browser.set_window_size(794, 1123)
        self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
        self.browser.execute_script("window.dispatchEvent(new Event('beforeprint'));")
        time.sleep(0.3)
        return self.browser.execute_script("""
            const shown = id => document.getElementById(id).checkVisibility();
            const report = document.getElementById('report');
            return {buttons: [...document.querySelectorAll('button')].filter(b => b.checkVisibility()).length,
                    more: shown('more-fields'), report: shown('report'), schedule: shown('schedule-section'),
                    readout: shown('hill-values'), hill: shown('hill'), summary: shown('summary'),
                    text: report.textContent, overflow: report.scrollWidth - report.clientWidth,
                    width: document.documentElement.scrollWidth, window: window.innerWidth};""")

    def end_print(self):
        self.browser.execute_script("window.dispatchEvent(new Event('afterprint'));")
        self.browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": ""})
        self.browser.set_window_size(1280, 1000)

    def test_printed_page(self):
        from selenium.webdriver.common.by import By
        curve = {"CURVE": "swift", "K": "60", "N": "0.2", "EPS0": "0.01"}
        no_curve = {k: "" for k in curve}
        typed = {id(no_curve): EXAMPLE, id(curve): dict(EXAMPLE, Y="")}  # a curve stands for Y
        cases = [  # (the flow curve's fields, a schedule added: each printed or not)
            (no_curve, False),
            (curve, True),
        ]
        for more, schedule in cases:
            with self.subTest(more=more, schedule=schedule):
                values = typed[id(more)]
                self.type_pass(values)
                self.set_more(more)
                if schedule:
                    self.click("add-pass")
                    self.type_pass(values)
                self.assertEqual(self.browser.find_element(By.ID, "status").text, "ok")
                obj = {k: json.loads(v) for k, v in values.items() if v}
                obj.update({k: (v if k == "CURVE" else json.loads(v)) for k, v in more.items() if v})
                # The console takes the seven values only: with a curve the
                # report's place says so, on paper too.
                report = self.browser.execute_script(
                    "try { return window.orowan.report(arguments[0]); } catch (e) { return e.message; }", obj)
                try:
                    view = self.print_view()
                    self.assertEqual(view["buttons"], 0)
                    self.assertEqual((view["more"], view["schedule"], view["readout"]), (more is curve, schedule, False))
                    self.assertTrue(view["report"] and view["hill"] and view["summary"])
                    self.assertEqual(view["text"], report)
                    self.assertLessEqual(view["overflow"], 0, "the report is cut at the page's edge")
                    self.assertLessEqual(view["width"], view["window"], "the page is wider than the paper")
                    if more is no_curve:
                        height = self.browser.execute_script("return document.documentElement.scrollHeight;")
                        self.browser.set_window_size(794, height + 20)
                        self.browser.save_screenshot(os.path.join(ARGS.shots, "page-print.png"))
                finally:
                    self.end_print()
                    self.click("clear-schedule")
                    self.set_more(no_curve)
                    self.type_pass(EXAMPLE)
                details = self.browser.execute_script(
                    "return [document.getElementById('more').open, document.getElementById('report-details').open];")
                self.assertEqual(details, [False, False], "afterprint leaves the sections as they were")
        # Chromium's own printing runs the same handlers and makes pages.
        self.browser.execute_script(
            "window.printed = 0; window.addEventListener('beforeprint', () => ++window.printed);")
        pdf = base64.b64decode(self.browser.execute_cdp_cmd(
            "Page.printToPDF", {"paperWidth": 8.27, "paperHeight": 11.69})["data"])
        with open(os.path.join(ARGS.shots, "page-print.pdf"), "wb") as f:
            f.write(pdf)
        self.assertTrue(pdf.startswith(b"%PDF-"))
        pages = re.search(rb"/Type\s*/Pages.*?/Count\s+(\d+)|/Count\s+(\d+).*?/Type\s*/Pages", pdf, re.S)
        self.assertIsNotNone(pages, "no page tree in the PDF")
        self.assertGreaterEqual(int(pages.group(1) or pages.group(2)), 2)
        self.assertEqual(self.browser.execute_script("return window.printed;"), 1)
        self.assertEqual(self.browser.execute_script("return document.getElementById('report-details').open;"),
                         False)

    def click(self, element_id):
        from selenium.webdriver.common.by import By
        self.browser.find_element(By.ID, element_id).click()
        time.sleep(0.3)

    def downloaded(self, name, timeout=20):
        """The bytes of a download, once Chromium has finished writing it."""
        path = os.path.join(self.downloads, name)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if os.path.isfile(path) and not os.path.exists(path + ".crdownload"):
                with open(path, "rb") as f:
                    data = f.read()
                os.unlink(path)
                return data
            time.sleep(0.1)
        self.fail(f"{name} was not downloaded into {self.downloads}: {os.listdir(self.downloads)}")

    def allow_downloads(self):
        self.downloads = tempfile.mkdtemp(prefix="orowan-downloads-")
        self.addCleanup(shutil.rmtree, self.downloads, True)
        self.browser.execute_cdp_cmd("Browser.setDownloadBehavior",
                                     {"behavior": "allow", "downloadPath": self.downloads})

    def test_schedule_carries_thickness_and_strain_as_the_batch_tool(self):
        from selenium.webdriver.common.by import By
        self.allow_downloads()
        self.click("clear-schedule")
        # Three passes: the first as typed, the next two with only their exit
        # thickness changed; the page leaves H1 out of them, as a schedule
        # in the batch tool does, and the tool takes the exit over.
        exits = ["1.5", "1.2", "1"]
        lines = []
        for k, h2 in enumerate(exits):
            self.type_pass(dict(EXAMPLE, H2=h2) if k == 0 else {"H2": h2})
            self.click("add-pass")
            line = {name: json.loads(v) for name, v in dict(EXAMPLE, H2=h2).items()}
            if k > 0:
                del line["H1"]
            lines.append(line)
        tool, _ = batch_json(lines)
        # What carrying means: each entry thickness is the exit before it,
        # and the strain goes on from the strain the pass before left.
        self.assertEqual([t["H1"] for t in tool], [2, 1.5, 1.2])
        self.assertEqual(tool[1]["EPS_IN"], tool[0]["EPS_OUT"])
        self.assertEqual(tool[2]["EPS_IN"], tool[1]["EPS_OUT"])
        rows = self.browser.find_elements(By.CSS_SELECTOR, "#schedule tbody tr")
        self.assertEqual(len(rows), len(lines))
        for row, expected in zip(rows, tool):
            cells = row.find_elements(By.CSS_SELECTOR, "td[data-column]")
            self.assertTrue(cells)
            for cell in cells:
                column = cell.get_attribute("data-column")
                with self.subTest(pass_line=expected["line"], column=column):
                    self.assertEqual(numbers_of(cell.text), numbers_of(str(expected[column])))
        self.click("download-schedule")
        self.assertEqual(self.downloaded("schedule.csv"), batch_csv(lines))
        self.click("clear-schedule")
        self.assertEqual(self.browser.find_elements(By.CSS_SELECTOR, "#schedule tbody tr"), [])
        self.type_pass(EXAMPLE)

    def test_sweep_equals_the_batch_tools_vary(self):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.support.ui import Select
        self.allow_downloads()
        self.type_pass(EXAMPLE)
        Select(self.browser.find_element(By.ID, "sweep-column")).select_by_value("SGF")
        for field, value in (("sweep-from", "0"), ("sweep-to", "12"), ("sweep-step", "1.5")):
            box = self.browser.find_element(By.ID, field)
            box.clear()
            box.send_keys(value)
        Select(self.browser.find_element(By.ID, "sweep-result")).select_by_value("ROLLING_FORCE")
        time.sleep(0.3)
        line = [{k: json.loads(v) for k, v in EXAMPLE.items()}]
        tool, _ = batch_json(line, "--vary", "SGF=0:12:1.5")
        self.assertEqual([t["SGF"] for t in tool], [1.5 * k for k in range(9)])
        # The chart: a vertex per case with a force, left to right by SGF,
        # higher on the page where the force is greater.
        polyline = self.browser.find_element(By.CSS_SELECTOR, "#sweep svg polyline")
        vertices = [tuple(map(float, p.split(","))) for p in polyline.get_attribute("points").split()]
        forces = [t["ROLLING_FORCE"] for t in tool if isinstance(t["ROLLING_FORCE"], (int, float))]
        self.assertEqual(len(vertices), len(forces))
        self.assertEqual([x for x, _ in vertices], sorted(x for x, _ in vertices))
        for (_, y0), (_, y1), f0, f1 in zip(vertices, vertices[1:], forces, forces[1:]):
            self.assertEqual(y1 < y0, f1 > f0)
        self.click("download-sweep")
        self.assertEqual(self.downloaded("sweep.csv"), batch_csv(line, "--vary", "SGF=0:12:1.5"))
        Select(self.browser.find_element(By.ID, "sweep-column")).select_by_value("U")
        for field, value in (("sweep-from", "0.05"), ("sweep-to", "0.3"), ("sweep-step", "0.01")):
            box = self.browser.find_element(By.ID, field)
            box.clear()
            box.send_keys(value)

    def test_downloads_of_the_pass(self):
        import xml.etree.ElementTree as ElementTree
        self.allow_downloads()
        self.type_pass(EXAMPLE)
        line = [{k: json.loads(v) for k, v in EXAMPLE.items()}]
        self.click("download-csv")
        self.assertEqual(self.downloaded("pass.csv"), batch_csv(line))
        self.click("download-svg")
        svg = ElementTree.fromstring(self.downloaded("friction-hill.svg"))
        self.assertEqual(svg.tag, "{http://www.w3.org/2000/svg}svg")
        tool, _ = batch_json(line, "--steps")
        for side in ("exit", "entry"):
            lines = [e for e in svg.iter("{http://www.w3.org/2000/svg}polyline")
                     if e.get("data-side") == side and e.get("data-quantity") == "P"]
            self.assertEqual(len(lines), 1)
            self.assertEqual(len(lines[0].get("points").split()), len(tool[0]["steps"][side]["X"]))
        neutral = [e for e in svg.iter("{http://www.w3.org/2000/svg}text") if "neutral point" in (e.text or "")]
        self.assertEqual([e.text for e in neutral], [f"neutral point XN = {tool[0]['XN']}"])

    def test_phone_width_needs_no_sideways_scrolling(self):
        from selenium.webdriver.common.by import By
        self.type_pass(EXAMPLE)
        self.browser.set_window_size(390, 844)
        time.sleep(0.3)
        try:
            width = self.browser.execute_script("return document.documentElement.clientWidth;")
            self.assertLessEqual(self.browser.execute_script("return document.documentElement.scrollWidth;"), width)
            table = self.browser.find_element(By.CSS_SELECTOR, "#summary table")
            box = self.browser.find_element(By.ID, "summary")
            self.assertLessEqual(table.size["width"], box.size["width"])
            self.assertLessEqual(self.browser.execute_script(
                "return Math.max(...[...document.querySelectorAll('#summary *')].map(e => e.scrollWidth - e.clientWidth));"), 0)
            self.browser.execute_script("document.getElementById('results').scrollIntoView();")
            os.makedirs(ARGS.shots, exist_ok=True)
            self.browser.save_screenshot(os.path.join(ARGS.shots, "page-phone-summary.png"))
        finally:
            self.browser.set_window_size(1280, 1000)

    def test_bad_value_message_beside_its_field(self):
        from selenium.webdriver.common.by import By
        cases = [("U", "abc"), ("H2", "1.5x"), ("R", "1E400")]
        for name, bad in cases:
            with self.subTest(field=name, value=bad):
                self.type_pass(dict(EXAMPLE, **{name: bad}))
                tool, _ = batch_json([dict({k: json.loads(v) for k, v in EXAMPLE.items()}, **{name: bad})])
                prefix = f"column {name}: "
                self.assertTrue(tool[0]["message"].startswith(prefix), tool[0]["message"])
                shown = self.browser.find_element(By.ID, f"problem-{name}").text
                self.assertEqual(shown, tool[0]["message"][len(prefix):])
                field = self.browser.find_element(By.NAME, name)
                self.assertEqual(field.get_attribute("aria-invalid"), "true")
        self.type_pass(EXAMPLE)
        self.assertEqual(self.browser.find_element(By.ID, "problem-U").text, "")

    def test_report_equals_the_console(self):
        # The last three fault: friction 0 in the exit march, a thicker strip
        # after the pass (M6201 in the geometry), no reduction and no radius
        # (M6101): faults the batch tool's checks keep from the analysis.
        cases = [EXAMPLE, dict(EXAMPLE, SGF="5", U="0.3"), dict(EXAMPLE, U="0"),
                 dict(EXAMPLE, H1="1.5", H2="2"), dict(EXAMPLE, R="0", H1="2", H2="2")]
        for values in cases:
            with self.subTest(values=values):
                typed = "\n".join([values["R"], values["H1"] + " " + values["H2"], values["Y"],
                                   values["SGB"] + " " + values["SGF"], values["U"], "0"]) + "\n"
                console = subprocess.run([ARGS.console], input=typed.encode(), capture_output=True).stdout
                page = self.browser.execute_script(
                    "return window.orowan.report(arguments[0]);", {k: json.loads(v) for k, v in values.items()})
                self.assertEqual(page, console.decode("cp932"))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True)
    parser.add_argument("--batch", required=True)
    parser.add_argument("--console", required=True)
    parser.add_argument("--shots", default=tempfile.gettempdir())
    ARGS, rest = parser.parse_known_args()
    ARGS.batch, ARGS.console = os.path.abspath(ARGS.batch), os.path.abspath(ARGS.console)
    unittest.main(argv=[sys.argv[0], "-v"] + rest)
