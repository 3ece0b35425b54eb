#include "test_support.h"

#include <cfenv>
#include <csignal>

#include "console/failures.h"
#include "program/dialogue.h"

namespace testio {
namespace {

std::string served;  // the memory console serves it without a copy

}  // namespace

void start(std::string_view input, bool terminal, std::size_t chunk) {
  served.assign(input);
  console::memory::start({.input = served, .terminal = terminal, .chunk = chunk});
}

std::string out() { return std::string(console::memory::out()); }
std::string err() { return std::string(console::memory::err()); }
int reads() { return console::memory::reads(); }

void stop() { console::memory::stop(); }

ProgramRun runProgram(const std::string& input) {
  start(input);
  struct sigaction before = {};
  sigaction(SIGFPE, nullptr, &before);
  ProgramRun run;
  run.status = console::memory::run([] {
    console::setUpFloatingPoint();
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
