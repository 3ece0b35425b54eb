// The console's discrete scheme in double precision: its grid and stop
// rule, its four-stage step with the section terms held from the step's
// start, its discrete neutral point and its rectangle sums.
#include <cmath>
#include <vector>

#include "accuracy/converged.h"
#include "accuracy/results.h"

namespace orowan::accuracy {
namespace {

// The start angles of both marches' steps, and the angle the exit march
// would have reached after its last step.
struct Grid {
  std::vector<double> exit, entry;
  double exitBeyond = 0;
  double step = 0;
};

// The console's grid in single precision: the contact angle and its N-th
// part stored as float, the angle accumulated as float and the stop rule
// tested on the unrounded sum, so the step count is the console's.
Grid singlePrecisionGrid(const PassConditions& pass, int N) {
  const float R = static_cast<float>(pass.R), H1 = static_cast<float>(pass.H1),
              H2 = static_cast<float>(pass.H2);
  const float DH = static_cast<float>(static_cast<double>(H1) - H2);
  const double dh = DH;
  const float XL =
      static_cast<float>(checkedSqrt(R * dh - 0.25 * (dh * dh), "contact length: H2 above H1"));
  const double angle = std::atan(checkedDivide(XL, R - 0.5 * (static_cast<double>(H1) - H2),
                                               "contact angle: reduction of twice the radius"));
  const float contactAngle = static_cast<float>(angle), step = static_cast<float>(angle / N);
  Grid g;
  g.step = step;
  float phi = 0.0f;
  for (double advanced = 0.0;; phi = static_cast<float>(advanced)) {
    g.exit.push_back(phi);
    advanced = static_cast<double>(phi) + step;
    if (!(advanced < contactAngle)) break;
  }
  g.exitBeyond = static_cast<float>(static_cast<double>(phi) + step);
  for (phi = contactAngle;;) {
    g.entry.push_back(phi);
    const double advanced = static_cast<double>(phi) - step;
    phi = static_cast<float>(advanced);
    if (!(advanced > 0.0)) break;
  }
  return g;
}

// Exact angles: in exact arithmetic the console's stop rule takes N steps.
Grid exactGrid(double alpha, int N) {
  Grid g;
  g.step = alpha / N;
  for (int i = 0; i < N; ++i) {
    g.exit.push_back(alpha * i / N);
    g.entry.push_back(alpha * (N - i) / N);
  }
  g.exitBeyond = alpha;
  return g;
}

// A side's step history: the section at which each step started.
struct History {
  std::vector<double> X, phi, F, P;
  std::vector<int> slipStick;
};

// The console's step: nodes 0, 1/2, 1/2, 1; stage forces y + k1/2,
// y - k1/2 + k2, y + k2/2 + k3/2; weights 1, 3, 1, 1 sixths. H, W or the
// stick term stay those of the step's start; the angle terms follow the
// stage.
double consoleStep(const SlabModel& model, Side side, const Section& held, double phi, double y,
                   double h) {
  const auto f = [&](double x, double F) { return model.slope(side, held, Angle(x), F); };
  const double k1 = h * f(phi, y);
  const double k2 = h * f(phi + h / 2, y + k1 / 2);
  const double k3 = h * f(phi + h / 2, y - k1 / 2 + k2);
  const double k4 = h * f(phi + h, y + k2 / 2 + k3 / 2);
  return y + (0.5 * k1 + 1.5 * k2 + 0.5 * k3 + 0.5 * k4) / 3.0;
}

// One march over its start angles; the entry side steps downward.
History march(const SlabModel& model, Side side, const std::vector<double>& angles, double step,
              double F) {
  History hist;
  const double h = side == Side::exit ? step : -step;
  for (double phi : angles) {
    const Angle a(phi);
    const Section s = model.section(side, a, F);
    hist.X.push_back(model.position(a));
    hist.phi.push_back(phi);
    hist.F.push_back(F);
    hist.P.push_back(s.P);
    hist.slipStick.push_back(s.contact == Contact::slip ? 1 : 2);
    F = consoleStep(model, side, s, phi, F, h);
  }
  return hist;
}

// The console's neutral step i (1-based), or 0: the first i with
// F_entry(k) - F_exit(i) <= 0, k = entry steps - i + 1; at i = 1 a
// difference below -0.01 kgf/mm means no neutral point.
int neutralStep(const History& exit, const History& entry) {
  const int exitSteps = static_cast<int>(exit.F.size()),
            entrySteps = static_cast<int>(entry.F.size());
  for (int i = 1; i <= exitSteps && i <= entrySteps; ++i) {
    const double d = entry.F[entrySteps - i] - exit.F[i - 1];
    if (!(d <= 0.0)) continue;
    return (i == 1 && d < -0.01) ? 0 : i;
  }
  return 0;
}

// Rectangle sums, each interval weighted at its end nearer the march's
// start plane: entry side from the entry plane to entry step
// entrySteps - i + 1, exit side from the exit plane to exit step i + 1
// (XBeyond, the position after the last exit step, when i is the last).
void rectangleLoads(const History& exit, const History& entry, double XBeyond, int i, Solution& s) {
  double force = 0, moment = 0;
  const int entrySteps = static_cast<int>(entry.X.size()),
            exitSteps = static_cast<int>(exit.X.size());
  for (int j = 0; j < entrySteps - i; ++j) {
    const double w = entry.X[j] - entry.X[j + 1];
    force += w * entry.P[j];
    moment += w * entry.X[j] * entry.P[j];
  }
  for (int j = 0; j < i; ++j) {
    const double w = (j + 1 < exitSteps ? exit.X[j + 1] : XBeyond) - exit.X[j];
    force += w * exit.P[j];
    moment += w * exit.X[j] * exit.P[j];
  }
  setLoads(s, force, moment);
}

// A side's history as the per-step values of the answer.
void keepSteps(const History& h, std::vector<StepRecord>& out) {
  for (size_t j = 0; j < h.X.size(); ++j)
    out.push_back({h.X[j], h.phi[j], h.F[j], h.P[j], h.slipStick[j]});
}

// Neutral point from the exit-side history at the neutral step, and loads.
void consoleNeutralAndLoads(const History& exit, const History& entry, double XBeyond,
                            Solution& s) {
  const int i = neutralStep(exit, entry);
  if (i == 0) {
    s.status = Status::noNeutralPoint;
    return;
  }
  s.neutralX = exit.X[i - 1];
  s.neutralAngle = exit.phi[i - 1];
  s.neutralForce = exit.F[i - 1];
  s.neutralPressure = exit.P[i - 1];
  rectangleLoads(exit, entry, XBeyond, i, s);
  requireFinite(s);
}

}  // namespace

Solution solveConsoleScheme(const PassConditions& pass, const ConsoleSchemeOptions& options) {
  const int N = options.stepsPerSide < 1 ? 1 : options.stepsPerSide;
  try {
    const Geometry geometry = contactGeometry(pass);
    const SlabModel model(pass);
    const Grid grid = options.singlePrecisionGrid ? singlePrecisionGrid(pass, N)
                                                  : exactGrid(geometry.contactAngle, N);
    Solution s = startSolution(pass, geometry, static_cast<int>(grid.exit.size()));
    const History exit =
        march(model, Side::exit, grid.exit, grid.step, -(pass.H2 * pass.frontTension));
    const History entry =
        march(model, Side::entry, grid.entry, grid.step, -(pass.H1 * pass.backTension));
    if (options.keepSteps) keepSteps(exit, s.exitSteps), keepSteps(entry, s.entrySteps);
    consoleNeutralAndLoads(exit, entry, model.position(Angle(grid.exitBeyond)), s);
    return s;
  } catch (const SolverFault& fault) {
    return faultSolution(fault, N);
  }
}

}  // namespace orowan::accuracy
