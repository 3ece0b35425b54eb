// The strip's temperature (mean through the thickness) from the end of the
// previous stand to the exit of this one: a transfer in air, descaling
// under water, roll chill and deformation heating in the bite.
#pragma once

#include "analysis/pass.h"
#include "passes/hot_flow.h"

namespace orowan::passes {

inline constexpr double kStefanBoltzmann = 5.670374419e-8;  // W/(m^2 K^4), CODATA 2018

// The thermal parameters of a hot pass, SI units, temperatures in deg C.
// None of these defaults comes from a source in the reference notes: they
// are typical magnitudes, to be replaced by the mill's own values.
struct StripHeat {
  double TRANSFER = 0;       // s in air before the bite: none unless given
  double EMISSIVITY = 0.8;   // a scaled (oxidised) steel surface, a grey body
  double H_CONV = 10;        // W/(m^2 K), free convection to still air
  double T_AMBIENT = 20;     // deg C, air and descaling water
  double DESCALE = 0;        // s under the descaling water: none unless given
  double H_WATER = 10000;    // W/(m^2 K), water sprays on hot steel
  double H_CONTACT = 20000;  // W/(m^2 K), strip to roll in the bite
  double T_ROLL = 60;        // deg C, a water-cooled work roll's surface
  double ETA = 0.9;          // fraction of the plastic work that stays as heat
  double RHO = 7850;         // kg/m^3, steel at 20 deg C
  double CP = 650;           // J/(kg K), austenite near 1000 deg C
  double ALPHA = 0;          // 1/K, cold sizes to hot; 0: sizes taken as hot
};

// The refusal for a set of parameters: a negative time, a temperature below
// absolute zero, RHO or CP not positive, a heat-transfer coefficient below
// zero, EMISSIVITY or ETA outside 0-1.
HotRefusal checkHeat(const StripHeat& heat);

// A cold size (mm) at temperature T: H (1 + alpha (T - 20)).
double hotThickness(double H, double alpha, double T);

// The density at temperature T of a strip of density rho at 20 deg C
// expanding by alpha in all three directions.
double hotDensity(double rho, double alpha, double T);

// The mean temperature after `seconds` in air of a strip H mm thick at T0:
// rho c H dT/dt = -2 [emissivity sigma (T^4 - Ta^4) + h_conv (T - Ta)]
// (kelvin in the fourth powers), integrated by an adaptive Dormand-Prince
// scheme to 1e-10, not linearised.
double airCooled(double T0, double seconds, double H, const StripHeat& heat);

// The mean temperature after `seconds` under water (H_WATER on both faces,
// water at T_AMBIENT): the exact exponential of the linear law.
double waterCooled(double T0, double seconds, double H, const StripHeat& heat);

// The deformation heating (K) of a strain step at mean flow stress Y
// (kgf/mm^2): ETA Y dStrain / (rho CP), Y in Pa.
double deformationHeating(double Y, double strainStep, double rho, const StripHeat& heat);

// The bite from entry at T_entry: deformation heating `rise` (K) spread
// evenly over the contact time `contactTime` (s), while both faces lose heat
// to rolls at T_ROLL through H_CONTACT; H the mean thickness (mm). The exit
// temperature solves rho c H dT/dt = rho c H rise/t - 2 h (T - T_ROLL)
// exactly; drop = entry + rise - exit.
ArcTemperature biteTemperatures(double T_entry, double rise, double contactTime, double H,
                                double rho, const StripHeat& heat);

// One hot pass: sizes (cold when ALPHA is given), strain brought in, roll
// speed V (m/min), strip temperature T (deg C) when the transfer starts,
// its flow behaviour and thermal parameters.
struct HotPassInput {
  float R = 0, H1 = 0, H2 = 0;
  double strainIn = 0;
  double V = 0;
  double T = 0;
  HotMaterial material;
  StripHeat heat;
};

// The pass's thermal results and its yield table's fit. H1, H2 and XL
// are the hot geometry the table was built for.
struct HotPassResult {
  HotRefusal refusal;
  double EPS_RATE_MEAN = 0, T_ENTRY = 0, T_EXIT = 0, T_RISE = 0, T_DROP_ROLL = 0;
  float H1 = 0, H2 = 0;
  double XL = 0, contactTime = 0;
  HotYieldTable yield;
  int iterations = 0;
};

// Solves the temperatures and the yield table of `in` into `table`. The
// heating depends on the mean flow stress and that on the temperature
// along the arc, so the exit temperature is iterated until it moves less
// than 1e-9 K (a few rounds: the stress changes little with a few kelvin).
// The hot sizes are taken at T_ENTRY for both planes, so the strain is the
// plastic one.
HotPassResult solveHotPass(const HotPassInput& in, PropertyPoints& table);

}  // namespace orowan::passes
