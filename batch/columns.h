// The tool's columns as tables: the input columns (CSV header names and
// JSON keys), the result columns and the step columns, each with its
// name, unit kind and where its value lives. Readers and writers walk
// these tables, so a new column is one more row.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/pass.h"
#include "batch/units.h"
#include "passes/request.h"

namespace orowan::batch {

struct PassJob;

// ---- input

// The pass (R to U), the flow curve (CURVE to S0) and the strain brought
// in (EPS), the rolls' elastic constants (E, NU) and the roll speed (V);
// a hot pass's law (FLOW to EPS_MIN) and the strip's temperature and heat
// (T to ALPHA).
enum InputIndex : int {
  kR, kH1, kH2, kY, kSGB, kSGF, kU,
  kCURVE, kK, kN, kEPS0, kS0, kEPS, kE, kNU, kV,
  kFLOW, kC, kA, kM1, kM2, kM3, kM4, kM5, kM6, kM7, kM8, kM9, kEPS_MIN,
  kT, kTRANSFER, kEMISSIVITY, kH_CONV, kT_AMBIENT, kDESCALE, kH_WATER, kH_CONTACT, kT_ROLL,
  kETA, kRHO, kCP, kALPHA,
  kFORCE_MEASURED, kFORWARD_SLIP_MEASURED,  // what a mill measured, for --fit
  kInputCount
};

// What an absent or empty entry means.
enum class Need : std::uint8_t {
  required,   // a problem (H1: the exit thickness of the line before)
  yield,      // a problem, unless the line gives a flow curve instead (Y)
  defaulted,  // the column's default text
  optional,   // no value: the feature is not used, or the request decides
};

struct InputColumn {
  const char* name;
  UnitKind unit;  // UnitKind::word for CURVE, the one column that is not a number
  Need need;
  const char* defaultText;          // for Need::defaulted
  float PassInput::*field;  // where the analysis takes it, or nullptr
  const char* meaning;
};

// In the order of the result's input columns.
std::span<const InputColumn> inputColumns();

// The index of an input column by its name, or -1.
int inputColumnIndex(std::string_view name);

// "R, H1, H2, Y, SGB, SGF, U, CURVE, ...": for messages.
const char* inputColumnList();

// The first column a header lacks that every line needs, as a message
// ("column U: required, but the header does not name it"), or "".
// `given(c)`: the header names column c or a --vary sets it.
std::string missingRequiredColumn(const std::function<bool(int)>& given);

// ---- results

// When a result column has a value. All but `typed` need a readable
// line; those of the pass need a pass that is reported (not one left by a
// flattened-radius search that found no radius).
enum class Presence {
  typed,         // the input value, when the line gave one
  geometry,      // the pass got past its geometry
  summary,       // the pass ended with or without a neutral point
  neutralPoint,  // the pass found its neutral point
  strain,        // the strain the strip brings in is known
  line,          // every readable line
  search,        // the line gives E: a flattened radius was searched for
  flattened,     // ... and found
  rollSpeed,     // the pass found its neutral point and the line gives V
  hot,           // a hot pass whose temperatures were worked out
};

struct ResultColumn {
  const char* name;
  UnitKind unit;
  Presence presence;
  double passes::Summary::*field;    // a summary value of the pass, or nullptr
  float passes::PassValues::*value;  // else a value worked out around the pass, or nullptr
  int input;                         // InputIndex for Presence::typed
  const char* meaning;
};

// The input echo and the summary values, in output order; the status
// columns follow them.
std::span<const ResultColumn> resultColumns();

// After the status columns (so that the columns above keep their
// places): the other inputs' echo, the strain and yield stress the strip
// saw, the flattened radius, the slips, speeds and power.
std::span<const ResultColumn> laterResultColumns();

// After everything above (STEPS_PER_SIDE included): a hot pass's inputs'
// echo, its mean strain rate, temperatures and hot sizes.
std::span<const ResultColumn> hotResultColumns();

// A cell's number in output units: a single-precision value (the inputs,
// the console's pass and everything around it) or a double (the
// converged solver's summary).
struct CellNumber {
  double value;
  bool single;
};

// The column's number for the job, or nothing (also for CURVE, a word:
// see resultWord).
std::optional<CellNumber> resultNumber(const ResultColumn& column, const PassJob& job);

// The same as a single value (the pictures, which show console passes).
std::optional<float> resultValue(const ResultColumn& column, const PassJob& job);

// The word of a UnitKind::word column ("swift", "ludwik"; "misaka",
// "shida", "hensel-spittel"), or nullptr.
const char* resultWord(const ResultColumn& column, const PassJob& job);

// FLOW's word for a law.
const char* flowLawName(passes::FlowLaw law);

// Whether `name` is a column of the result file whatever the options
// (line, case, the result columns, status, message, stage, side, step,
// STEPS_PER_SIDE, the hot columns): a passed-through column may not take it.
bool isResultColumnName(std::string_view name);

// ---- passed-through columns (--keep)

// A passed-through value as the input wrote it: CSV text, or a JSON
// value's text (a string's contents; a number, true, false as written).
struct KeptText {
  enum class Kind : std::uint8_t { absent, text, json } kind = Kind::absent;  // json: a JSON number or literal
  std::string text;
};

// ---- steps of the marches

struct StepColumn {
  const char* name;
  UnitKind unit;
  float StepValues::*field;  // nullptr for SL/ST, an integer
};

std::span<const StepColumn> stepColumns();

// The step's value in output units (SL/ST as 1.0 or 2.0).
float stepValue(const StepColumn& column, const StepValues& step, Units units);

// ---- status

// "ok", "no neutral point", "not converged", "M6103", "no flattened
// radius" or "error";
// `buffer` holds the M text.
std::string_view statusText(const PassJob& job, char (&buffer)[16]);

// "input", "geometry", "march", "load" or "summary"; the side of a march
// ("exit", "entry") or nullptr.
const char* stageName(Stage stage);
const char* sideName(Stage stage);

}  // namespace orowan::batch
