// From a pass of the batch tool to the plain data of the pictures library:
// the friction hill of a solved pass and its section of the HTML report.
// Every plotted or tabled value is in the run's units, converted by the
// tool's own conversion (the same float the result file gives). All
// functions are reentrant: they run in the pipeline's parallel stage.
#pragma once

#include <string>

#include "batch/job.h"
#include "batch/sweep.h"
#include "pictures/pictures.h"

namespace orowan::batch {

// A unit as pictures and pages show it: "kgf/mm²", "t·m/m", "MPa", "°";
// "" for a ratio.
std::string displayUnit(UnitKind kind, Units units);

// The shortest text that reads back to the same float, as in the result file.
std::string floatText(float value);

// Whether the pass has a friction hill: it was solved and ended with or
// without a neutral point. A fault or an unreadable line has none.
bool hasHill(const PassJob& job);

// The inputs as typed, "R 100 mm, H1 2 → H2 1.5 mm, Y 20 kgf/mm², ...";
// the columns varied by `leaveOut` (if given) are left out.
std::string inputsText(const PassJob& job, const Sweep* leaveOut = nullptr);

// "line 7", or in a sweep "line 7, case 3 of 9: U 0.15, SGF 2.5".
std::string passName(const PassJob& job, const Sweep& sweep);

// The friction hill of a pass that has one (hasHill): both marches, every
// step, the neutral point when there is one, the contact length.
orowan::pictures::FrictionHill frictionHill(const PassJob& job, const Sweep& sweep);

// The report section of any pass: heading, a note for a fault, a missing
// neutral point or an unreadable line, the inputs, the summary values,
// `hill` (drawn when not null; it must outlive the use of the result) and
// both marches' step tables as `steps` asks.
orowan::pictures::PassReport passReport(const PassJob& job, const Sweep& sweep,
                                        const orowan::pictures::FrictionHill* hill,
                                        HtmlSteps steps = HtmlSteps::all);

// The pass's row of the page's index of passes: status, rolling force,
// torque, torque arm, neutral point (empty where the pass has none).
std::vector<std::string> passIndexCells(const PassJob& job);

// The index's column headers, in the run's units.
std::vector<std::string> passIndexColumns(Units units);

}  // namespace orowan::batch
