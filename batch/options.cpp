// CLI11 does the parsing and the option messages; the checks between
// options and the --vary ranges are added here as validation errors, so
// every command-line error is reported the same way.
#include "batch/options.h"

#include <map>
#include <thread>

#include <CLI/CLI.hpp>

#include "output/output_file.h"

namespace orowan::batch {
namespace {

constexpr const char* kDescription =
    "orowan-batch: many rolling passes at once, by the same analysis as the console\n"
    "calculator orowan and with the same single-precision results. Reads passes\n"
    "from a CSV or JSON file (or standard input) and writes one result line per\n"
    "pass, as CSV or JSON, in the input order.\n";

constexpr const char* kFooter = R"(Input:
  CSV: a header line naming the columns, then one pass a line (RFC 4180). JSON:
  an array of objects keyed by column name (numbers, number texts, or null).
  The format is JSON when the first byte that is not blank is "[" (or "{").
  A JSON number is read by its own text, as a typed REAL.
  Columns (any order): R roll radius (mm), H1 entry thickness (mm; empty: the
  exit thickness of the line before), H2 exit thickness (mm), Y mean yield
  stress, U friction coefficient: required. SGB back tension, SGF front
  tension: optional, 0 when absent or empty. A value reads as the console
  reads a typed REAL.
  Work hardening, instead of Y: CURVE swift (K (EPS0 + e)^N; EPS0 0 when
  empty: Hollomon's) or ludwik (S0 + K e^N), stresses K and S0 as Y, the
  uniaxial flow stress against equivalent strain e. The strain at X is EPS +
  (2/sqrt 3) ln(H1/H(X)); the pass's yield table follows the curve within
  0.1 % at every midpoint (at most 50 points). EPS: the strain brought in (0,
  annealed, when empty; a line with H1 empty carries the line before's on).
  JSON friction along the arc: "U": {"X": [0, 2, 5, 8], "U": [0.12, 0.1,
  0.08, 0.08]}, X in mm from the exit plane, the first 0, ascending, at most
  50 points, linear between them, the last value beyond the last.
  Roll flattening: E the rolls' Young's modulus (as Y), NU their Poisson's
  ratio (0.3 when empty): the pass is solved at Hitchcock's flattened radius
  R' = R (1 + 16 (1 - NU^2) P / (pi E (H1 - H2))), searched upward from R for
  a bracket and closed by regula falsi (Illinois), at most 200 passes.
  V: the roll surface speed, m/min, for the strip speeds and the power.

Units:
  kgf (default): mm, kgf/mm2 (Y, SGB, SGF, pressures), kgf/mm (neutral F),
  t/m (rolling force), t-m/m (torque), degrees.
  si: MPa, kN/m and kN-m/m instead, with 1 kgf = 9.80665 N: an input stress
  is read as typed, then divided by 9.80665 in double and rounded to single
  precision; an output value is multiplied by 9.80665 in double and rounded.

Output:
  One line per pass: line, case (with --vary), R, H1, H2, Y, SGB, SGF, U,
  REDUCTION_RATIO, XL, OM, XN, ON, NEUTRAL_F, NEUTRAL_P, PM, ROLLING_FORCE, G,
  TORQUE_ARM, status, message, stage, side, step, then CURVE, K, N, EPS0, S0,
  EPS, E, NU, V as typed, EPS_IN and EPS_OUT (strain at the entry and exit
  planes), Y_ENTRY, Y_EXIT (flow stress there) and Y_MEAN (its mean over the
  contact length: rerun with Y = Y_MEAN for the constant-stress pass),
  R_FLAT, R_FLAT_ITERATIONS, R_FLAT_RESIDUAL ((R'(P) - R_FLAT) / R_FLAT: the
  console's force jumps by some tenths of a per cent between neighbouring
  radii, so R_FLAT is a fixed point only to that), FORWARD_SLIP and
  BACKWARD_SLIP, and with V: V_EXIT, V_ENTRY (m/min, constant volume through
  the neutral point) and POWER (kW/m, both rolls: torque times V/R, R the
  roll's own radius). Numbers are the shortest texts that read back to the
  same single-precision values; a value that does not exist is empty (JSON
  null). Status is ok, "no neutral point", an arithmetic fault's M number
  (M6103 ...) with its message and where it happened, "no flattened radius"
  (below minimum gauge, not settled, or a radius of the search without a
  neutral point or with a fault: the message says which; nothing of the pass
  is given), or error for a line that cannot be read.

Pictures:
  --svg DIR writes a friction hill per computed pass (roll pressure P and
  horizontal force F of both marches over X, the neutral point), named by line
  and sweep case so that the names sort in input order (line0007.svg,
  line0007-case03-U0.15-SGF2.5.svg), and in a sweep one chart per summary
  result against the first varied input, a curve per value of the second, a
  set per input line (line0007-sweep-ROLLING_FORCE.svg). --html FILE writes
  one self-contained page: the run's inputs, the sweep charts, and per pass
  its inputs, results, friction hill and step tables. A pass that faults gets
  no picture.

Solver:
  --solver console (default) is the console's analysis: single precision, 400
  or 401 steps a side, its rectangle sums and neutral step. --solver converged
  solves the same equations in double precision, doubling the steps a side
  from 400 until force, torque and neutral angle settle to 1e-7 (README: How
  accurate). Its values are doubles, written as the shortest texts that read
  back the same; status "not converged" gives the finest grid's values (2^20
  steps). It takes a constant Y and U: a line with a flow curve, a friction
  table, E, NU or V is an error line; --steps, --svg and --html (the console's
  marches) are refused, and EPS_IN to POWER stay empty. A fault's M number is
  that of its kind (M6201 square root, M6103 division, M6104 overflow), the
  message names the formula. With --solver (either) a last column
  STEPS_PER_SIDE gives the steps a side of the answer.

Hot rolling:
  FLOW (misaka, shida or hensel-spittel; with C the carbon content in mass %,
  or A and M1 to M9 for Hensel-Spittel) instead of Y or CURVE gives the flow
  stress of hot steel at the strip's temperature, strain and mean strain rate
  EPS_RATE_MEAN = (EPS_OUT - EPS_IN) v / XL (V needed), the strain never
  below EPS_MIN. T is the temperature (degC) entering the line's transfer:
  TRANSFER s in air (EMISSIVITY, H_CONV, T_AMBIENT), DESCALE s under water
  (H_WATER), then the bite: roll chill (H_CONTACT, T_ROLL) and deformation
  heating (ETA, RHO, CP); ALPHA turns cold thicknesses into hot ones. A line
  with H1 and T empty takes the temperature the line before left. Results
  after all earlier columns: EPS_RATE_MEAN, T_ENTRY, T_EXIT, T_RISE,
  T_DROP_ROLL, H1_HOT, H2_HOT; a point outside the law's published validity
  is computed and named in the message column. See docs/hot-rolling.md.

Fit:
  --fit takes FORCE_MEASURED (the rolling force per unit width, in the unit of
  ROLLING_FORCE) and for U,Y FORWARD_SLIP_MEASURED (as FORWARD_SLIP), and
  searches the fitted input until the pass's ROLLING_FORCE (and FORWARD_SLIP)
  meets them: U over (0, 1], Y_FACTOR (multiplying Y, a yield table or K and
  S0 of a curve) over (0, 100], H2 over (0, H1); for U,Y the factor is
  refitted for the force at every U tried for the slip. A typed U or H2 is
  the search's start (U 0.1, H2 0.8 H1 when empty). The search brackets the
  target and closes it by regula falsi; the console's force jumps by some
  tenths of a per cent where the step count or the neutral step changes, so a
  fit may end on a jump (FIT_END jump: the side nearer the target). After all
  other columns: FORCE_MEASURED, FORWARD_SLIP_MEASURED, U_FIT, Y_FACTOR,
  H2_FIT, FIT_RESIDUAL ((ROLLING_FORCE - FORCE_MEASURED) / FORCE_MEASURED),
  FIT_SLIP_RESIDUAL (the same of the slip), FIT_SOLVES (passes solved),
  FIT_END (met or jump); the other columns are those of the fitted pass. A
  target no input reaches has status "out of reach" and the range reached in
  the message, and no pass. A line continuing a schedule (H1 empty) takes the
  line before's typed H2, also with --fit H2.

Exit status:
  0 every line was read (a pass that faults is a result, not a failure),
  1 a line or the input could not be read, or an output (a picture too) could
    not be written,
  2 the command line is wrong.

Examples:
  orowan-batch passes.csv -o results.csv
  orowan-batch schedule.csv --vary U=0.05:0.3:0.05 --vary SGF=0:10:2.5
  orowan-batch passes.json --json --steps -o results.json
  orowan-batch passes.csv --steps -o results.csv   # steps in results.steps.csv
  generate | orowan-batch --units si --jobs 2 > results.csv
  orowan-batch one.csv --vary U=0.05:0.3:0.05 --svg pictures --html report.html
)";

// The arguments as a shell would take them back: quoted where needed.
std::string commandLineText(int argc, char** argv) {
  std::string text;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = i == 0 ? "orowan-batch" : argv[i];
    const bool plain = !arg.empty() && arg.find_first_not_of(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_=:.,/+@%") == std::string::npos;
    std::string quoted = "'";
    for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    text += (i == 0 ? "" : " ") + (plain ? arg : quoted + "'");
  }
  return text;
}

// "results.csv" -> "results.steps.csv"; "out" -> "out.steps.csv".
std::string derivedStepsName(const std::string& output) {
  const std::string suffix = ".csv";
  const bool csv = output.size() > suffix.size() && output.ends_with(suffix);
  return (csv ? output.substr(0, output.size() - suffix.size()) : output) + ".steps.csv";
}

// --solver converged has no single-precision marches to show.
void checkSolver(const Options& options, bool pictured) {
  if (options.solver != Solver::converged) return;
  const char* refused = options.steps || !options.stepsOutput.empty() ? "--steps"
                        : pictured                                     ? "--svg and --html"
                                                                       : nullptr;
  if (refused != nullptr) {
    throw CLI::ValidationError("--solver converged",
                               std::string("cannot go with ") + refused +
                                   ": they show the console's single-precision marches");
  }
}

// --fit's target, and the solver it needs (the console's: the fit walks
// its jumps).
void checkFit(Options& options, const std::string& text) {
  const std::optional<FitRequest> request = parseFitRequest(text);
  if (!request) throw CLI::ValidationError("--fit " + text, "expected U, Y, U,Y or H2");
  if (options.solver == Solver::converged) throw CLI::ValidationError("--fit", "takes the console's solver, not --solver converged");
  options.fit = *request;
}

// A file the run reads or writes, by the option that names it.
struct RunFile {
  std::string label;  // "-o out.csv", "standard output"
  orowan::output::FileIdentity identity;
};

RunFile runFile(const std::string& option, const std::string& path) {
  const bool standard = path.empty() || path == "-";
  return {standard ? "standard output" : option + " " + path, orowan::output::identifyFile(path)};
}

// The outputs that are files: the results (standard output too), the
// step file, the page.
std::vector<RunFile> outputFiles(const Options& options, bool stepsNamed) {
  std::vector<RunFile> files{runFile("-o", options.output)};
  if (!options.stepsOutput.empty()) files.push_back(runFile(stepsNamed ? "--steps-out" : "--steps", options.stepsOutput));
  if (!options.htmlOutput.empty()) files.push_back(runFile("--html", options.htmlOutput));
  return files;
}

// A name --svg could give a picture: line0007.svg, line0007-case03-....svg.
bool pictureName(const std::string& name) { return name.starts_with("line") && name.ends_with(".svg"); }

// No output may replace the input, and no two outputs may share a file
// (a character device such as /dev/null takes any number), so that nothing
// is lost without a word: checked before anything is computed.
void checkOutputFiles(const Options& options, bool stepsNamed) {
  const RunFile input{"", orowan::output::identifyFile(options.input, 0)};
  const std::vector<RunFile> outputs = outputFiles(options, stepsNamed);
  const RunFile svg = runFile("--svg", options.svgDir);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const RunFile& output = outputs[i];
    if (input.identity.type == S_IFREG && output.identity.file == input.identity.file) {
      throw CLI::ValidationError(output.label, "is the input file, which it would replace");
    }
    for (std::size_t j = 0; j < i && output.identity.type != S_IFCHR; ++j) {
      if (output.identity.file == outputs[j].identity.file) {
        throw CLI::ValidationError(output.label, "is also the file of " + outputs[j].label + "; each output needs its own");
      }
    }
    if (options.svgDir.empty()) continue;
    if (output.identity.file == svg.identity.file) throw CLI::ValidationError(output.label, "is the folder of " + svg.label);
    if (output.identity.folder == svg.identity.file && pictureName(output.identity.name)) {
      throw CLI::ValidationError(output.label, "could be the name of a picture in " + svg.label);
    }
  }
}

// Whether this run's results have a column or key `name` that only some
// runs have: the fit's columns with --fit, "steps" in JSON with --steps.
bool isColumnOfThisRun(const Options& options, const std::string& name) {
  return (options.fit.on && isFitColumnName(name)) || (options.json && options.steps && name == "steps");
}

// --keep's names: columns the input may have beside the passes' own,
// each once, none that a result column already takes (a result file
// naming a column twice, or a JSON object a key twice, is read wrongly).
void checkKept(const Options& options) {
  const std::vector<std::string>& keep = options.keep;
  for (std::size_t i = 0; i < keep.size(); ++i) {
    const std::string& name = keep[i];
    if (name.empty()) throw CLI::ValidationError("--keep", "an empty column name");
    if (inputColumnIndex(name) >= 0)
      throw CLI::ValidationError("--keep " + name, "is an input column, already in the results");
    if (isResultColumnName(name) || isColumnOfThisRun(options, name))
      throw CLI::ValidationError("--keep " + name, "is the name of a result column; rename the input's column");
    for (std::size_t j = 0; j < i; ++j)
      if (keep[j] == name) throw CLI::ValidationError("--keep " + name, "is named twice");
  }
}

// The checks that involve more than one option.
void checkCombinations(Options& options, const std::vector<std::string>& varies, bool jsonInput,
                       bool svgGiven, bool htmlGiven, bool outputGiven, bool stepsOutputGiven) {
  if (jsonInput) options.inputFormat = InputFormat::json;
  for (const std::string& vary : varies) {
    const std::string problem = options.sweep.add(vary);
    if (!problem.empty()) throw CLI::ValidationError("--vary " + vary, problem);
  }
  if (options.htmlOutput == "-" || (options.htmlOutput.empty() && htmlGiven)) {
    throw CLI::ValidationError("--html", "needs a file name (the page is written whole or not at all)");
  }
  if (options.svgDir.empty() && svgGiven) throw CLI::ValidationError("--svg", "needs a directory name");
  if (options.output.empty() && outputGiven) throw CLI::ValidationError("--output", "needs a file name (- for standard output)");
  const bool stepsNamed = !options.stepsOutput.empty();
  if (!stepsNamed && stepsOutputGiven) throw CLI::ValidationError("--steps-out", "needs a file name");
  checkSolver(options, svgGiven || htmlGiven);
  if (!options.stepsOutput.empty()) {
    if (options.json) throw CLI::ValidationError("--steps-out", "is for CSV output; with --json the steps go into the JSON");
    options.steps = true;
  } else if (options.steps && !options.json) {
    if (options.output.empty() || options.output == "-") {
      throw CLI::ValidationError("--steps", "with CSV to standard output, name the step file: --steps-out FILE");
    }
    options.stepsOutput = derivedStepsName(options.output);
  }
  checkOutputFiles(options, stepsNamed);
  checkKept(options);
}

}  // namespace

int parseCommandLine(int argc, char** argv, Options& options) {
  CLI::App app(kDescription, "orowan-batch");
  app.footer(kFooter);
  std::vector<std::string> varies;
  bool jsonInput = false;
  std::string units = "kgf", solver = "console";
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  app.add_option("INPUT", options.input, "passes file, CSV or JSON; - or none: standard input");
  app.set_version_flag("--version", std::string("orowan-batch ") + orowan::output::version());
  auto* output = app.add_option("-o,--output", options.output, "result file, written whole or not at all (default: standard output)");
  app.add_option("--keep", options.keep, "input columns (CSV) or keys (JSON) to pass through unchanged, "
                                        "after every result column: --keep COIL,PASS,COMMENT")
      ->delimiter(',')
      ->allow_extra_args(false);  // one value each time, so that `--keep COIL passes.csv` leaves the file alone
  app.add_flag("--json", options.json, "JSON results instead of CSV");
  app.add_flag("--json-input", jsonInput, "read the input as JSON whatever its first byte");
  app.add_flag("--steps", options.steps, "every step of both marches: in the JSON, or for CSV in a second file");
  auto* stepsOutput = app.add_option("--steps-out", options.stepsOutput, "the CSV step file (default: OUTPUT less .csv, plus .steps.csv)");
  app.add_option("--vary", varies, "sweep column NAME from FROM to TO by STEP, in exact decimal steps; "
                                   "repeatable, the first --vary outermost")
      ->type_name("NAME=FROM:TO:STEP")
      ->allow_extra_args(false);  // one sweep each time: `--vary U=0.1:0.3:0.1 passes.csv` reads the file
  auto* svg = app.add_option("--svg", options.svgDir, "a friction hill per computed pass, and the sweep charts, "
                                                     "as SVG files in DIR (made if it does not exist)")->type_name("DIR");
  auto* html = app.add_option("--html", options.htmlOutput, "one self-contained HTML page of the run: inputs, "
                                                          "sweep charts, each pass with its pictures and steps")
      ->type_name("FILE");
  app.add_option("--html-steps", options.htmlSteps, "the page's step tables: none, rows (default: the console's "
                                                    "rows, every tenth step) or all")
      ->transform(CLI::CheckedTransformer(std::map<std::string, HtmlSteps>{
          {"none", HtmlSteps::none}, {"rows", HtmlSteps::rows}, {"all", HtmlSteps::all}}));
  app.add_option("--units", units, "units of the loads: kgf or si (see Units)")->check(CLI::IsMember({"kgf", "si"}));
  auto* solverOption =
      app.add_option("--solver", solver, "console (default) or converged: the same equations in "
                                         "double precision to convergence (see Solver)")
          ->check(CLI::IsMember({"console", "converged"}));
  std::string fit;
  auto* fitOption = app.add_option("--fit", fit, "fit each pass to its measured columns: U (friction for "
                                                 "FORCE_MEASURED), Y (a factor on the flow stress), U,Y (both, "
                                                 "from force and FORWARD_SLIP_MEASURED) or H2 (the exit "
                                                 "thickness for the force); see Fit")
                        ->type_name("U|Y|U,Y|H2");
  app.add_option("--jobs", options.jobs, "threads (default: the cores, here " + std::to_string(options.jobs) + ")")
      ->check(CLI::Range(1, 1024));
  try {
    app.parse(argc, argv);
    options.units = units == "si" ? Units::si : Units::report;
    options.solver = solver == "converged" ? Solver::converged : Solver::console;
    options.solverGiven = solverOption->count() > 0;
    if (fitOption->count() > 0) checkFit(options, fit);
    checkCombinations(options, varies, jsonInput, svg->count() > 0, html->count() > 0, output->count() > 0,
                      stepsOutput->count() > 0);
    options.commandLine = commandLineText(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& e) {
    std::printf("%s\n", e.what());
    return 0;
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "orowan-batch: %s\nRun with --help for the options.\n", orowan::output::printable(e.what()).c_str());
    return kStatusUsage;
  }
  return -1;
}

}  // namespace orowan::batch
