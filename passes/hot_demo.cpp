// Prints the figures of docs/hot-rolling.md: the mean strain rates of a
// typical hot pass, the laws at a few points, and the pass's temperatures
// and yield table with the default thermal parameters.
#include <cmath>
#include <cstdio>

#include "passes/flow_curve.h"
#include "passes/hot_flow.h"
#include "passes/strain_rate.h"
#include "passes/temperature.h"

using namespace orowan::passes;

namespace {

// The two mean strain rates of a pass (R, H1 -> H2 in mm, V in m/min).
void printStrainRates(float R, float H1, float H2, double V) {
  const double v = rollSpeed(V), XL = contactLength(R, H1, H2);
  const double mean = meanStrainRate(0, orowan::passes::strainOut(H1, H2, 0), v, XL);
  std::printf("R %g, %g -> %g mm, V %g m/min: XL %.4f mm, EPS_RATE_MEAN %.4f /s, "
              "Ekelund %.4f /s, ratio %.4f\n",
              R, H1, H2, V, XL, mean, ekelundStrainRate(R, H1, H2, v),
              mean / ekelundStrainRate(R, H1, H2, v));
}

// One hot pass with its thermal results and table.
void printPass(const char* what, const HotPassInput& in) {
  orowan::PropertyPoints table;
  const HotPassResult r = solveHotPass(in, table);
  if (r.refusal) {
    std::printf("%s: refused, kind %d value %g\n", what, int(r.refusal.kind), r.refusal.value);
    return;
  }
  std::printf("%s: EPS_RATE_MEAN %.4f /s, contact %.5f s, T_ENTRY %.2f, T_EXIT %.2f, "
              "T_RISE %.2f K, T_DROP_ROLL %.2f K, mean flow stress %.3f kgf/mm^2, "
              "RK mean %.3f, table %d points, worst midpoint error %.2e, limits 0x%x, "
              "%d rounds\n",
              what, r.EPS_RATE_MEAN, r.contactTime, r.T_ENTRY, r.T_EXIT, r.T_RISE, r.T_DROP_ROLL,
              r.yield.meanFlowStress, r.yield.meanYield, table.count,
              r.yield.fit.worstMidpointError, r.yield.limits, r.iterations);
}

// The work-weighted mean flow stress of a solved pass, the integral of
// sigma over the strain divided by the strain (midpoint rule, 20000
// steps), beside the mean over X that the heating uses.
void printWorkMean(const HotPassInput& in) {
  orowan::PropertyPoints table;
  const HotPassResult r = solveHotPass(in, table);
  const HotArc arc{in.R, r.H1, r.H2, in.strainIn, {r.T_ENTRY, r.T_RISE, r.T_DROP_ROLL},
                   r.EPS_RATE_MEAN};
  const int n = 20000;
  double work = 0, lo = INFINITY, hi = 0;
  for (int i = 0; i < n; ++i) {
    const double X0 = r.XL * i / n, X1 = r.XL * (i + 1) / n, X = (X0 + X1) / 2;
    const double s = hotFlowStress(in.material, temperatureAt(arc, X),
                                   orowan::passes::strainAt(X, arc.R, arc.H1, arc.H2, in.strainIn),
                                   r.EPS_RATE_MEAN);
    lo = std::fmin(lo, s), hi = std::fmax(hi, s);
    work += s * (orowan::passes::strainAt(X0, arc.R, arc.H1, arc.H2, 0) -
                 orowan::passes::strainAt(X1, arc.R, arc.H1, arc.H2, 0));
  }
  std::printf("work-weighted mean flow stress %.3f kgf/mm^2 (mean over X %.3f), "
              "sigma %.3f to %.3f along the arc\n",
              work / orowan::passes::strainOut(arc.H1, arc.H2, 0), r.yield.meanFlowStress, lo, hi);
}

}  // namespace

int main() {
  printStrainRates(400, 25, 15, 60);
  printStrainRates(300, 25, 20, 180);
  printStrainRates(350, 4, 2.8f, 600);

  HotMaterial misaka;
  misaka.carbon = 0.2;
  HotMaterial c45;
  c45.law = FlowLaw::henselSpittel;
  c45.coefficients = henselSpittelC45();
  for (double T : {900.0, 1000.0, 1100.0})
    std::printf("T %g: Misaka C 0.2 e 0.3 r 10: %.4f kgf/mm^2; C45 Hensel-Spittel: %.4f\n", T,
                hotFlowStress(misaka, T, 0.3, 10), hotFlowStress(c45, T, 0.3, 10));

  const StripHeat defaults;
  const double afterAir = airCooled(1100, 10, 25, defaults);
  std::printf("25 mm at 1100 C: after 10 s in air %.2f C, then 0.5 s of water %.2f C\n", afterAir,
              waterCooled(afterAir, 0.5, 25, defaults));

  HotPassInput in;
  in.R = 400, in.H1 = 25, in.H2 = 15, in.V = 60, in.T = 1100;
  in.material = misaka;
  in.heat.TRANSFER = 10, in.heat.DESCALE = 0.5;
  printPass("Misaka, 1100 C, 10 s transfer, 0.5 s descaling", in);
  printWorkMean(in);
  in.material = c45;
  printPass("C45, same", in);
  in.material = misaka;
  for (double epsMin : {0.02, 0.05, 0.2}) {
    in.material.epsMin = epsMin;
    char what[64];
    std::snprintf(what, sizeof what, "Misaka, EPS_MIN %g", epsMin);
    printPass(what, in);
  }
  in.material.epsMin = kDefaultEpsMin;
  in.heat.H_CONTACT = 0;
  printPass("Misaka, no roll chill", in);
  return 0;
}
