// The outputs of a run behind one interface. A writer renders each job's
// text in the parallel stage (so formatting thousands of step values runs
// on every thread), then writes the texts in input order in the serial
// stage; it keeps nothing of a job. The CSV result table, the CSV step
// table and the JSON results are writers; picture writers can be added
// beside them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "batch/job.h"
#include "batch/output_file.h"

namespace orowan::batch {

class ResultWriter {
 public:
  virtual ~ResultWriter() = default;
  virtual void begin() = 0;
  // Any thread, several jobs at once: appends the job's text to `text`.
  virtual void render(const PassJob& job, std::string& text) const = 0;
  // In input order, one job at a time: the job and the text rendered for it.
  virtual void write(const PassJob& job, const std::string& text) = 0;
  virtual void end() = 0;
};

struct Layout {
  bool sweep = false;  // a "case" column beside "line"
  Units units = Units::report;
  bool stepsPerSide = false;  // a last column STEPS_PER_SIDE (with --solver)
  std::vector<std::string> kept;  // --keep: passed-through columns, after every result column
  bool fit = false;           // the fit's columns after all others (with --fit)
};

// One line per pass: line, [case], the inputs, the summary values, status,
// message, stage, side, step.
std::unique_ptr<ResultWriter> makeCsvResultWriter(OutputFile& out, Layout layout);

// One line per march step: line, [case], side, step and the step columns.
std::unique_ptr<ResultWriter> makeCsvStepWriter(OutputFile& out, Layout layout);

// A JSON array, one object per pass, streamed; with `steps` each object
// has "steps": {"exit": {column: [values]}, "entry": {...}}.
std::unique_ptr<ResultWriter> makeJsonWriter(OutputFile& out, Layout layout, bool steps);

// The shortest text that reads back to the same float (std::to_chars):
// "185.49", "1e-45", "-0", "inf", "nan". `buffer` holds it.
std::string_view shortestText(float value, char (&buffer)[32]);

}  // namespace orowan::batch
