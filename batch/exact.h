// orowan-batch --solver converged: the pass through the converged solver
// of the console's equations (accuracy/converged.h: double precision,
// steps a side doubled from 400 until force, torque and neutral angle
// settle to 1e-7) instead of the console's analysis, and its values as
// result cells (doubles, the shortest text that reads back the same).
//
// The converged solver takes a constant yield stress and friction: a line
// that gives a flow curve, a friction table, the rolls' modulus (roll
// flattening) or a roll speed is refused, naming the column. The step
// tables and pictures, which show the console's single-precision marches,
// are refused on the command line.
#pragma once

#include <optional>
#include <string_view>

#include "batch/job.h"

namespace batch {

// Solves a readable job into job.exact, or makes it unreadable when it
// asks for what the converged solver does not take.
void solveExactJob(PassJob& job);

// A summary column's value from job.exact in output units: nothing when
// the column is not the pass's or the answer has no such value.
std::optional<double> exactValue(const ResultColumn& column, const PassJob& job);

// Whether a column's value is the pass's (and so exactValue's) in
// converged mode; the others are the inputs as typed, the yield stress of
// the line, or not available (strain, flattening, slips, speeds, power).
bool exactColumn(const ResultColumn& column);
bool availableWithExact(const ResultColumn& column);

// "ok", "no neutral point", "not converged" (the values of the finest
// grid tried), or the M number of the fault's kind: M6201 a square root of
// a negative number, M6103 a division by zero, M6104 a result beyond the
// double range. `buffer` holds the M text.
std::string_view exactStatusText(const PassJob& job, char (&buffer)[16]);

// The formula that faulted, for the message column, or nullptr.
const char* exactFaultMessage(const PassJob& job);

// Steps a side of the answer given: the converged grid, or the console's
// exit march; nothing before a geometry.
std::optional<long> stepsPerSide(const PassJob& job);

// The shortest text that reads back to the same double.
std::string_view shortestDoubleText(double value, char (&buffer)[32]);

}  // namespace batch
