// CLI11 parses; the log is read whole, fitted, and every output written
// through output/output_file.h (whole or not at all).
#include "calibrate/tool.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <CLI/CLI.hpp>

#include "calibrate/report.h"
#include "output/output_file.h"

namespace orowan::calibrate {
namespace {

constexpr const char* kFooter = R"(Log:
  CSV with a header line, or a JSON array of objects: the columns of
  orowan-batch (R, H1, H2, Y or a flow curve, SGB, SGF, E, NU, V, ...; U is
  not needed) plus FORCE_MEASURED (rolling force per unit width, t/m, or
  kN/m with --units si) and, where measured, FORWARD_SLIP_MEASURED. Any
  other column may feed the laws. A line that cannot be used (no measured
  force, a force not above 0, a value that is not a number, an empty
  group column) is refused with its line and column; the rest are fitted.

Laws:
  --friction const            one coefficient U0
  --friction linear:V,TEMP    U = U0 + U_V V + U_TEMP TEMP
  --friction by:STAND         U[<value>] for each value of the column
  --flow-factor none|const|by:GRADE
                              a factor on Y (or the flow curve): none, one
                              Y_FACTOR, or Y_FACTOR[<value>] per value

Fit:
  Levenberg-Marquardt (Ceres Solver) on the relative misses
  (computed - measured) / measured of force and slip, from U 0.1 and
  factors 1. --loss huber|cauchy with --loss-scale (0.02: misses beyond
  2 % count less) for a log with bad readings. Standard errors from the
  Jacobian at the optimum: sqrt(diag((J'WJ)^-1) * 2 cost / (n - p)).

Outputs:
  -o FILE          the JSON summary (default: standard output)
  --residuals FILE a CSV line per log line used
  --html FILE      a page with the parity chart, misses and histogram

Exit status: 0 fitted, 1 the log or an output failed or no line was
usable, 2 the command line is wrong.
)";

struct Options {
  std::string log, output, residuals, html, friction = "const", factor = "none", loss = "none", units = "kgf";
  double lossScale = 0.02;
  unsigned jobs = 1;
  int iterations = 100;
  std::string commandLine;
};

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot open");
  // A folder opens, and reads as nothing: say what it is, not "no header line".
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) throw std::runtime_error(path + ": cannot read: it is a directory");
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) throw std::runtime_error(path + ": cannot read");
  return s.str();
}

void writeWhole(const std::string& path, const std::string& text) {
  output::OutputFile out(path);
  out.write(text);
  out.commit();
}

std::string commandLineOf(int argc, char** argv) {
  std::string s = "orowan-calibrate";
  for (int i = 1; i < argc; ++i) s += std::string(" ") + argv[i];
  return s;
}

// The laws' texts, as the command line's own errors.
void checkLaws(const Options& o) {
  try {
    parseFrictionLaw(o.friction);
    parseFactorLaw(o.factor);
  } catch (const std::invalid_argument& e) {
    throw CLI::ValidationError("--friction/--flow-factor", e.what());
  }
}

// No output may replace the log, and no two outputs may share a file (a
// character device such as /dev/null takes any number): checked before
// anything is read or fitted.
void checkOutputs(const Options& o) {
  const output::FileIdentity log = output::identifyFile(o.log, 0);
  const std::pair<const char*, const std::string*> outputs[] = {{"-o", &o.output}, {"--residuals", &o.residuals}, {"--html", &o.html}};
  for (std::size_t i = 0; i < std::size(outputs); ++i) {
    const auto& [option, path] = outputs[i];
    if (path->empty() && i > 0) continue;
    const output::FileIdentity out = output::identifyFile(*path);
    if (log.type == S_IFREG && out.file == log.file) throw CLI::ValidationError(option, "is the log, which it would replace");
    for (std::size_t j = 0; j < i && out.type != S_IFCHR; ++j)
      if ((!outputs[j].second->empty() || j == 0) && output::identifyFile(*outputs[j].second).file == out.file)
        throw CLI::ValidationError(option, std::string("is also the file of ") + outputs[j].first);
  }
}

int run(const Options& o) {
  const Law friction = parseFrictionLaw(o.friction), factor = parseFactorLaw(o.factor);
  const batch::Units units = o.units == "si" ? batch::Units::si : batch::Units::report;
  const Log log = readLog(o.log, readAll(o.log), lawColumns(friction, factor), units);
  for (const Refusal& r : log.refused)
    std::fprintf(stderr, "%s:%ld: %s\n", output::printable(o.log).c_str(), r.line, output::printable(r.why).c_str());
  if (log.lines.empty()) throw std::runtime_error(o.log + ": no line can be used");
  Model model = makeModel(friction, factor, log);
  model.loss = o.loss == "huber" ? Loss::huber : o.loss == "cauchy" ? Loss::cauchy : Loss::squared;
  model.lossScale = o.lossScale;
  Settings settings{o.jobs, o.iterations, ::isatty(2) != 0 ? stderr : nullptr};
  const Calibration c = calibrate(model, log, settings);
  writeWhole(o.output, summaryJson(model, log, c));
  if (!o.residuals.empty()) writeWhole(o.residuals, residualsCsv(log, c));
  if (!o.html.empty()) writeWhole(o.html, reportHtml(model, log, c, o.commandLine));
  return 0;
}

}  // namespace

int runCalibrate(int argc, char** argv) {
  CLI::App app("orowan-calibrate: friction and flow-stress laws fitted to a plant log's measured rolling forces "
               "(and forward slips), by the same analysis as orowan-batch.\n",
               "orowan-calibrate");
  app.footer(kFooter);
  Options o;
  o.jobs = std::max(1u, std::thread::hardware_concurrency());
  app.add_option("LOG", o.log, "the plant log, CSV or JSON")->required();
  app.set_version_flag("--version", std::string("orowan-calibrate ") + output::version());
  app.add_option("-o,--output", o.output, "the JSON summary (default: standard output)");
  app.add_option("--friction", o.friction, "const, linear:COL[,COL...] or by:COL (default const)");
  app.add_option("--flow-factor", o.factor, "none, const or by:COL (default none)");
  app.add_option("--loss", o.loss, "none (default), huber or cauchy")->check(CLI::IsMember({"none", "huber", "cauchy"}));
  app.add_option("--loss-scale", o.lossScale, "relative miss where the robust loss turns (default 0.02)")
      ->check(CLI::PositiveNumber);
  app.add_option("--residuals", o.residuals, "a CSV line per log line used: measured, computed, relative error");
  app.add_option("--html", o.html, "a self-contained page with the parity chart, misses and histogram");
  app.add_option("--units", o.units, "kgf (default) or si, as orowan-batch")->check(CLI::IsMember({"kgf", "si"}));
  app.add_option("--jobs", o.jobs, "threads (default: the cores)")->check(CLI::Range(1, 1024));
  app.add_option("--max-iterations", o.iterations, "of Levenberg-Marquardt (default 100)")->check(CLI::Range(1, 10000));
  try {
    app.parse(argc, argv);
    checkLaws(o);
    checkOutputs(o);
    o.commandLine = commandLineOf(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help and --version, printed by CLI11
    std::fprintf(stderr, "orowan-calibrate: %s\nRun with --help for the options.\n", output::printable(e.what()).c_str());
    return 2;
  }
  output::removeTemporariesOnSignal();
  try {
    return run(o);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orowan-calibrate: %s\n", output::printable(e.what()).c_str());
  }
  return 1;
}

}  // namespace orowan::calibrate
