// STUB: replaced by the analysis routines (delete this file when they land).
#include "analysis/analysis.h"
namespace orowan {
void lookupFriction(const Real&, Real&) {}
void lookupYieldStress(const Real&, Real&) {}
void slopeSlip(const Real&, Real&, const Real&, const Real&, const Real&, const Real&, const Real&, const Real&) {}
void slopeStick(const Real&, Real&, const Real&, const Real&, const Real&, const Real&, const Real&, const Real&) {}
void stepSlip(const Real&, Real&, const Real&, const Real&, const Real&, const Real&, const Real&, const Real&, const Real&) {}
void stepStick(const Real&, Real&, const Real&, const Real&, const Real&, const Real&, const Real&, const Real&, const Real&) {}
void writeFirstResultHeading() {}
void writeStressTitle(Side) {}
void writeColumnHeader() {}
void writeStressRow() {}
void marchRollGap(Side) {}
void neutralPointAndLoad() {}
void writeSummary() {}
}  // namespace orowan
