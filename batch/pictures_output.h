// The picture outputs of a run: --svg DIR, one friction hill per solved
// pass and the sweep charts, and --html FILE, one self-contained page. Each
// is a ResultWriter: the pictures and page sections are drawn in the
// parallel stage and written in input order.
//
// A picture output that cannot be written (the directory cannot be made or
// written into, the page's file cannot be created) says so once on the
// message stream, naming the path and the reason, and stops; the result
// file is not affected, and failed() makes the run end with status 1.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "batch/sweep.h"
#include "batch/writers.h"

namespace orowan::batch {

struct PictureSettings {
  std::string svgDir;       // "" for no SVG files
  std::string htmlPath;     // "" for no page
  std::string inputName;    // "passes.csv" or "stdin", for the page
  std::string commandLine;  // for the page
  const Sweep* sweep = nullptr;
  Units units = Units::report;
  int lineDigits = 4;       // see lineNumberDigits()
  std::FILE* messages = stderr;
  HtmlSteps htmlSteps = HtmlSteps::rows;
};

class PictureWriter;
class SweepCollector;

class PictureOutputs {
 public:
  explicit PictureOutputs(const PictureSettings& settings);
  ~PictureOutputs();
  // The writers to add to the run (none without --svg and --html).
  const std::vector<ResultWriter*>& writers() const { return writers_; }
  // Whether an output could not be written.
  bool failed() const;

 private:
  PictureSettings settings_;  // the writers refer to it
  std::unique_ptr<SweepCollector> sweep_;
  std::vector<std::unique_ptr<PictureWriter>> outputs_;
  std::vector<ResultWriter*> writers_;
};

// How many digits the line numbers in file names take, so that the names
// sort in input order: enough for every line (and every JSON object on one
// line) of a regular file, whose line ends and "{" are counted; 10 for a
// pipe or terminal; at least 4.
int lineNumberDigits(int fd);

// The date of the run for the page, "2024-05-01 10:00:00 +0200"; from
// SOURCE_DATE_EPOCH (in UTC) when that is set, for reproducible pages.
std::string runDate();

}  // namespace orowan::batch
