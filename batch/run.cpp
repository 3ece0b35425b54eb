// The steps of a run: open the input and check its header, open the
// outputs under temporary names, run the passes, commit the outputs.
#include "batch/run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "batch/options.h"
#include "batch/pictures_output.h"
#include "batch/pipeline.h"

namespace orowan::batch {
namespace {

// A problem that ends the run before or instead of the passes.
struct Stop {
  std::string message;
};

// The input file's descriptor; standard input for "-".
int openInput(const std::string& path) {
  if (path == "-") return 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw Stop{path + ": cannot open: " + std::strerror(errno)};
  struct stat status {};
  if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
    ::close(fd);
    throw Stop{path + ": cannot read: it is a directory"};
  }
  return fd;
}

// A required column that the header leaves out (and no --vary gives)
// leaves no line readable.
void checkRequiredColumns(const PassSource& source, const Options& options, const std::string& name) {
  const std::string missing = missingRequiredColumn(
      [&](int c) { return source.names(c) || options.sweep.varyOf(c) != nullptr || fitStartColumn(options.fit, c); });
  if (!missing.empty()) throw Stop{name + ":1: " + missing};
}

// The total for the progress line: the passes counted in a second read
// of a regular file; unknown for a pipe.
long progressTotal(const Options& options) {
  struct stat status {};
  if (options.input == "-" || ::stat(options.input.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
  const int fd = ::open(options.input.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  long total = -1;
  try {
    ByteSource bytes(fd);
    total = countPasses(*openPassSource(bytes, options.inputFormat, options.keep), options.sweep);
  } catch (...) {
  }
  ::close(fd);
  return total;
}

// Progress goes to standard error on a terminal, unless the results go to
// the same terminal: the line would be rewritten between result lines.
bool showsProgress(const Options& options) {
  if (::isatty(2) == 0) return false;
  if (!(options.output.empty() || options.output == "-") || ::isatty(1) == 0) return true;
  struct stat out {}, err {};
  if (::fstat(1, &out) != 0 || ::fstat(2, &err) != 0) return true;
  return out.st_rdev != err.st_rdev;
}

// Typed passes are read from a terminal until its end of file; a user
// who meant to name a file is told so at once.
void hintAtTerminalInput(const Options& options) {
  if (options.input == "-" && ::isatty(0) != 0) {
    std::fputs("orowan-batch: reading passes from standard input (end with Ctrl-D; --help for the options)\n", stderr);
  }
}

// The writers of the options, over files opened here; all committed at
// the end, or none. The picture outputs commit their own files, and a
// failure of theirs leaves the results whole.
long writeResults(PassSource& source, const Options& options, const RunSettings& settings,
                  PictureOutputs& pictures) {
  OutputFile results(options.output);
  std::unique_ptr<OutputFile> steps;
  if (!options.stepsOutput.empty()) steps = std::make_unique<OutputFile>(options.stepsOutput);
  const Layout layout{!options.sweep.empty(), options.units, options.solverGiven, options.keep, options.fit.on};
  std::vector<std::unique_ptr<ResultWriter>> owned;
  owned.push_back(options.json ? makeJsonWriter(results, layout, options.steps) : makeCsvResultWriter(results, layout));
  if (steps) owned.push_back(makeCsvStepWriter(*steps, layout));
  std::vector<ResultWriter*> writers;
  for (auto& writer : owned) writers.push_back(writer.get());
  writers.insert(writers.end(), pictures.writers().begin(), pictures.writers().end());
  for (ResultWriter* writer : writers) writer->begin();
  const bool terminal = showsProgress(options);
  Progress progress(terminal, terminal ? progressTotal(options) : -1);
  const long unreadable = runPasses(source, options.sweep, settings, writers, progress);
  progress.finish();
  for (ResultWriter* writer : writers) writer->end();
  if (steps) steps->commit();
  results.commit();
  return unreadable;
}

// Reads, runs and writes; the exit status.
int run(const Options& options) {
  const std::string name = options.input == "-" ? "stdin" : options.input;
  const int fd = openInput(options.input);
  hintAtTerminalInput(options);
  ByteSource bytes(fd);
  std::unique_ptr<PassSource> source;
  try {
    source = openPassSource(bytes, options.inputFormat, options.keep);
  } catch (const SourceError& e) {
    throw Stop{name + ":" + std::to_string(e.problem.line) + ": " + e.problem.text};
  }
  checkRequiredColumns(*source, options, name);
  for (const SourceProblem& warning : source->headerWarnings()) {
    std::fprintf(stderr, "%s:%ld: %s\n", printable(name).c_str(), warning.line, printable(warning.text).c_str());
  }
  for (const SourceProblem& problem : source->headerProblems()) {
    std::fprintf(stderr, "%s:%ld: %s\n", printable(name).c_str(), problem.line, printable(problem.text).c_str());
  }
  RunSettings settings{name, options.units, options.jobs, stderr, options.solver, options.fit};
  const bool pictured = !options.svgDir.empty() || !options.htmlOutput.empty();
  PictureOutputs pictures({options.svgDir, options.htmlOutput, name, options.commandLine, &options.sweep,
                           options.units, pictured ? lineNumberDigits(fd) : 4, stderr, options.htmlSteps});
  const long unreadable = writeResults(*source, options, settings, pictures);
  const bool failed = unreadable > 0 || !source->headerProblems().empty() || pictures.failed();
  return failed ? kStatusUnreadable : 0;
}

}  // namespace

int runBatch(int argc, char** argv) {
  Options options;
  if (const int status = parseCommandLine(argc, argv, options); status >= 0) return status;
  removeTemporariesOnSignal();
  try {
    return run(options);
  } catch (const Stop& stop) {
    std::fprintf(stderr, "orowan-batch: %s\n", printable(stop.message).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orowan-batch: %s\n", printable(e.what()).c_str());
  }
  return kStatusUnreadable;
}

}  // namespace orowan::batch
