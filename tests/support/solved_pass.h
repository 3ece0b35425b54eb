// A request solved through the one pass, with its own scratch (the
// console's pass, some 60 KB, on the heap): for the tests of passes/.
#pragma once

#include <memory>

#include "passes/solve.h"

namespace passtest {

struct Solved {
  std::unique_ptr<orowan::PassResult> scratch = std::make_unique<orowan::PassResult>();
  orowan::passes::Answer answer;
};

inline std::unique_ptr<Solved> solve(const orowan::passes::Request& request) {
  auto s = std::make_unique<Solved>();
  orowan::passes::solveRequest(request, s->answer, *s->scratch);
  return s;
}

}  // namespace passtest
