// Sweep charts. The write stage keeps one value per pass for each charted
// summary result (a few floats a pass, never the steps); at the end each
// result is drawn against the first varied input, one curve per value of
// the second (eight of them, spread evenly, when it has more). Each input line of a sweep gets its own set of charts, and
// with more than two varied inputs there is a set per combination of the
// third and later ones.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/writers.h"
#include "batch/sweep.h"
#include "pictures/chart.h"

namespace orowan::batch {

// Which input record a pass belongs to: its line, and its place among the
// records that start on that line (JSON objects may share one), from 1.
struct RecordId {
  long line = 0;
  long ordinal = 1;
};

// Tells the records apart in the write stage; called for every job in order.
class RecordCounter {
 public:
  RecordId next(const PassJob& job);

 private:
  RecordId last_;
  bool any_ = false;
};

// "line0007", or "line0001_0002" for the second record on line 1: with
// `digits` wide numbers these sort in input order (as "_" sorts after the
// "-" and "." that follow a first record's stem).
std::string recordStem(RecordId id, int digits);

// `value` zero-padded to `digits`.
std::string padded(long value, int digits);

// The decimal digits of `value` (1 for 0).
int digitCount(long value);

struct SweepChart {
  std::string fileName;  // "line0002-sweep-ROLLING_FORCE.svg"
  orowan::pictures::Chart chart;
};

class SweepCollector : public ResultWriter {
 public:
  SweepCollector(const Sweep& sweep, int lineDigits);
  void begin() override {}
  void render(const PassJob&, std::string&) const override {}
  void write(const PassJob& job, const std::string&) override;
  void end() override {}

  // Every chart in input order, built one at a time.
  void forEachChart(const std::function<void(const SweepChart&)>& use) const;

 private:
  struct Record {
    RecordId id;
    std::string fixedInputs;  // the inputs that are not varied, from the first readable case
    std::vector<float> values;  // [case][quantity], NaN where the pass has none
    bool anyValue = false;
  };
  SweepChart chartOf(const Record& record, long set, std::size_t quantity) const;
  orowan::pictures::Series seriesOf(const Record& record, long set, std::size_t quantity, long i1) const;
  std::string setText(long set, const char* separator, bool spaced) const;
  std::string valueName(const Vary& vary, long i) const;

  const Sweep& sweep_;
  int lineDigits_;
  Units units_ = Units::report;
  std::vector<const ResultColumn*> columns_;
  RecordCounter counter_;
  std::vector<Record> records_;
};

}  // namespace orowan::batch
