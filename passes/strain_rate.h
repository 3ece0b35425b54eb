// Mean strain rates of a pass.
#pragma once

namespace orowan::passes {

// The roll surface speed in mm/s from V in m/min.
double rollSpeed(double V);

// EPS_RATE_MEAN (1/s): the strain the pass gives, (strainOut - strainIn)
// (equivalent strain), over the time a section spends in the bite, XL / v,
// with v the roll surface speed (mm/s) and XL the contact length (mm).
double meanStrainRate(double strainIn, double strainOut, double v, double XL);

// Ekelund's mean strain rate (1/s), the closed form of the rolling notes:
// 2 v sqrt((H1 - H2)/R) / (H1 + H2); v in mm/s, sizes in mm. It is a
// rate of the thickness strain, not of the equivalent strain.
double ekelundStrainRate(double R, double H1, double H2, double v);

}  // namespace orowan::passes
