// The routines of the rolling analysis, over the analysis record.
#pragma once

#include "analysis/record.h"

namespace orowan {

// Property lookups at position X (mm).
void lookupFriction(const Real& X, Real& U);
void lookupYieldStress(const Real& X, Real& RK);

// Slope functions and one four-stage integration step of the slab equation.
void slopeSlip(const Real& F, Real& slope, const Real& PHI, const Real& H, const Real& U,
               const Real& RK, const Real& W, const Real& ROLL_DIAMETER);
void slopeStick(const Real& F, Real& slope, const Real& PHI, const Real& H, const Real& U,
                const Real& RK, const Real& STICK_TERM, const Real& ROLL_DIAMETER);
void stepSlip(const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI, const Real& H,
              const Real& U, const Real& RK, const Real& W, const Real& ROLL_DIAMETER);
void stepStick(const Real& F, Real& F_NEXT, const Real& PHI, const Real& DPHI, const Real& H,
               const Real& U, const Real& RK, const Real& STICK_TERM, const Real& ROLL_DIAMETER);

// The signature that slopeSlip and slopeStick share: stage force and angle,
// then the values held fixed through a step.
using SlopeFunction = void (*)(const Real& F, Real& slope, const Real& PHI, const Real& H,
                               const Real& U, const Real& RK, const Real& factor,
                               const Real& ROLL_DIAMETER);
// The four-stage step behind stepSlip and stepStick, for any slope function.
void fourStageStep(SlopeFunction slope, const Real& F, Real& F_NEXT, const Real& PHI,
                   const Real& DPHI, const Real& H, const Real& U, const Real& RK,
                   const Real& factor, const Real& ROLL_DIAMETER);

// Stress tables: heading of the first result, per-side title, header, row.
void writeFirstResultHeading();
void writeStressTitle(Side side);
void writeColumnHeader();
void writeStressRow();

// One march across the roll gap from the plane of `side`.
void marchRollGap(Side side);

// Neutral point, rolling force and torque; ends with writeSummary().
void neutralPointAndLoad();
void writeSummary();

// The dialogue's set-up of a pass: both property tables from the typed
// values (MEAN_YIELD_STRESS, the first friction value), then the derived
// geometry from R, H1, H2 and the tensions.
void fillYieldTable();
void fillFrictionTable();
void deriveGeometry();

// The calculation dialogue: pass after pass until the user stops.
[[noreturn]] void runDialogue();

}  // namespace orowan
