// Counts the math-library calls of one whole example pass and checks that
// the floor of the benchmarks makes exactly the same calls: the same
// functions, as often, with bit-identical arguments in the same order.
// sin, cos and atan are interposed here (this executable's definitions
// take the place of the library's); the square root is an instruction
// in the program, so its count is shown but not interposed.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "analysis/analysis.h"
#include "math_floor.h"
#include "pass_harness.h"

namespace {

bool recording = false;
bench::MathTape seen;  // the calls the program made

using MathFunction = double (*)(double);

MathFunction library(const char* name) {
  return reinterpret_cast<MathFunction>(dlsym(RTLD_NEXT, name));
}

double record(bench::CallList& list, const char* name, MathFunction& real, double x) {
  if (real == nullptr) real = library(name);
  if (recording) list.add(x);
  return real(x);
}

bool sameCalls(const char* name, const bench::CallList& made, const bench::CallList& floor) {
  const bool same = made.count == floor.count &&
                    std::memcmp(made.args, floor.args, sizeof(double) * made.count) == 0;
  std::printf("%-5s pass %5d calls, floor %5d calls: %s\n", name, made.count, floor.count,
              same ? "identical" : "DIFFERENT");
  return same;
}

}  // namespace

extern "C" {
double sin(double x) {
  static MathFunction real = nullptr;
  return record(seen.sines, "sin", real, x);
}
double cos(double x) {
  static MathFunction real = nullptr;
  return record(seen.cosines, "cos", real, x);
}
double atan(double x) {
  static MathFunction real = nullptr;
  return record(seen.arctangents, "atan", real, x);
}
}

namespace {

// The input of one pass: the example, or the file named by the argument.
void useInput(int argc, char** argv) {
  static char text[4096];
  if (argc < 2) {
    bench::useMemoryConsole(bench::kExampleInput, sizeof bench::kExampleInput - 1);
    return;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  const std::size_t n = file != nullptr ? std::fread(text, 1, sizeof text, file) : 0;
  if (file != nullptr) std::fclose(file);
  bench::useMemoryConsole(text, n);
}

int status = -1;

void runPass() { status = bench::runProgram(); }

}  // namespace

// The pass runs with both the interposed functions and the analysis's own
// call log recording; the floor replays the log. The two records must agree.
int main(int argc, char** argv) {
  static bench::MathTape tape;
  static bench::MathTape replayed;
  useInput(argc, argv);
  recording = true;
  bench::recordMathTape(tape, runPass);
  recording = false;
  replayed = seen;
  seen = bench::MathTape{};
  recording = true;
  bench::runMathTape(tape);
  recording = false;
  bool same = status == 0;
  same = sameCalls("sin", replayed.sines, seen.sines) && same;
  same = sameCalls("cos", replayed.cosines, seen.cosines) && same;
  same = sameCalls("atan", replayed.arctangents, seen.arctangents) && same;
  // The square root: one per march step and one for XL.
  const int roots = 1 + orowan::rec.EXIT_STEPS + orowan::rec.ENTRY_STEPS;
  same = tape.roots.count == roots && same;
  std::printf("sqrt  pass  %5d (an instruction), floor %5d\n", roots, tape.roots.count);
  std::printf("%s\n", same ? "floor = the pass's math-library calls" : "MISMATCH");
  return same ? 0 : 1;
}
