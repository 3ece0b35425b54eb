// Mean strain rates of a pass.
#include "passes/strain_rate.h"

#include <cmath>

namespace orowan::passes {

double rollSpeed(double V) { return V * 1000.0 / 60.0; }

double meanStrainRate(double strainIn, double strainOut, double v, double XL) {
  return (strainOut - strainIn) * v / XL;
}

double ekelundStrainRate(double R, double H1, double H2, double v) {
  return 2.0 * v * std::sqrt((H1 - H2) / R) / (H1 + H2);
}

}  // namespace orowan::passes
