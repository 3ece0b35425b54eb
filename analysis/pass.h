// One rolling pass as a library call: the console's analysis, every step of
// both marches, the neutral point, the loads and the summary values, or the
// fault that ends the pass, with the number the console would report.
//
// Reentrant: passes may run in several threads at once. A call never ends
// the process, writes nothing, allocates nothing, and leaves the caller's
// floating-point environment and signal dispositions as it found them.
#pragma once

#include <cstdint>

namespace orowan {

inline constexpr int kMaxSteps = 500;       // steps a march stores at most
inline constexpr int kMaxTablePoints = 50;  // points of a property table

// The position (mm from the exit plane) past any arc of contact at which
// the analysis's own tables end, and to which a table given is extended
// to hold its last value.
inline constexpr float kTableEnd = 10000.0f;

// A property along the arc of contact, piecewise linear: positions in mm
// from the exit plane, ascending, with the property's value at each. A
// position outside every interval [x(k), x(k+1)) takes the default of the
// analysis (friction 0.1, yield stress 20).
struct PropertyPoints {
  int count = 0;
  float positions[kMaxTablePoints] = {};
  float values[kMaxTablePoints] = {};
};

// The typed inputs of one pass, as single-precision values.
struct PassInput {
  float R = 0;                // roll radius, mm
  float H1 = 0, H2 = 0;       // thickness before and after the pass, mm
  float meanYieldStress = 0;  // as typed, kgf/mm^2; the analysis uses 1.15 times it
  float SGB = 0, SGF = 0;     // back and front tension, kgf/mm^2
  float friction = 0;         // friction coefficient as typed
  // Instead of the constants above: the yield stress RK (already the
  // analysis's value, kgf/mm^2) and the friction coefficient along the arc.
  const PropertyPoints* yieldTable = nullptr;
  const PropertyPoints* frictionTable = nullptr;
};

// One march step as the analysis stores it: the section at which the step
// started. The columns of the console's stress table, every step.
struct StepValues {
  float X;      // mm from the exit plane
  float PHI;    // rad
  float O;      // PHI in degrees
  std::int32_t SL_ST;  // 1 slips, 2 sticks
  float F;      // horizontal force, kgf/mm, compression positive
  float P;      // roll pressure, kgf/mm^2
  float P_K;    // P / RK
  float SGX;    // horizontal stress F / H, kgf/mm^2
  float SGX_K;  // SGX / RK
  float TAU;    // shear stress, kgf/mm^2
  float H;      // thickness, mm
  float U;      // friction coefficient (never negative)
  float RK;     // yield stress, kgf/mm^2
  float A;      // root of the slip quadratic
  float W;      // yield term of the pressure
};

struct March {
  int steps = 0;  // 1 to kMaxSteps
  StepValues step[kMaxSteps];  // step[i - 1] is step i
};

// Where a pass stopped. `input` is the yield table's 1.15 factor, applied
// before the geometry.
enum class Stage : std::uint8_t { input, geometry, exitMarch, entryMarch, load, summary };

enum class Outcome : std::uint8_t { neutralPoint, noNeutralPoint, fault };

// A fault of the arithmetic: the console's M-class number (6101 invalid,
// 6103 divide by zero, 6104 overflow, 6201 square-root domain and so on),
// its message as the console's report words it, and where it happened.
struct Fault {
  int number = 0;
  char message[48] = {};
  Stage stage = Stage::input;
  int step = 0;  // the march step (1..500) for a march stage, else 0
};

struct PassResult {
  Outcome outcome = Outcome::fault;
  Fault fault;  // when outcome is fault

  // Derived geometry (valid from Stage::geometry on).
  float ROLL_DIAMETER = 0, F_EXIT_PLANE = 0, F_ENTRY_PLANE = 0, DH = 0;
  float XL = 0, CONTACT_ANGLE = 0, ANGLE_STEP = 0;

  // Both marches, complete or up to the faulting step.
  March exit, entry;

  // Neutral point and loads (outcome neutralPoint).
  int NEUTRAL_STEP = 0;  // exit-side step of the neutral point
  float ROLLING_FORCE = 0;  // t/m
  float G = 0;              // t m/m, both rolls
  float TORQUE_ARM = 0;     // mm
  float PM = 0;             // mean roll pressure, kgf/mm^2

  // Summary (REDUCTION_RATIO and OM whenever the pass got that far).
  float REDUCTION_RATIO = 0, OM = 0;  // --, degrees
  float XN = 0, ON = 0;               // mm, degrees
  float NEUTRAL_F = 0, NEUTRAL_P = 0; // kgf/mm, kgf/mm^2
};

// Solves one pass into `result`. Its two marches advance side by side;
// the result is the one of the marches in turn, bit for bit, faults too.
void solvePass(const PassInput& input, PassResult& result);

// The same with the marches in turn, the exit march first, as the console
// runs them: the reference of the side-by-side marches, for the tests and
// the benchmarks.
void solvePassInTurn(const PassInput& input, PassResult& result);

}  // namespace orowan
