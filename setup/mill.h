// A mill and the coils it is to roll, as the set-up reads them: the
// stands (roll radius, roll elasticity, friction, limits), the coils
// (width, gauges, material, tensions, exit speed) and how the loads are
// to be shared. Values are the single values a typed number is, in the
// file's units; setup/units.h converts them for the pass.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "passes/flow_curve.h"

namespace orowan::setup {

enum class Units { report, si };  // report: kgf/mm2, t, t-m; si: MPa, kN, kN-m

enum class MillKind { tandem, reversing };

struct Stand {
  float R = 0;                     // roll radius, mm
  std::optional<float> E, NU;      // roll modulus and Poisson's ratio (no E: rigid rolls)
  float U = 0;                     // friction coefficient
  std::optional<float> maxForce;   // whole width, t (kN)
  std::optional<float> maxTorque;  // both rolls, t-m (kN-m)
  std::optional<float> maxPower;   // both rolls, kW
  std::optional<float> maxRollSpeed;  // m/min
  int line = 0;                    // where the [[stand]] table starts
};

// How the reduction is shared between the passes.
enum class ShareBy { force, power, reduction, given };

struct Distribution {
  ShareBy by = ShareBy::force;
  std::vector<double> ratios;  // one a pass (force, power, reduction)
  std::vector<float> H;        // given: the thickness after each pass but the last
};

// The strip's material: a constant mean yield stress or a flow curve.
struct Material {
  std::optional<float> Y;  // stress units of the file
  bool hasCurve = false;
  passes::FlowCurve::Kind kind = passes::FlowCurve::Kind::swift;
  float K = 0, N = 0, EPS0 = 0, S0 = 0;  // K and S0 in stress units of the file
};

struct Coil {
  std::string name;
  int line = 0;
  float width = 0, H_entry = 0, H_exit = 0;
  Material material;
  float EPS = 0;
  float tensionEntry = 0, tensionExit = 0;
  std::vector<float> tensions;  // between the passes
  float V_exit = 0;             // m/min
  Distribution distribution;
  std::string problem;  // why this coil cannot be set up ("" when it can)
};

struct Mill {
  std::string file;
  Units units = Units::report;
  bool unitsGiven = false;
  MillKind kind = MillKind::tandem;
  int passes = 0;  // reversing: passes through the one stand; tandem: the stands
  std::vector<Stand> stands;
  std::vector<Coil> coils;
};

// The stand a pass rolls in (tandem: stand i; reversing: the one stand).
inline const Stand& standOf(const Mill& mill, int pass) {
  return mill.kind == MillKind::tandem ? mill.stands[pass] : mill.stands[0];
}

}  // namespace orowan::setup
