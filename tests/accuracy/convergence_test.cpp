// Observed orders of convergence of the converged solver (fourth) and of
// the console's scheme (first) on slipping, sticking, mixed and tensioned
// passes.
#include "accuracy/convergence.h"

#include <gtest/gtest.h>

namespace orowan::accuracy {
namespace {

struct Case {
  PassConditions pass;
  const char* what;
};

const Case kCases[] = {
    {{100, 2, 1.5, 20, 0, 0, 0.1}, "slip everywhere"},
    {{100, 2, 1.5, 20, 0, 0, 1.0}, "stick everywhere"},
    {{300, 10, 8, 40, 5, 3, 0.15}, "tensions"},
    {{200, 1, 0.8, 30, 0, 0, 0.2}, "slip then stick"},
};

void expectOrders(const std::vector<double>& orders, double low, double high, const char* what) {
  for (double order : orders) {
    EXPECT_GE(order, low) << what;
    EXPECT_LE(order, high) << what;
  }
}

// Classical RK4 on a smooth right-hand side, with the slip/stick switch
// located inside its step: error C h^4 (1 + O(h)). At 50 to 200 steps the
// errors lie between 1e-7 and 1e-13, far above rounding (1e-15), and the
// O(h) term moves the error ratio from 16 by a few percent; a band of
// 4 +- 0.3 allows 23 % (2^0.3).
TEST(Convergence, ConvergedSchemeIsFourthOrder) {
  for (const Case& c : kCases) {
    const ConvergenceStudy study = measureConvergence(c.pass, doublingSteps(50, 3));
    ASSERT_EQ(study.reference.status, Status::ok) << c.what;
    const ObservedOrders& o = study.converged.orders;
    expectOrders(o.force, 3.7, 4.3, c.what);
    expectOrders(o.torque, 3.7, 4.3, c.what);
    expectOrders(o.angle, 3.7, 4.3, c.what);
  }
}

// The console's rectangle sums and its section terms held over a step are
// first-order: error C h (1 + O(h)). From 400 steps the second-order part
// is below 5 % of the first, so the orders stay within 1 +- 0.1 (2^0.1 =
// 1.07). Its neutral point is a node, so its angle error is no order but
// at most one step: 1/N of the contact angle.
TEST(Convergence, ConsoleSchemeIsFirstOrder) {
  for (const Case& c : kCases) {
    const ConvergenceStudy study = measureConvergence(c.pass, doublingSteps(400, 4));
    expectOrders(study.console.orders.force, 0.9, 1.1, c.what);
    expectOrders(study.console.orders.torque, 0.9, 1.1, c.what);
    for (const ConvergencePoint& p : study.console.points)
      EXPECT_LE(p.angleError, 1.0 / p.steps) << c.what;
  }
}

}  // namespace
}  // namespace orowan::accuracy
