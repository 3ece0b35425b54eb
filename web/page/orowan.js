// The page's script: window.orowan over the WebAssembly module (the batch
// tool's run and the console's dialogue), and the form, results, friction
// hill, schedule, sweep and downloads over window.orowan.
"use strict";

(function () {
  // The page as it came, before this script builds anything into it: what
  // "Save the page with this pass" writes, with the pass added.
  const PRISTINE = "<!DOCTYPE html>\n" + document.documentElement.outerHTML;

  // ---- window.orowan: the module's two calls

  let module = null;
  const FLAGS = { json: 1, steps: 2, si: 4, converged: 8 };

  // A JSON text of the batch tool's input: a text is kept as written when
  // it is a JSON number (so "0.10" or "1E-45" reach the reader as typed).
  const NUMBER = /^-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?$/;
  function inputText(input) {
    if (typeof input === "string") return input;
    return JSON.stringify(input, (key, value) =>
      value instanceof RawNumber ? `\u0000${value.text}\u0000` : value)
      .replace(/"\\u0000([^"\\]*)\\u0000"/g, "$1");
  }
  function RawNumber(text) { this.text = text; }

  function withString(text, body) {
    const size = module.lengthBytesUTF8(text) + 1;
    const pointer = module._malloc(size);
    module.stringToUTF8(text, pointer, size);
    try { return body(pointer); } finally { module._free(pointer); }
  }

  // The batch tool's run: {output, messages, status}.
  function run(input, options = {}) {
    if (!module) throw new Error("orowan: the calculator is still loading (await orowan.ready)");
    const flags = (options.json === false ? 0 : FLAGS.json) | (options.steps ? FLAGS.steps : 0) |
      (options.units === "si" ? FLAGS.si : 0) | (options.solver === "converged" ? FLAGS.converged : 0);
    const out = module._malloc(8);
    try {
      return withString(inputText(input), (text) => withString(options.vary || "", (vary) => {
        const output = module.UTF8ToString(module._orowan_run(text, flags, vary, out, out + 4));
        return { output, messages: module.UTF8ToString(module.getValue(out + 4, "i32")),
                 status: module.getValue(out, "i32") };
      }));
    } finally { module._free(out); }
  }

  // What `orowan-batch --json` gives: the object of a single input object,
  // the array of an array (a schedule: H1 left out takes the exit over).
  function solve(input, options = {}) {
    const result = run(Array.isArray(input) || typeof input === "string" ? input : [input], options);
    const parsed = result.output ? JSON.parse(result.output) : [];
    if (!Array.isArray(input) && typeof input !== "string") {
      if (parsed.length !== 1) throw new Error(result.messages.trim() || "orowan: no result");
      return parsed[0];
    }
    return parsed;
  }

  // The console's typed answers for a pass object: R, H1 H2, Y, SGB SGF, U,
  // then 0 (no further pass).
  const CONSOLE_COLUMNS = ["R", "H1", "H2", "Y", "SGB", "SGF", "U"];
  function dialogueOf(input) {
    for (const key of Object.keys(input)) {
      if (!CONSOLE_COLUMNS.includes(key) && input[key] !== null && input[key] !== "") {
        throw new Error(`orowan.report: the console takes R, H1, H2, Y, SGB, SGF and U only, not ${key}`);
      }
    }
    const text = (key, otherwise) => {
      const v = input[key];
      if (v === undefined || v === null || v === "") return otherwise;
      return v instanceof RawNumber ? v.text : String(v);
    };
    return [text("R", "0"), `${text("H1", "0")} ${text("H2", "0")}`, text("Y", "0"),
            `${text("SGB", "0")} ${text("SGF", "0")}`, text("U", "0"), "0"].join("\n") + "\n";
  }

  // The console's report of the pass, its Shift-JIS texts as a string.
  function report(input) {
    if (!module) throw new Error("orowan: the calculator is still loading (await orowan.ready)");
    const lengthAndStatus = module._malloc(8);
    try {
      return withString(dialogueOf(input), (dialogue) => {
        const bytes = module._orowan_report(dialogue, lengthAndStatus, lengthAndStatus + 4);
        const length = module.getValue(lengthAndStatus, "i32");
        const copy = module.HEAPU8.slice(bytes, bytes + length);
        return new TextDecoder("shift_jis").decode(copy);
      });
    } finally { module._free(lengthAndStatus); }
  }

  const ready = createOrowanModule().then((m) => {
    module = m;
    return window.orowan;
  });
  window.orowan = { ready, run, solve, report, RawNumber };

  // ---- the form

  const MAIN = [
    ["R", "Roll radius R", "mm"], ["H1", "Entry thickness H1", "mm"], ["H2", "Exit thickness H2", "mm"],
    ["Y", "Mean yield stress Y", "stress"], ["SGB", "Back tension SGB", "stress"],
    ["SGF", "Front tension SGF", "stress"], ["U", "Friction coefficient U", ""],
  ];
  const MORE = [
    ["CURVE", "Flow curve", "curve"], ["K", "Curve K", "stress"], ["N", "Curve exponent N", ""],
    ["EPS0", "Swift prestrain EPS0", ""], ["S0", "Ludwik S0", "stress"], ["EPS", "Strain in EPS", ""],
    ["E", "Roll modulus E", "stress"], ["NU", "Roll Poisson's ratio NU", ""], ["V", "Roll speed V", "m/min"],
  ];
  const EXAMPLE = { R: "100", H1: "2", H2: "1.5", Y: "20", SGB: "0", SGF: "0", U: "0.1" };
  const $ = (id) => document.getElementById(id);

  function unitText(kind) {
    if (kind === "stress") return $("units").value === "si" ? "MPa" : "kgf/mm²";
    return kind === "curve" ? "" : kind;
  }

  function buildFields(container, list) {
    for (const [name, label, unit] of list) {
      const field = document.createElement("div");
      field.className = "field";
      const id = `field-${name}`;
      const control = name === "CURVE"
        ? `<select id="${id}" name="${name}"><option value="">none (Y)</option><option value="swift">Swift</option><option value="ludwik">Ludwik</option></select>`
        : `<input id="${id}" name="${name}" inputmode="decimal" spellcheck="false" aria-describedby="problem-${name}">`;
      field.innerHTML = `<label for="${id}">${label} <span class="unit" data-unit="${unit}"></span></label>${control}` +
        `<p class="problem" id="problem-${name}" data-problem="${name}"></p>`;
      container.appendChild(field);
    }
  }

  function showUnits() {
    for (const span of document.querySelectorAll(".unit")) {
      const text = unitText(span.dataset.unit);
      span.textContent = text ? `(${text})` : "";
    }
  }

  // The form's pass: every filled field, numbers as typed.
  function formPass() {
    const pass = {};
    for (const [name] of MAIN.concat(MORE)) {
      const value = document.forms.pass.elements[name].value.trim();
      if (value === "") continue;
      pass[name] = name === "CURVE" || !NUMBER.test(value) ? value : new RawNumber(value);
    }
    return pass;
  }
  function options(extra = {}) {
    return Object.assign({ units: $("units").value, solver: $("solver").value }, extra);
  }

  // ---- the results

  // Summary columns: label, unit (report, SI) and the console's decimals.
  const SUMMARY = [
    ["REDUCTION_RATIO", "Reduction ratio R", "", "", 3], ["XL", "Contact length XL", "mm", "mm", 2],
    ["OM", "Contact angle OM", "°", "°", 2], ["XN", "Neutral point XN", "mm", "mm", 2],
    ["ON", "Neutral angle ON", "°", "°", 2], ["NEUTRAL_F", "Force at the neutral point F", "kgf/mm", "N/mm", 2],
    ["NEUTRAL_P", "Pressure at the neutral point P", "kgf/mm²", "MPa", 3],
    ["PM", "Mean roll pressure PM", "kgf/mm²", "MPa", 2], ["ROLLING_FORCE", "Rolling force P", "t/m", "kN/m", 2],
    ["G", "Torque G", "t·m/m", "kN·m/m", 3], ["TORQUE_ARM", "Torque arm A", "mm", "mm", 3],
  ];
  const PASS_VALUES = ["EPS_IN", "EPS_OUT", "Y_ENTRY", "Y_EXIT", "Y_MEAN", "R_FLAT", "R_FLAT_ITERATIONS",
    "R_FLAT_RESIDUAL", "FORWARD_SLIP", "BACKWARD_SLIP", "V_EXIT", "V_ENTRY", "POWER"];

  // As the console prints a value: rounded half away from zero to the
  // field's decimals, no zero before the point.
  function consoleText(value, decimals) {
    if (typeof value !== "number") return String(value);
    const text = (value < 0 ? "-" : "") + Math.abs(value).toFixed(decimals);
    return text.replace(/^(-?)0\./, "$1.");
  }
  const escape = (s) => String(s).replace(/[&<>"]/g, (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" }[c]));
  const fullText = (v) => (v === null || v === undefined ? "" : String(v));

  function showSummary(result) {
    const si = $("units").value === "si";
    let rows = "";
    for (const [name, label, reportUnit, siUnit, decimals] of SUMMARY) {
      const v = result[name];
      if (v === null || v === undefined) continue;
      rows += `<tr><td class="name">${label}</td><td class="console" data-column="${name}">${escape(consoleText(v, decimals))}</td>` +
        `<td class="full" data-column="${name}" data-precision="full">${escape(fullText(v))}</td><td class="name">${si ? siUnit : reportUnit}</td></tr>`;
    }
    for (const name of PASS_VALUES) {
      const v = result[name];
      if (v === null || v === undefined) continue;
      rows += `<tr><td class="name">${name}</td><td></td><td class="full" data-column="${name}">${escape(fullText(v))}</td><td></td></tr>`;
    }
    $("summary").innerHTML = rows ? `<div class="scroll"><table class="summary-table"><thead><tr><th class="name">Value</th>` +
      `<th>as printed</th><th>single precision</th><th class="name">unit</th></tr></thead><tbody>${rows}</tbody></table></div>` : "";
  }

  function showStatus(result) {
    const status = $("status");
    status.textContent = result.status;
    status.classList.toggle("bad", result.status !== "ok");
    let message = result.message || "";
    if (result.stage) message += ` (${result.stage}${result.side ? ", " + result.side + " side" : ""}${result.step ? ", step " + result.step : ""})`;
    $("message").textContent = message;
  }

  // A problem of a column beside its field ("column U: ..."); true if shown.
  function showFieldProblems(result) {
    for (const p of document.querySelectorAll("[data-problem]")) p.textContent = "";
    for (const input of document.querySelectorAll("#pass input")) input.removeAttribute("aria-invalid");
    const match = result && result.status === "error" && /^column ([A-Z0-9_]+): (.*)$/.exec(result.message || "");
    if (!match || !$(`problem-${match[1]}`)) return false;
    $(`problem-${match[1]}`).textContent = match[2];
    $(`field-${match[1]}`).setAttribute("aria-invalid", "true");
    return true;
  }

  // ---- the friction hill

  const SVG = "http://www.w3.org/2000/svg";
  const SIDES = [["exit", "var(--accent)", "#1f5fa8"], ["entry", "var(--entry)", "#b0461a"]];

  // "Nice" ticks over [lo, hi].
  function ticks(lo, hi, count) {
    if (!(hi > lo)) hi = lo + 1;
    const raw = (hi - lo) / count, power = Math.pow(10, Math.floor(Math.log10(raw)));
    const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw);
    const out = [];
    // From the tick at or below lo to the one at or above hi, so that the
    // axis ends on labelled ticks.
    const last = Math.ceil(hi / step - 1e-9) * step;
    for (let t = Math.floor(lo / step + 1e-9) * step; t <= last + step * 1e-9; t += step) out.push(+t.toPrecision(12));
    return out;
  }

  // An SVG chart of series [{points: [[x, y]], colour, label, side}] with
  // axes; returns the element and its scales.
  function chart(series, { xLabel, yLabel, width = 800, height = 360, marks = [] }) {
    const m = { left: 64, right: 16, top: 14, bottom: 46 };
    const xs = series.flatMap((s) => s.points.map((p) => p[0])).filter(Number.isFinite);
    const ys = series.flatMap((s) => s.points.map((p) => p[1])).filter(Number.isFinite);
    let [x0, x1] = [Math.min(...xs), Math.max(...xs)], [y0, y1] = [Math.min(0, ...ys), Math.max(...ys)];
    if (!(x1 > x0)) x1 = x0 + 1;
    if (!(y1 > y0)) y1 = y0 + 1;
    const xt = ticks(x0, x1, 8), yt = ticks(y0, y1, 6);
    x0 = Math.min(x0, xt[0]); x1 = Math.max(x1, xt[xt.length - 1]);
    y0 = Math.min(y0, yt[0]); y1 = Math.max(y1, yt[yt.length - 1]);
    const X = (x) => m.left + (x - x0) / (x1 - x0) * (width - m.left - m.right);
    const Y = (y) => height - m.bottom - (y - y0) / (y1 - y0) * (height - m.top - m.bottom);
    let body = `<rect x="0" y="0" width="${width}" height="${height}" fill="#fff"/>`;
    for (const mark of marks) body += mark(X, Y, y0, y1);
    for (const t of xt) body += `<line x1="${X(t)}" x2="${X(t)}" y1="${Y(y0)}" y2="${Y(y0) + 5}" stroke="#333"/>` +
      `<text x="${X(t)}" y="${Y(y0) + 18}" text-anchor="middle" font-size="12">${t}</text>`;
    for (const t of yt) body += `<line x1="${m.left}" x2="${width - m.right}" y1="${Y(t)}" y2="${Y(t)}" stroke="#e4e4e4"/>` +
      `<text x="${m.left - 6}" y="${Y(t) + 4}" text-anchor="end" font-size="12">${t}</text>`;
    body += `<line x1="${m.left}" x2="${width - m.right}" y1="${Y(y0)}" y2="${Y(y0)}" stroke="#333"/>` +
      `<line x1="${m.left}" x2="${m.left}" y1="${Y(y0)}" y2="${Y(y1)}" stroke="#333"/>` +
      `<text x="${(m.left + width - m.right) / 2}" y="${height - 8}" text-anchor="middle" font-size="13">${escape(xLabel)}</text>` +
      `<text transform="translate(14 ${(m.top + height - m.bottom) / 2}) rotate(-90)" text-anchor="middle" font-size="13">${escape(yLabel)}</text>`;
    let legend = m.left + 10;
    for (const s of series) {
      const points = s.points.filter((p) => Number.isFinite(p[0]) && Number.isFinite(p[1]))
        .map((p) => `${X(p[0]).toFixed(2)},${Y(p[1]).toFixed(2)}`).join(" ");
      body += `<polyline points="${points}" fill="none" stroke="${s.colour}" stroke-width="${s.width || 2}"` +
        `${s.dash ? ` stroke-dasharray="${s.dash}"` : ""} data-side="${s.side || ""}" data-quantity="${s.quantity || ""}"/>`;
      if (s.label) {
        body += `<line x1="${legend}" x2="${legend + 22}" y1="${m.top + 8}" y2="${m.top + 8}" stroke="${s.colour}" stroke-width="2"${s.dash ? ` stroke-dasharray="${s.dash}"` : ""}/>` +
          `<text x="${legend + 26}" y="${m.top + 12}" font-size="12">${escape(s.label)}</text>`;
        legend += 34 + 7 * s.label.length;
      }
    }
    body += `<line class="cursor" x1="0" x2="0" y1="${Y(y0)}" y2="${Y(y1)}" stroke="#555" stroke-dasharray="3 3" visibility="hidden"/>`;
    const svg = document.createElementNS(SVG, "svg");
    svg.setAttribute("xmlns", SVG);
    svg.setAttribute("viewBox", `0 0 ${width} ${height}`);
    svg.setAttribute("font-family", "sans-serif");
    svg.innerHTML = body;
    return { svg, X, Y, x0, x1 };
  }

  let hillSteps = [];  // [{side, step, values}] in X order, for the pointer
  let shownStep = null;  // {side, step} whose values are shown, kept as the pass changes
  let hillHint = "";     // the text shown while no step is

  function forgetStep() {
    shownStep = null;
    $("hill-values").textContent = hillHint;
  }

  function showHill(result) {
    const box = $("hill");
    box.textContent = "";
    hillSteps = [];
    const steps = result.steps;
    if (!steps || !steps.exit || !steps.exit.X || steps.exit.X.length === 0) {
      $("hill-values").textContent = hillHint;  // the step is kept for the next pass drawn
      box.innerHTML = `<p class="hint">No steps to draw${result.status !== "ok" ? " (" + escape(result.status) + ")" : ""}.</p>`;
      return;
    }
    const si = $("units").value === "si";
    const series = [];
    for (const [side, colour, plain] of SIDES) {
      const s = steps[side];
      if (!s || !s.X) continue;
      series.push({ points: s.X.map((x, i) => [x, s.P[i]]), colour: plain, label: `P, ${side} march`, side, quantity: "P" });
      series.push({ points: s.X.map((x, i) => [x, s.F[i]]), colour: plain, dash: "5 4", width: 1.5,
                    label: `F, ${side} march`, side, quantity: "F" });
      s.X.forEach((x, i) => hillSteps.push({ side, step: i + 1, x, s, i }));
    }
    hillSteps.sort((a, b) => a.x - b.x);
    const marks = [(X, Y, y0, y1) => {
      let out = "";
      for (const [side, , plain] of SIDES) {  // stick stretches, shaded
        const s = steps[side];
        if (!s || !s["SL/ST"]) continue;
        s["SL/ST"].forEach((flag, i) => {
          if (flag !== 2 || i + 1 >= s.X.length) return;
          const a = X(Math.min(s.X[i], s.X[i + 1])), b = X(Math.max(s.X[i], s.X[i + 1]));
          out += `<rect x="${a}" y="${Y(y1)}" width="${Math.max(b - a, 0.5)}" height="${Y(y0) - Y(y1)}" fill="${plain}" opacity="0.08" data-stick="${side}"/>`;
        });
      }
      if (typeof result.XN === "number") {
        out += `<line x1="${X(result.XN)}" x2="${X(result.XN)}" y1="${Y(y0)}" y2="${Y(y1)}" stroke="#2a7a2a" stroke-width="1.5" data-mark="neutral"/>` +
          `<text x="${X(result.XN) + 4}" y="${Y(y1) + 28}" font-size="12" fill="#2a7a2a">neutral point XN = ${escape(result.XN)}</text>`;
      }
      return out;
    }];
    const c = chart(series, { xLabel: "X, distance from the exit plane (mm)",
      yLabel: si ? "P (MPa), F (N/mm)" : "P (kgf/mm²), F (kgf/mm)", marks });
    c.svg.id = "hill-chart";
    c.svg.setAttribute("tabindex", "0");
    c.svg.setAttribute("role", "img");
    c.svg.setAttribute("aria-label", "Friction hill: roll pressure P and horizontal force F against X; arrow keys step through the steps");
    box.appendChild(c.svg);
    let current = -1;
    const show = (k) => {
      if (hillSteps.length === 0) return;
      current = Math.max(0, Math.min(hillSteps.length - 1, k));
      const h = hillSteps[current];
      shownStep = { side: h.side, step: h.step };
      const names = Object.keys(h.s);
      $("hill-values").textContent = `${h.side} march, step ${h.step}: ` +
        names.map((n) => `${n} ${h.s[n][h.i]}`).join("  ");
      const cursor = c.svg.querySelector(".cursor");
      cursor.setAttribute("x1", c.X(h.x));
      cursor.setAttribute("x2", c.X(h.x));
      cursor.setAttribute("visibility", "visible");
    };
    c.svg.addEventListener("pointermove", (event) => {
      const box = c.svg.getBoundingClientRect();
      const x = c.x0 + ((event.clientX - box.left) / box.width * 800 - 64) / (800 - 80) * (c.x1 - c.x0);
      let best = 0;
      hillSteps.forEach((h, k) => { if (Math.abs(h.x - x) < Math.abs(hillSteps[best].x - x)) best = k; });
      show(best);
    });
    // The keys step through the steps as the pointer does: Home and End
    // to the first and last, the arrows by one, Page Up and Down by ten.
    c.svg.addEventListener("keydown", (event) => {
      const last = hillSteps.length - 1;
      const to = { Home: () => 0, End: () => last, ArrowRight: (k) => k + 1, ArrowLeft: (k) => k - 1,
                   PageUp: (k) => k + 10, PageDown: (k) => k - 10 }[event.key];
      if (to) { show(current < 0 ? 0 : to(current)); event.preventDefault(); }
    });
    // The step shown before stays shown with this pass's values, so that
    // they change as one types (across a value half typed, which draws no
    // hill); a step this pass does not have is forgotten.
    const again = shownStep ? hillSteps.findIndex((h) => h.side === shownStep.side && h.step === shownStep.step) : -1;
    if (again >= 0) show(again);
    else forgetStep();
  }

  // ---- recomputing as one types

  let lastPass = null;
  function recompute() {
    if (!module) return;
    const pass = formPass();
    lastPass = pass;
    let result;
    try {
      result = solve(pass, options({ steps: true }));
    } catch (error) {
      $("status").textContent = "error";
      $("message").textContent = error.message;
      return;
    }
    showStatus(result);
    const shownBeside = showFieldProblems(result);
    if (shownBeside) $("message").textContent = "A value needs correcting (see its field).";
    showSummary(result);
    showHill(result);
    if ($("report-details").open) showReport();
    showSchedule();
    showSweep();
    showPassInAddress();
  }

  function showReport() {
    const pre = $("report");
    if ($("units").value === "si") { pre.textContent = "The console works in kgf/mm² and mm: choose the report units for its report."; return; }
    try { pre.textContent = report(lastPass || {}); } catch (error) { pre.textContent = error.message; }
  }

  // ---- schedule

  let schedule = [];
  function showSchedule() {
    const box = $("schedule");
    $("schedule-section").classList.toggle("empty", schedule.length === 0);
    if (schedule.length === 0) { box.innerHTML = '<p class="hint">No passes added yet.</p>'; return; }
    let results;
    try { results = solve(schedule, options()); } catch (error) { box.textContent = error.message; return; }
    const columns = ["H1", "H2", "EPS_IN", "EPS_OUT", "Y_MEAN", "ROLLING_FORCE", "G", "TORQUE_ARM", "status"];
    box.innerHTML = `<div class="scroll"><table><thead><tr><th>pass</th>${columns.map((c) => `<th>${c}</th>`).join("")}</tr></thead><tbody>` +
      results.map((r, k) => `<tr><td>${k + 1}</td>${columns.map((c) => `<td data-column="${c}">${escape(fullText(r[c]))}</td>`).join("")}</tr>`).join("") +
      "</tbody></table></div>";
  }

  // ---- sweep

  const SWEEPABLE = ["U", "SGF", "SGB", "Y", "H2", "H1", "R", "E", "V", "K", "N"];
  function sweepVary() {
    return `${$("sweep-column").value}=${$("sweep-from").value.trim()}:${$("sweep-to").value.trim()}:${$("sweep-step").value.trim()}`;
  }
  function showSweep() {
    const box = $("sweep");
    $("sweep-message").textContent = "";
    box.textContent = "";
    if (!lastPass) return;
    const result = run([lastPass], options({ vary: sweepVary() }));
    if (!result.output) { $("sweep-message").textContent = result.messages.trim(); return; }
    const cases = JSON.parse(result.output);
    const column = $("sweep-column").value, shown = $("sweep-result").value;
    const points = cases.map((r) => [r[column], typeof r[shown] === "number" ? r[shown] : NaN]);
    const failed = cases.filter((r) => r.status !== "ok").length;
    if (failed) $("sweep-message").textContent = `${failed} of ${cases.length} cases without a result (status other than ok).`;
    const c = chart([{ points, colour: "#1f5fa8", label: shown }], { xLabel: column, yLabel: shown, height: 300 });
    box.appendChild(c.svg);
  }

  // ---- downloads

  function download(name, type, text) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([text], { type }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    setTimeout(() => { URL.revokeObjectURL(link.href); link.remove(); }, 0);
  }
  function csvOf(input, extra = {}) { return run(input, options(Object.assign({ json: false }, extra))).output; }

  // ---- the pass in the address, and in a saved copy of the page

  // Whether a field of the flow curve, flattening or roll speed is set.
  function furtherFieldSet() {
    return MORE.some(([name]) => document.forms.pass.elements[name].value.trim() !== "");
  }

  // The form as "R=100&H1=2&…": its fields that are not empty, the units
  // and the solver when they are not the defaults.
  function passQuery() {
    const query = new URLSearchParams();
    for (const [name] of MAIN.concat(MORE)) {
      const value = document.forms.pass.elements[name].value.trim();
      if (value !== "") query.set(name, value);
    }
    if ($("units").value !== "report") query.set("units", $("units").value);
    if ($("solver").value !== "console") query.set("solver", $("solver").value);
    return query.toString();
  }

  // Fills the form from such a text; a list keeps its choice unless the
  // text names one of its own. The further fields open when one is set.
  function applyQuery(text) {
    const query = new URLSearchParams(text);
    for (const [name] of MAIN.concat(MORE)) {
      const field = document.forms.pass.elements[name];
      const value = query.get(name) ?? "";
      if (field.tagName !== "SELECT" || [...field.options].some((o) => o.value === value)) field.value = value;
    }
    for (const id of ["units", "solver"]) {
      if ([...$(id).options].some((o) => o.value === query.get(id))) $(id).value = query.get(id);
    }
    $("more").open = furtherFieldSet();
  }

  // The address's fragment follows the form, so that the address (a file's
  // too) opens the page on this pass; a saved copy carries it in its root
  // element. The fragment wins over the copy's pass, which wins over the
  // example.
  let shownFragment = "";
  function showPassInAddress() {
    shownFragment = "#" + passQuery();
    if (location.hash !== shownFragment) location.replace(shownFragment);
  }
  // A fragment typed or pasted into the address (not the page's own).
  function onFragmentChanged(recomputeLater) {
    if (location.hash === shownFragment || location.hash.length <= 1) return;
    applyQuery(location.hash.slice(1));
    showUnits();
    recomputeLater();
  }
  function startingPass() {
    return location.hash.length > 1 ? location.hash.slice(1) : document.documentElement.dataset.pass;
  }
  function pageWithPass() {
    const attribute = passQuery().replace(/&/g, "&amp;").replace(/"/g, "&quot;");
    return PRISTINE.replace(/<html[^>]*>/, `<html lang="en" data-pass="${attribute}">`);
  }

  // ---- printing

  // The console's report is printed with the pass (worked out now if it was
  // never opened), and the flow curve's fields when one of them is set;
  // afterwards the sections are open or closed as they were.
  let openBeforePrint = null;
  function beforePrint() {
    if (openBeforePrint) return;
    openBeforePrint = [$("more").open, $("report-details").open];
    $("more").open = furtherFieldSet();
    $("report-details").open = true;
    showReport();
  }
  function afterPrint() {
    if (!openBeforePrint) return;
    [$("more").open, $("report-details").open] = openBeforePrint;
    openBeforePrint = null;
  }

  // ---- start

  function start() {
    hillHint = $("hill-values").textContent;
    buildFields($("fields"), MAIN);
    buildFields($("more-fields"), MORE);
    const starting = startingPass();
    if (starting) applyQuery(starting);
    else for (const [name, value] of Object.entries(EXAMPLE)) document.forms.pass.elements[name].value = value;
    showUnits();
    for (const name of SWEEPABLE) $("sweep-column").add(new Option(name, name));
    for (const [name] of SUMMARY) $("sweep-result").add(new Option(name, name, name === "ROLLING_FORCE", name === "ROLLING_FORCE"));
    let pending = false;
    const later = () => { if (!pending) { pending = true; requestAnimationFrame(() => { pending = false; recompute(); }); } };
    // "change" too: a choice in a list may come with no "input" event
    // (scripts, some assistive tools); the two of one edit recompute once.
    document.forms.pass.addEventListener("input", later);
    document.forms.pass.addEventListener("change", later);
    $("units").addEventListener("change", () => { showUnits(); later(); });
    for (const id of ["sweep-column", "sweep-from", "sweep-to", "sweep-step", "sweep-result"]) {
      $(id).addEventListener("input", later);
      $(id).addEventListener("change", later);
    }
    $("report-details").addEventListener("toggle", () => { if ($("report-details").open) showReport(); });
    window.addEventListener("hashchange", () => onFragmentChanged(later));
    window.addEventListener("beforeprint", beforePrint);
    window.addEventListener("afterprint", afterPrint);
    $("add-pass").addEventListener("click", () => {
      const pass = Object.assign({}, formPass());
      if (schedule.length > 0) delete pass.H1, delete pass.EPS;  // carried over from the pass before
      schedule.push(pass);
      const h2 = document.forms.pass.elements.H2.value;
      document.forms.pass.elements.H1.value = h2;
      later();
    });
    $("clear-schedule").addEventListener("click", () => { schedule = []; later(); });
    $("download-svg").addEventListener("click", () => {
      const svg = $("hill").querySelector("svg");
      if (svg) download("friction-hill.svg", "image/svg+xml", '<?xml version="1.0" encoding="UTF-8"?>\n' + svg.outerHTML);
    });
    $("download-csv").addEventListener("click", () => download("pass.csv", "text/csv", csvOf([lastPass])));
    $("save-page").addEventListener("click", () => download("orowan.html", "text/html", pageWithPass()));
    $("download-schedule").addEventListener("click", () => download("schedule.csv", "text/csv", csvOf(schedule)));
    $("download-sweep").addEventListener("click", () => download("sweep.csv", "text/csv", csvOf([lastPass], { vary: sweepVary() })));
    ready.then(() => {
      $("loading").textContent = "";
      $("loading").hidden = true;
      recompute();
    }, (error) => { $("loading").textContent = `The calculator could not start: ${error}`; });
  }
  start();
})();
