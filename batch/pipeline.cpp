// tbb::parallel_pipeline: a serial input stage that reads and prepares
// each pass, a parallel stage that solves it and renders its texts, and a
// serial output stage that writes them in input order. Jobs come from a pool, so no pass
// allocates its 60 KB result.
#include "batch/pipeline.h"

#include <memory>
#include <mutex>

#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/parallel_pipeline.h>

#include "batch/request.h"
#include "batch/solve.h"

namespace orowan::batch {
namespace {

// Jobs handed out and taken back; at most as many exist as tokens.
class JobPool {
 public:
  PassJob* acquire() {
    std::lock_guard lock(mutex_);
    if (free_.empty()) return owned_.emplace_back(std::make_unique<PassJob>()).get();
    PassJob* job = free_.back();
    free_.pop_back();
    return job;
  }
  void release(PassJob* job) {
    std::lock_guard lock(mutex_);
    free_.push_back(job);
  }

 private:
  std::mutex mutex_;
  std::vector<std::unique_ptr<PassJob>> owned_;
  std::vector<PassJob*> free_;
};

// The input stage's state: the current line and its next sweep case.
class PassFeed {
 public:
  PassFeed(PassSource& source, const Sweep& sweep, Units units, Solver solver, const FitRequest& fit)
      : source_(source), sweep_(sweep), units_(units), solver_(solver), fit_(fit), cases_(sweep.caseCount()),
        schedule_(cases_) {}

  // The next pass into `job`; false at the end of the input.
  bool next(PassJob& job) {
    if (!haveLine_ || caseIndex_ == cases_) {
      if (haveLine_) schedule_.lineDone();
      if (!source_.next(line_)) return false;
      fillFitStart(fit_, line_);
      haveLine_ = true;
      caseIndex_ = 0;
    }
    const long c = caseIndex_++;
    job.solved = false;
    prepareJob(line_, sweep_, c, units_, schedule_, job);
    carryTemperature(c, job);
    return true;
  }

 private:
  // A hot pass is solved here, in input order, since the next line may
  // take the temperature it leaves (T_EXIT) as its T; the line's exit
  // temperature, or none, is what the schedule carries on.
  void carryTemperature(long c, PassJob& job) {
    if (job.readable && job.request.hot) {
      solveJob(job, solver_);
      job.solved = true;
    }
    const bool known = job.readable && job.answer.hot && passes::isPass(job.answer);
    schedule_.setTemperature(c, known, job.answer.values.T_EXIT);
  }

  PassSource& source_;
  const Sweep& sweep_;
  Units units_;
  Solver solver_;
  const FitRequest& fit_;
  long cases_;
  Schedule schedule_;
  InputLine line_;
  bool haveLine_ = false;
  long caseIndex_ = 0;
};

}  // namespace

long runPasses(PassSource& source, const Sweep& sweep, const RunSettings& settings,
               const std::vector<ResultWriter*>& writers, Progress& progress) {
  const unsigned jobs = settings.jobs == 0 ? 1 : settings.jobs;
  oneapi::tbb::global_control threads(oneapi::tbb::global_control::max_allowed_parallelism, jobs);
  JobPool pool;
  PassFeed feed(source, sweep, settings.units, settings.solver, settings.fit);
  LineMessages messages(settings.inputName);
  std::string messageText;
  auto read = [&](oneapi::tbb::flow_control& control) -> PassJob* {
    PassJob* job = pool.acquire();
    if (feed.next(*job)) return job;
    pool.release(job);
    control.stop();
    return nullptr;
  };
  auto solve = [&writers, &settings](PassJob* job) {
    if (!job->solved) {
      if (settings.fit.on) fitJob(*job, settings.fit, settings.solver);
      else solveJob(*job, settings.solver);
    }
    job->texts.resize(writers.size());
    for (std::size_t w = 0; w < writers.size(); ++w) {
      job->texts[w].clear();
      writers[w]->render(*job, job->texts[w]);
    }
    return job;
  };
  auto write = [&](PassJob* job) {
    messageText.clear();
    messages.add(*job, messageText);
    if (!messageText.empty()) std::fputs(messageText.c_str(), settings.messages);
    for (std::size_t w = 0; w < writers.size(); ++w) writers[w]->write(*job, job->texts[w]);
    progress.passDone();
    pool.release(job);
  };
  using oneapi::tbb::filter_mode;
  oneapi::tbb::parallel_pipeline(
      jobs * 4, oneapi::tbb::make_filter<void, PassJob*>(filter_mode::serial_in_order, read) &
                    oneapi::tbb::make_filter<PassJob*, PassJob*>(filter_mode::parallel, solve) &
                    oneapi::tbb::make_filter<PassJob*, void>(filter_mode::serial_in_order, write));
  return messages.unreadable();
}

long countPasses(PassSource& source, const Sweep& sweep) {
  InputLine line;
  long lines = 0;
  while (source.next(line)) ++lines;
  return lines * sweep.caseCount();
}

}  // namespace orowan::batch
