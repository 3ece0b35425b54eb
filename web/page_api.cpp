// The batch tool's run and the console's dialogue, without threads, files
// or a terminal: the page's two calls. The run is the tool's own: its
// JSON source, prepareJob, solveJob and writers in input order, into a
// string (the writers' OutputFile over memory); only the parallel pipeline
// and the command line are left out.
#include "web/page_api.h"

#include <memory>
#include <stdexcept>
#include <vector>

#include "batch/byte_source.h"
#include "batch/columns.h"
#include "batch/input.h"
#include "batch/options.h"
#include "batch/output_file.h"
#include "batch/request.h"
#include "batch/solve.h"
#include "batch/sweep.h"
#include "batch/writers.h"
#include "program/dialogue.h"
#include "program/faults.h"
#include "testing/memory_console.h"

namespace orowan::web {
namespace {

using namespace orowan::batch;

// A problem that ends the run before the passes, worded as the tool does.
struct Stop {
  std::string message;
};

constexpr const char* kInputName = "page";

// "<name>:<line>: <text>\n", as the tool's standard error has it.
void addMessage(std::string& messages, long line, const std::string& text) {
  messages += printable(kInputName) + ":" + std::to_string(line) + ": " + printable(text) + "\n";
}

// The source over the input, its required columns and header checked as
// the tool checks them before the passes.
std::unique_ptr<PassSource> openSource(ByteSource& bytes, const Sweep& sweep) {
  std::unique_ptr<PassSource> source;
  try {
    source = openPassSource(bytes, InputFormat::json);
  } catch (const SourceError& e) {
    throw Stop{std::string(kInputName) + ":" + std::to_string(e.problem.line) + ": " + e.problem.text};
  }
  const std::string missing =
      missingRequiredColumn([&](int c) { return source->names(c) || sweep.varyOf(c) != nullptr; });
  if (!missing.empty()) throw Stop{std::string(kInputName) + ":1: " + missing};
  return source;
}

// Every pass of the source, each sweep case of each line, through the
// writer in input order; the tool's pipeline does the same on threads.
// Returns the number of lines that could not be read.
long solveAll(PassSource& source, const Sweep& sweep, const RunRequest& request, ResultWriter& writer,
              std::string& messages) {
  const Units units = request.si ? Units::si : Units::report;
  const Solver solver = request.converged ? Solver::converged : Solver::console;
  const long cases = sweep.caseCount();
  Schedule schedule(cases);
  InputLine line;
  auto job = std::make_unique<PassJob>();  // 60 KB: not on the stack
  std::string text;
  LineMessages lineMessages(kInputName);
  while (source.next(line)) {
    for (long c = 0; c < cases; ++c) {
      prepareJob(line, sweep, c, units, schedule, *job);
      solveJob(*job, solver);
      text.clear();
      writer.render(*job, text);
      lineMessages.add(*job, messages);
      writer.write(*job, text);
    }
    schedule.lineDone();
  }
  return lineMessages.unreadable();
}

}  // namespace

RunResult runPasses(const RunRequest& request) {
  RunResult result;
  try {
    Sweep sweep;
    if (!request.vary.empty()) {
      if (std::string problem = sweep.add(request.vary); !problem.empty()) throw Stop{"--vary: " + problem};
    }
    ByteSource bytes(request.input);
    std::unique_ptr<PassSource> source = openSource(bytes, sweep);
    for (const SourceProblem& warning : source->headerWarnings())
      addMessage(result.messages, warning.line, warning.text);
    for (const SourceProblem& problem : source->headerProblems())
      addMessage(result.messages, problem.line, problem.text);
    long unreadable = 0;
    {
      OutputFile results(&result.output, kInputName);
      const Layout layout{!sweep.empty(), request.si ? Units::si : Units::report, request.converged, {}, false};
      std::unique_ptr<ResultWriter> writer = request.json ? makeJsonWriter(results, layout, request.steps)
                                                          : makeCsvResultWriter(results, layout);
      writer->begin();
      unreadable = solveAll(*source, sweep, request, *writer, result.messages);
      writer->end();
      results.commit();
    }
    result.status = unreadable > 0 || !source->headerProblems().empty() ? kStatusUnreadable : 0;
  } catch (const Stop& stop) {
    result.output.clear();  // a run that stopped writes no results
    result.messages += "orowan-batch: " + printable(stop.message) + "\n";
    result.status = kStatusUnreadable;
  } catch (const std::exception& e) {
    result.output.clear();
    result.messages += "orowan-batch: " + printable(e.what()) + "\n";
    result.status = kStatusUnreadable;
  }
  return result;
}

ReportResult consoleReport(const std::string& dialogue) {
  orowan::testing::start({dialogue});
  ReportResult report;
  report.status = orowan::testing::run([] {
    orowan::program::setUpFaults();
    orowan::runDialogue();
  });
  report.bytes = std::string(orowan::testing::out());
  orowan::testing::stop();
  return report;
}

}  // namespace orowan::web
