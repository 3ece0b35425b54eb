// A hot pass inside the one pass: the strip's temperatures and its hot
// law's yield table at the radius solved, and the values read off them.
#pragma once

#include <span>
#include <string>

#include "passes/request.h"

namespace orowan::passes {

// Works out the hot pass of `request` at roll radius `radius`: the
// temperatures, strain rate and hot sizes into answer.values, the yield
// table into answer.curveTable, and `at` (the pass to solve) set to the
// hot sizes and that table. Without an arc of contact `at` takes the
// law's stress at the entry plane (at 1 /s, the rate being unknown) so
// that the pass faults in its geometry as a constant one would. False,
// with the answer refused, when the values or the law cannot be used.
bool prepareHotPass(const Request& request, Answer& answer, float radius, PassInput& at);

// The hot law's flow stress at the entry plane (T_ENTRY, EPS_IN) and the
// exit plane (T_EXIT, EPS_OUT) at the pass's mean strain rate, and its
// mean over the arc (the yield table's mean over the pass's XL, over 1.15).
void setHotStresses(const Request& request, Answer& answer, double XL);

// The request's input at the hot sizes (for the slips and speeds).
PassInput hotSized(const Request& request, const Answer& answer);

// The thermal parameters by their names (the batch tool's columns, the
// Python module's arguments), for front ends that fill a StripHeat from
// named values: "TRANSFER", ... "ALPHA", each with its member.
struct HeatField {
  const char* name;
  double StripHeat::*field;
};
std::span<const HeatField> heatFields();

// The law's word for the front ends: "misaka", "shida", "hensel-spittel".
const char* lawName(FlowLaw law);

// The words for a pass computed outside its law's published validity (the
// LimitBit `limits`), naming the values by their column names (T_ENTRY,
// EPS_OUT, EPS_RATE_MEAN, C), or "" when none is broken.
std::string validityNote(const HotMaterial& material, unsigned limits);

}  // namespace orowan::passes
