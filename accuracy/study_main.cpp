// orowan-study: the accuracy study, written into a folder.
//
//   orowan-study OUT_DIR [--reduced] [--jobs N]
//
// OUT_DIR/accuracy.md       every table (markdown)
// OUT/passes.csv            every pass: verdicts, errors, parts, formulas
// OUT/convergence_force.svg, OUT/convergence_neutral.svg   the charts
// On standard output: the counts, the run time and the converged solver's
// passes per second over the grid (processor time, one thread).
// Each file is written whole or not at all (output/output_file.h).
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "accuracy/converged.h"
#include "accuracy/study_report.h"
#include "output/output_file.h"

namespace {

using namespace orowan::accuracy;
using Clock = std::chrono::steady_clock;

struct Arguments {
  std::string folder;
  bool reduced = false;
  bool version = false;
  int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
};

bool parse(int argc, char** argv, Arguments& a) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--reduced") {
      a.reduced = true;
    } else if (arg == "--version") {
      a.version = true;
    } else if (arg == "--jobs" && i + 1 < argc) {
      a.jobs = std::atoi(argv[++i]);
      if (a.jobs < 1) return false;
    } else if (!arg.empty() && arg[0] != '-' && a.folder.empty()) {
      a.folder = arg;
    } else {
      return false;
    }
  }
  return a.version || !a.folder.empty();
}

// Throws std::runtime_error naming the file when it cannot be written.
void save(const std::string& path, const std::string& text) {
  orowan::output::OutputFile file(path);
  file.write(text);
  file.commit();
}

// Converged passes per second of processor time over the grid, on one
// thread (processor time, so that other work on the machine does not count).
double convergedRate(const std::vector<StudyPass>& passes) {
  const std::clock_t start = std::clock();
  for (const StudyPass& p : passes) solveConverged(p.exact);
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  return static_cast<double>(passes.size()) / seconds;
}

}  // namespace

int main(int argc, char** argv) {
  orowan::output::openStandardDescriptors();
  orowan::output::removeTemporariesOnSignal();
  Arguments args;
  if (!parse(argc, argv, args)) {
    std::cerr << "usage: orowan-study OUT_DIR [--reduced] [--jobs N]\n";
    return 2;
  }
  if (args.version) {
    std::cout << "orowan-study " << orowan::output::version() << "\n";
    return 0;
  }
  const auto start = Clock::now();
  StudyReport report;
  report.command = std::string("orowan-study OUT_DIR") + (args.reduced ? " --reduced" : "");
  report.grid = args.reduced ? reducedStudyGrid() : fullStudyGrid();
  const std::vector<StudyPass> passes = studyPasses(report.grid);
  report.passes = comparePasses(passes, args.jobs);
  report.convergence = measureChartPasses();
  std::ostringstream markdown, csv;
  writeStudyMarkdown(markdown, report);
  writeStudyCsv(csv, report.passes);
  const std::string& dir = args.folder;
  try {
    save(dir + "/accuracy.md", markdown.str());
    save(dir + "/passes.csv", csv.str());
    save(dir + "/convergence_force.svg", forceConvergenceSvg(report.convergence));
    save(dir + "/convergence_neutral.svg", neutralConvergenceSvg(report.convergence));
  } catch (const std::exception& e) {
    std::cerr << "orowan-study: cannot write into " << orowan::output::printable(dir) << ": "
              << orowan::output::printable(e.what()) << "\n";
    return 1;
  }
  const std::chrono::duration<double> took = Clock::now() - start;
  std::cout << passes.size() << " passes in " << took.count() << " s on " << args.jobs
            << " threads; converged solver alone: " << convergedRate(passes)
            << " passes per second of processor time on one thread\n";
  return 0;
}
