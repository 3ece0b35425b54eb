// Fuzz target: arbitrary bytes as the batch tool's input file, through
// the CSV or JSON reader and the pass requests, as the tool's input stage
// runs them. The first byte chooses the mode: bits 0-1 the format (0
// detect, 1 CSV, 2 JSON), bit 2 SI units, bit 3 a sweep of U over two
// values. Beyond crashes and sanitizer reports: a line is readable exactly
// when it has no problem, a readable line has every value and each is
// finite (a friction table may stand for U, a flow curve for Y), and
// line numbers start at 1 and never go back.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "batch/input.h"
#include "batch/request.h"

namespace {

[[noreturn]] void finding(const char* what, long line) {
  std::fprintf(stderr, "fuzz finding: %s (line %ld)\n", what, line);
  std::abort();
}

void checkJob(const orowan::batch::PassJob& job, long lastLine) {
  if (job.line < 1 || job.line < lastLine) finding("line numbers out of order", job.line);
  if (job.readable == !job.problem.empty()) finding("readable and problem disagree", job.line);
  if (!job.readable) return;
  for (int c = 0; c < orowan::batch::kInputCount; ++c) {
    const orowan::batch::InputColumn& column = orowan::batch::inputColumns()[c];
    const bool needed = column.need == orowan::batch::Need::required || column.need == orowan::batch::Need::defaulted;
    if (needed && !job.has[c] && !(c == orowan::batch::kU && job.request.frictionTable != nullptr))
      finding("a readable line without a value", job.line);
    if (job.has[c] && !std::isfinite(job.typed[c])) finding("a value that is not finite", job.line);
    if (column.field != nullptr && !std::isfinite(job.request.input.*column.field)) finding("an input that is not finite", job.line);
  }
  if (!job.has[orowan::batch::kY] && !job.has[orowan::batch::kCURVE]) finding("a readable line without a yield stress", job.line);
}

// Every line and case of the input, as the tool's input stage reads them.
void readAll(orowan::batch::PassSource& source, const orowan::batch::Sweep& sweep, orowan::batch::Units units) {
  orowan::batch::Schedule schedule(sweep.caseCount());
  orowan::batch::InputLine line;
  static orowan::batch::PassJob job;
  long lastLine = 0;
  while (source.next(line)) {
    for (long c = 0; c < sweep.caseCount(); ++c) {
      orowan::batch::prepareJob(line, sweep, c, units, schedule, job);
      checkJob(job, lastLine);
      lastLine = job.line;
    }
    schedule.lineDone();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int mode = data[0];
  const orowan::batch::InputFormat formats[] = {orowan::batch::InputFormat::detect, orowan::batch::InputFormat::csv, orowan::batch::InputFormat::json,
                                        orowan::batch::InputFormat::detect};
  orowan::batch::Sweep sweep;
  if ((mode & 8) != 0 && !sweep.add("U=0.1:0.2:0.1").empty()) finding("the fixed sweep is refused", 0);
  orowan::batch::ByteSource bytes(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  try {
    auto source = orowan::batch::openPassSource(bytes, formats[mode & 3]);
    readAll(*source, sweep, (mode & 4) != 0 ? orowan::batch::Units::si : orowan::batch::Units::report);
  } catch (const orowan::batch::SourceError& e) {
    if (e.problem.text.empty()) finding("a source error without a message", e.problem.line);
  }
  return 0;
}
