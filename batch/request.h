// From an input line (and a sweep case) to the analysis's input: each
// value text read as the console reads a typed REAL, defaults for absent
// optional columns, the entry thickness and the strain taken over from the
// line before, the flow curve and the friction table checked, and the SI
// conversion.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/input.h"
#include "batch/job.h"
#include "batch/sweep.h"

namespace orowan::batch {

// What the line before left, one per sweep case, for the lines that leave
// H1 empty (a strip through several passes): its exit thickness and the
// strain the strip took out of it.
class Schedule {
 public:
  explicit Schedule(long cases)
      : exit_(static_cast<std::size_t>(cases)), known_(static_cast<std::size_t>(cases)),
        strain_(static_cast<std::size_t>(cases)), strainKnown_(static_cast<std::size_t>(cases)) {}
  bool first() const { return lines_ == 0; }
  long lineIndex() const { return lines_; }  // of the line being prepared, 0-based
  bool known(long c) const { return known_[static_cast<std::size_t>(c)]; }
  float exitThickness(long c) const { return exit_[static_cast<std::size_t>(c)]; }
  void set(long c, bool known, float exit) {
    known_[static_cast<std::size_t>(c)] = known;
    exit_[static_cast<std::size_t>(c)] = exit;
  }
  bool strainKnown(long c) const { return strainKnown_[static_cast<std::size_t>(c)]; }
  float strainOut(long c) const { return strain_[static_cast<std::size_t>(c)]; }
  void setStrain(long c, bool known, float strain) {
    strainKnown_[static_cast<std::size_t>(c)] = known;
    strain_[static_cast<std::size_t>(c)] = strain;
  }
  // The temperature a hot line left (T_EXIT), for the next line's T.
  bool temperatureKnown(long c) const { return temperatureKnown_[static_cast<std::size_t>(c)]; }
  float temperatureOut(long c) const { return temperature_[static_cast<std::size_t>(c)]; }
  void setTemperature(long c, bool known, float T) {
    temperatureKnown_[static_cast<std::size_t>(c)] = known;
    temperature_[static_cast<std::size_t>(c)] = T;
  }
  void lineDone() { ++lines_; }

 private:
  std::vector<float> exit_;
  std::vector<bool> known_;
  std::vector<float> strain_;
  std::vector<bool> strainKnown_;
  std::vector<float> temperature_ = std::vector<float>(exit_.size());
  std::vector<bool> temperatureKnown_ = std::vector<bool>(exit_.size());
  long lines_ = 0;
};

// Fills `job` for case `caseIndex` (0-based) of `line`; the job's
// `readable` tells whether the pass can be solved, `problem` why not.
void prepareJob(const InputLine& line, const Sweep& sweep, long caseIndex, Units units,
                Schedule& schedule, PassJob& job);

// The lines the jobs of a run add to its messages, in input order, each
// "<input>:<line>: <text>\n": the note a line brought up first (unknown
// columns), and a line's problem once a line (a JSON element that shares
// its line with others named by its place). The tool and the web page
// word them alike through this.
class LineMessages {
 public:
  explicit LineMessages(std::string_view inputName);
  void add(const PassJob& job, std::string& out);  // appends the job's lines
  long unreadable() const { return unreadable_; }  // lines whose problem was reported

 private:
  std::string inputName_;   // printable
  long lastReported_ = -1;  // the line whose problem was reported last
  long unreadable_ = 0;
};

}  // namespace orowan::batch
