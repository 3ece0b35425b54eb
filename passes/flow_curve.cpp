// Yield tables from flow curves: the strain along the arc of contact and
// the positions where a piecewise-linear table follows the curve closely.
#include "passes/flow_curve.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/real.h"

namespace orowan::passes {
namespace {

// The analysis's yield stress for a flow stress: rounded to single
// precision, times 1.15 in single precision, rounded again.
float storedYield(double stress) {
  return static_cast<float>(double(static_cast<float>(stress)) * single(1.15));
}

struct Point {
  float X, value;
};

// The interval (index of its left point) with the worst midpoint error
// among those that can still be split; -1 when none can.
int worstInterval(const std::vector<Point>& points, const std::vector<double>& errors) {
  int worst = -1;
  for (std::size_t k = 0; k + 1 < points.size(); ++k) {
    const float mid = static_cast<float>((double(points[k].X) + points[k + 1].X) / 2);
    const bool splittable = mid > points[k].X && mid < points[k + 1].X;
    if (splittable && (worst < 0 || errors[k] > errors[static_cast<std::size_t>(worst)]))
      worst = static_cast<int>(k);
  }
  return worst;
}

}  // namespace

double flowStress(const FlowCurve& curve, double strain) {
  if (curve.kind == FlowCurve::Kind::swift) return curve.K * std::pow(curve.EPS0 + strain, curve.N);
  return curve.S0 + curve.K * std::pow(strain, curve.N);
}

// 1 - cos phi = sin^2 phi / (1 + cos phi): no cancellation near the exit.
double thicknessAt(double X, float R, float H2) {
  const double s = std::min(1.0, X / double(R));
  const double c = std::sqrt(1.0 - s * s);
  return double(H2) + 2.0 * double(R) * (s * s / (1.0 + c));
}

double strainAt(double X, float R, float H1, float H2, double strainIn) {
  const double reduction = std::log(double(H1) / thicknessAt(X, R, H2));
  return strainIn + 2.0 / std::sqrt(3.0) * std::max(0.0, reduction);
}

double strainOut(float H1, float H2, double strainIn) {
  return strainIn + 2.0 / std::sqrt(3.0) * std::log(double(H1) / double(H2));
}

double contactLength(float R, float H1, float H2) {
  const double dh = double(H1) - double(H2);
  return std::sqrt(double(R) * dh - 0.25 * dh * dh);
}

// Splits the worst interval until every midpoint is within `tolerance` or
// the table is full; the last point, a little beyond the entry plane,
// repeats the entry plane's value so that the entry march's first section
// (R sin of the stored contact angle, XL to rounding) lies inside.
CurveTableFit yieldTableAlongArc(const std::function<double(double X)>& stressAt, double XL,
                                 PropertyPoints& table, double tolerance) {
  auto point = [&](double X) {
    const float x = static_cast<float>(X);
    return Point{x, storedYield(stressAt(x))};
  };
  auto error = [&](const Point& a, const Point& b) {
    const double exact = 1.15 * stressAt((double(a.X) + b.X) / 2);
    const double line = (double(a.value) + b.value) / 2;
    return exact == 0 ? std::fabs(line) : std::fabs(line - exact) / std::fabs(exact);
  };
  std::vector<Point> points{point(0.0), point(XL)};
  std::vector<double> errors{error(points[0], points[1])};
  while (static_cast<int>(points.size()) < kMaxTablePoints - 1) {
    const int k = worstInterval(points, errors);
    if (k < 0 || errors[static_cast<std::size_t>(k)] <= tolerance) break;
    const auto at = points.begin() + k;
    const Point mid = point((double(at->X) + (at + 1)->X) / 2);
    points.insert(at + 1, mid);
    errors[static_cast<std::size_t>(k)] = error(points[k], mid);
    errors.insert(errors.begin() + k + 1, error(mid, points[k + 2]));
  }
  const float guard = static_cast<float>(XL * 1.0001 + 1e-9);
  points.push_back({std::max(guard, std::nextafter(points.back().X, INFINITY)), points.back().value});
  table.count = static_cast<int>(points.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    table.positions[k] = points[k].X;
    table.values[k] = points[k].value;
  }
  const double worst = *std::max_element(errors.begin(), errors.end());
  return {worst, worst <= tolerance};
}

// The curve's stress at the strain the strip has at X.
CurveTableFit yieldTableFromCurve(const FlowCurve& curve, float R, float H1, float H2,
                                  double strainIn, PropertyPoints& table, double tolerance) {
  const auto stressAt = [&](double X) { return flowStress(curve, strainAt(X, R, H1, H2, strainIn)); };
  return yieldTableAlongArc(stressAt, contactLength(R, H1, H2), table, tolerance);
}

double tableMean(const PropertyPoints& table, double XL) {
  double integral = 0;
  for (int k = 0; k + 1 < table.count; ++k) {
    const double x0 = table.positions[k], x1 = std::min<double>(table.positions[k + 1], XL);
    if (x1 <= x0) break;
    const double v0 = table.values[k];
    const double slope = (double(table.values[k + 1]) - v0) / (double(table.positions[k + 1]) - x0);
    integral += (x1 - x0) * (v0 + 0.5 * slope * (x1 - x0));
  }
  return XL > 0 ? integral / XL : table.count > 0 ? table.values[0] : 0.0;
}

bool hasArcOfContact(float R, float H1, float H2) {
  const double dh = double(H1) - double(H2);
  return H2 > 0 && dh > 0 && double(R) > 0.5 * dh;
}

CurveRefusal solveWithCurve(const PassInput& input, float radius, const FlowCurve& curve,
                            double strainIn, PropertyPoints& table, PassResult& result,
                            CurveTableFit& fit) {
  PassInput at = input;
  at.R = radius;
  fit = CurveTableFit{};
  if (hasArcOfContact(radius, at.H1, at.H2)) {
    fit = yieldTableFromCurve(curve, radius, at.H1, at.H2, strainIn, table);
    if (!fit.withinTolerance) {
      if (flowStress(curve, strainIn) == 0) return CurveRefusal::zeroStress;
      return std::isnan(fit.worstMidpointError) ? CurveRefusal::beyondSingle
                                                : CurveRefusal::notFollowed;
    }
    at.yieldTable = &table;
  } else {
    table.count = 0;
    fit.worstMidpointError = NAN;
    at.yieldTable = nullptr;
    at.meanYieldStress = static_cast<float>(flowStress(curve, strainIn));
  }
  solvePass(at, result);
  return CurveRefusal::none;
}

float farthestStep(const PassResult& r) {
  float reach = 0;
  if (r.exit.steps > 0) reach = r.exit.step[r.exit.steps - 1].X;
  if (r.entry.steps > 0) reach = std::fmax(reach, r.entry.step[0].X);
  return reach;
}

}  // namespace orowan::passes
