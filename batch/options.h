// The command line of orowan-batch.
#pragma once

#include <string>
#include <vector>

#include "batch/fit.h"
#include "batch/input.h"
#include "batch/job.h"
#include "batch/sweep.h"
#include "batch/units.h"

namespace orowan::batch {

struct Options {
  std::string input = "-";   // "-": standard input
  std::string output;        // "": standard output
  bool json = false;         // JSON results instead of CSV
  InputFormat inputFormat = InputFormat::detect;
  bool steps = false;        // every march step too
  std::string stepsOutput;   // the CSV step file
  Units units = Units::report;
  unsigned jobs = 1;
  Sweep sweep;
  std::string svgDir;        // --svg: a picture per pass, and the sweep charts
  std::string htmlOutput;    // --html: the page
  std::string commandLine;   // as typed, for the page
  Solver solver = Solver::console;  // --solver
  bool solverGiven = false;  // --solver named: the STEPS_PER_SIDE column
  HtmlSteps htmlSteps = HtmlSteps::rows;  // --html-steps
  std::vector<std::string> keep;  // --keep: input columns passed through, after every result column
  FitRequest fit;               // --fit
};

// Exit statuses: 0 every line read, 1 a line or the input could not be
// read (or an output could not be written), 2 a command-line error.
inline constexpr int kStatusUnreadable = 1;
inline constexpr int kStatusUsage = 2;

// Parses the command line into `options`. Returns -1 to go on, or the
// status to end with (0 after --help, kStatusUsage after an error, which
// has been written to standard error).
int parseCommandLine(int argc, char** argv, Options& options);

}  // namespace orowan::batch
