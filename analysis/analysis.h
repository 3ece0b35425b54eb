// The routines of the rolling analysis, over the calling thread's analysis
// record. They compute; printing is the caller's (the console program
// writes its tables and summary from the record, through a march observer).
#pragma once

#include "analysis/record.h"

namespace orowan {

// Property lookups at position X (mm) in the tables of the thread's
// record (analysis/property_lookup.h: in those of a given record).
void lookupFriction(const Real& X, Real& U);
void lookupYieldStress(const Real& X, Real& RK);

// One four-stage integration step of the slab equation from F at PHI to
// F_NEXT at PHI + DPHI (analysis/integrator_scheme.h holds the scheme).
void stepSlip(const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI, const Real& H,
              const Real& U, const Real& RK, const Real& W, const Real& ROLL_DIAMETER);
void stepStick(const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI, const Real& H,
               const Real& U, const Real& RK, const Real& STICK_TERM, const Real& ROLL_DIAMETER);

// The set-up of a pass from the typed values: PI and the row interval;
// the yield table from MEAN_YIELD_STRESS (times 1.15) and the friction
// table from its first value, both constant from -1000 to 10000 mm; the
// geometry of the arc of contact from R, H1, H2 and the tensions.
void startPass();
void fillYieldTable();
void fillFrictionTable();
void deriveGeometry();

// What a march tells its observer: its start, before the first step, and
// each step once it is stored in the history (`stepTaken`), or only the
// steps 1, 11, 21, ... that get a table row (`rowDue`, which is then not
// told of the others); the record then holds the step's section as the
// row shows it. Any function may be null.
struct MarchObserver {
  void (*marchStarts)(void* context, Side side) = nullptr;
  void (*stepTaken)(void* context, Side side, int step, bool rowDue) = nullptr;
  void (*rowDue)(void* context, Side side, int step) = nullptr;
  void* context = nullptr;
};

// One march across the roll gap from the plane of `side`, in the record.
void marchRollGap(Side side, const MarchObserver& observer);

// After both marches: the neutral point, rolling force, torque, torque arm
// and mean roll pressure.
void neutralPointAndLoad();

// The summary values: reduction ratio and contact angle in degrees, and,
// when there is a neutral point, its position, angle, force and pressure.
void workOutSummary();

// The values a stress-table row works out from the current section.
struct RowValues {
  Real pOverK;    // P / RK
  Real sgxOverK;  // SGX / RK
  Real degrees;   // PHI in degrees (the multiplication by 180 first)
};
RowValues workOutRowValues();

// The same of a march state's section (the record or a MarchState).
template <class S>
RowValues workOutRowValues(const S& s, const Real& PI) {
  RowValues row;
  row.pOverK = s.P / s.RK;
  row.sgxOverK = s.SGX / s.RK;
  row.degrees = (s.PHI * 180.0) / PI;
  return row;
}

}  // namespace orowan
