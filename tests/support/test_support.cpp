#include "test_support.h"

#include <cfenv>
#include <csignal>

#include "console/failures.h"
#include "program/faults.h"
#include "program/dialogue.h"

namespace testio {
namespace {

std::string served;  // the memory console serves it without a copy

}  // namespace

void start(std::string_view input, bool terminal, std::size_t chunk) {
  served.assign(input);
  orowan::testing::start({.input = served, .terminal = terminal, .chunk = chunk});
}

std::string out() { return std::string(orowan::testing::out()); }
std::string err() { return std::string(orowan::testing::err()); }
int reads() { return orowan::testing::reads(); }

void stop() { orowan::testing::stop(); }

ProgramRun runProgram(const std::string& input) {
  start(input);
  struct sigaction before = {};
  sigaction(SIGFPE, nullptr, &before);
  ProgramRun run;
  run.status = orowan::testing::run([] {
    orowan::program::setUpFaults();
    orowan::runDialogue();
  });
  fedisableexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
  sigaction(SIGFPE, &before, nullptr);
  run.out = out();
  run.err = err();
  stop();
  return run;
}

}  // namespace testio
