// The command line, the set-ups and the outputs.
#include "setup/run.h"

#include <cstdio>
#include <iostream>

#include <CLI/CLI.hpp>

#include "output/output_file.h"
#include "setup/html.h"
#include "setup/mill_file.h"

namespace orowan::setup {
namespace {

struct Options {
  std::string mill;
  bool json = false;
  std::string html, output;
  std::string units;  // "" : the file's
  bool respectLimits = false;
};

// "" or the problem of two outputs that are the same file (the second
// would replace the first) or an output that is the mill file.
std::string clashingOutputs(const Options& o) {
  const output::FileIdentity in = output::identifyFile(o.mill, 0);
  const output::FileIdentity out = output::identifyFile(o.output);
  if (in.file == out.file) return "-o names the mill file " + o.mill;
  if (o.html.empty()) return "";
  const output::FileIdentity page = output::identifyFile(o.html);
  if (page.file == in.file) return "--html names the mill file " + o.mill;
  if (page.file == out.file) return "--html and -o name the same file";
  return "";
}

// The results first, then the page: a page that cannot be written
// (its message on standard error) leaves the results whole, as the batch
// tool's pictures do. Whether every output was written.
bool writeOutputs(const Options& o, const Mill& mill, const std::vector<CoilResult>& results) {
  const Units units = o.units.empty() ? mill.units : o.units == "si" ? Units::si : Units::report;
  const Format format = o.json ? Format::json : Format::csv;
  output::OutputFile out(o.output);
  out.write(headerLine(mill, format));
  for (const CoilResult& r : results) out.write(coilLines(mill, r, units, format));
  out.commit();
  if (o.html.empty()) return true;
  try {
    output::OutputFile page(o.html);
    page.write(htmlPage(mill, results, units));
    page.commit();
  } catch (const std::exception& e) {
    std::cerr << "orowan-setup: " << output::printable(e.what()) << " (the HTML page is not written)\n";
    return false;
  }
  return true;
}

// Every coil's problem on standard error; whether every coil was set up.
bool reportProblems(const std::vector<CoilResult>& results) {
  bool all = true;
  for (const CoilResult& r : results) {
    const std::string& p = r.coil->problem.empty() ? r.setUp.problem : r.coil->problem;
    if (p.empty()) continue;
    all = false;
    // the coil's name too is the file's text: a line end in it must not split the message
    std::cerr << "orowan-setup: " << output::printable((r.coil->problem.empty() ? "coil " + r.coil->name + ": " : "") + p)
              << "\n";
  }
  return all;
}

const char* kExample = R"(Example MILL.toml (a five-stand tandem cold mill; SI units):

  units = "si"
  [mill]
  kind = "tandem"             # or "reversing", with passes = N and one [[stand]]
  [[stand]]                   # one table a stand, entry side first
  R = 250.0                   # roll radius, mm
  E = 210000.0                # roll modulus, MPa (no E: rigid rolls); NU = 0.3 when absent
  U = 0.08                    # friction coefficient
  max_force = 18000.0         # whole width, kN; every limit optional
  max_torque = 350.0          # both rolls, kN-m
  max_power = 4000.0          # both rolls, kW
  max_roll_speed = 1300.0     # m/min
  # ... four more [[stand]] tables
  [[coil]]
  name = "A1"
  width = 1200.0              # mm
  H_entry = 3.0               # mm
  H_exit = 0.8
  material = { CURVE = "swift", K = 700.0, N = 0.2, EPS0 = 0.01 }   # or { Y = 300.0 }
  EPS = 0.0                   # strain the coil brings in
  tension_entry = 40.0        # pay-off reel, MPa
  tension_exit = 60.0         # coiler
  tensions = [120.0, 130.0, 140.0, 150.0]   # between the stands
  V_exit = 900.0              # m/min leaving the last stand
  distribution = { by = "force", ratios = [1.0, 1.0, 0.95, 0.85, 0.6] }
  # or by = "power" | "reduction" with ratios, or { by = "given", H = [2.1, 1.5, 1.1, 0.9] }

Exit status: 0 every coil set up; 1 the file or a coil could not be read or set up, or an output not written;
2 a command-line error.)";

}  // namespace

int runSetup(int argc, char** argv) {
  output::openStandardDescriptors();
  output::removeTemporariesOnSignal();
  CLI::App app("orowan-setup: a rolling mill's set-up for each coil: the thicknesses after each stand that share "
               "the loads as asked, and every stand's force, torque, power and speed against its limits.");
  Options o;
  app.add_option("MILL", o.mill, "the mill and its coils (TOML)")->required();
  app.add_flag("--json", o.json, "JSON lines instead of CSV");
  app.add_option("--html", o.html, "a self-contained HTML page: schedule charts and friction hills");
  app.add_option("-o,--output", o.output, "the results (default: standard output)");
  app.add_option("--units", o.units, "units of the output: report (kgf/mm2, t/m, t, t-m) or si (MPa, kN/m, kN, kN-m); "
                 "default: the file's")->check(CLI::IsMember({"report", "si"}));
  app.add_flag("--respect-limits", o.respectLimits,
               "move the distribution to the nearest one that keeps every stand within its limits");
  app.set_version_flag("--version", output::version());
  app.footer(kExample);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help and --version, printed by CLI11
    std::cerr << "orowan-setup: " << output::printable(e.what()) << "\nRun with --help for the options.\n";
    return 2;
  }
  if (const std::string clash = clashingOutputs(o); !clash.empty()) {
    std::cerr << "orowan-setup: " << output::printable(clash) << "\n";
    return 2;
  }
  try {
    const Mill mill = readMillFile(o.mill);
    SetUpOptions options;
    options.respectLimits = o.respectLimits;
    options.keepSteps = !o.html.empty();
    const std::vector<CoilResult> results = setUpMill(mill, options);
    const bool written = writeOutputs(o, mill, results);
    return reportProblems(results) && written ? 0 : 1;
  } catch (const MillFileError& e) {
    std::cerr << "orowan-setup: " << output::printable(e.what()) << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "orowan-setup: " << output::printable(e.what()) << "\n";
    return 1;
  }
}

}  // namespace orowan::setup
