// CLI11 does the parsing and the option messages; the checks between
// options and the --vary ranges are added here as validation errors, so
// every command-line error is reported the same way.
#include "batch/options.h"

#include <thread>

#include <CLI/CLI.hpp>

namespace batch {
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

Units:
  kgf (default): mm, kgf/mm2 (Y, SGB, SGF, pressures), kgf/mm (neutral F),
  t/m (rolling force), t-m/m (torque), degrees.
  si: MPa, kN/m and kN-m/m instead, with 1 kgf = 9.80665 N: an input stress
  is read as typed, then divided by 9.80665 in double and rounded to single
  precision; an output value is multiplied by 9.80665 in double and rounded.

Output:
  One line per pass: line, case (with --vary), R, H1, H2, Y, SGB, SGF, U,
  REDUCTION_RATIO, XL, OM, XN, ON, NEUTRAL_F, NEUTRAL_P, PM, ROLLING_FORCE, G,
  TORQUE_ARM, status, message, stage, side, step. Numbers are the shortest
  texts that read back to the same single-precision values. Status is ok,
  "no neutral point", an arithmetic fault's M number (M6103 ...) with its
  message and where it happened, or error for a line that cannot be read.

Exit status:
  0 every line was read (a pass that faults is a result, not a failure),
  1 a line or the input could not be read, or an output could not be written,
  2 the command line is wrong.

Examples:
  orowan-batch passes.csv -o results.csv
  orowan-batch schedule.csv --vary U=0.05:0.3:0.05 --vary SGF=0:10:2.5
  orowan-batch passes.json --json --steps -o results.json
  orowan-batch passes.csv --steps -o results.csv   # steps in results.steps.csv
  generate | orowan-batch --units si --jobs 2 > results.csv
)";

// "results.csv" -> "results.steps.csv"; "out" -> "out.steps.csv".
std::string derivedStepsName(const std::string& output) {
  const std::string suffix = ".csv";
  const bool csv = output.size() > suffix.size() && output.ends_with(suffix);
  return (csv ? output.substr(0, output.size() - suffix.size()) : output) + ".steps.csv";
}

// The checks that involve more than one option.
void checkCombinations(Options& options, const std::vector<std::string>& varies, bool jsonInput) {
  if (jsonInput) options.inputFormat = InputFormat::json;
  for (const std::string& vary : varies) {
    const std::string problem = options.sweep.add(vary);
    if (!problem.empty()) throw CLI::ValidationError("--vary " + vary, problem);
  }
  if (!options.stepsOutput.empty()) {
    if (options.json) throw CLI::ValidationError("--steps-out", "is for CSV output; with --json the steps go into the JSON");
    options.steps = true;
  } else if (options.steps && !options.json) {
    if (options.output.empty() || options.output == "-") {
      throw CLI::ValidationError("--steps", "with CSV to standard output, name the step file: --steps-out FILE");
    }
    options.stepsOutput = derivedStepsName(options.output);
  }
}

}  // namespace

int parseCommandLine(int argc, char** argv, Options& options) {
  CLI::App app(kDescription, "orowan-batch");
  app.footer(kFooter);
  std::vector<std::string> varies;
  bool jsonInput = false;
  std::string units = "kgf";
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  app.add_option("INPUT", options.input, "passes file, CSV or JSON; - or none: standard input");
  app.add_option("-o,--output", options.output, "result file, written whole or not at all (default: standard output)");
  app.add_flag("--json", options.json, "JSON results instead of CSV");
  app.add_flag("--json-input", jsonInput, "read the input as JSON whatever its first byte");
  app.add_flag("--steps", options.steps, "every step of both marches: in the JSON, or for CSV in a second file");
  app.add_option("--steps-out", options.stepsOutput, "the CSV step file (default: OUTPUT less .csv, plus .steps.csv)");
  app.add_option("--vary", varies, "sweep column NAME from FROM to TO by STEP, in exact decimal steps; "
                                   "repeatable, the first --vary outermost")
      ->type_name("NAME=FROM:TO:STEP");
  app.add_option("--units", units, "units of the loads: kgf or si (see Units)")->check(CLI::IsMember({"kgf", "si"}));
  app.add_option("--jobs", options.jobs, "threads (default: the cores, here " + std::to_string(options.jobs) + ")")
      ->check(CLI::Range(1, 1024));
  try {
    app.parse(argc, argv);
    options.units = units == "si" ? Units::si : Units::report;
    checkCombinations(options, varies, jsonInput);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "orowan-batch: %s\nRun with --help for the options.\n", e.what());
    return kStatusUsage;
  }
  return -1;
}

}  // namespace batch
