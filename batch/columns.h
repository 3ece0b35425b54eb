// The tool's columns as tables: the input columns (CSV header names and
// JSON keys), the result columns and the step columns, each with its
// name, unit kind and where its value lives. Readers and writers walk
// these tables, so a new column is one more row.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "analysis/pass.h"
#include "batch/units.h"

namespace batch {

struct PassJob;

// ---- input

enum InputIndex : int { kR, kH1, kH2, kY, kSGB, kSGF, kU, kInputCount };

struct InputColumn {
  const char* name;
  UnitKind unit;
  const char* defaultText;  // the value of an absent or empty entry, or nullptr: required
  float orowan::PassInput::*field;
  const char* meaning;
};

// In the order of the result's input columns.
std::span<const InputColumn> inputColumns();

// The index of an input column by its name, or -1.
int inputColumnIndex(std::string_view name);

// "R, H1, H2, Y, SGB, SGF, U": for messages.
const char* inputColumnList();

// ---- results

// When a result column has a value.
enum class Presence {
  typed,         // the input value, when the line gave one
  geometry,      // the pass got past its geometry
  summary,       // the pass ended with or without a neutral point
  neutralPoint,  // the pass found its neutral point
};

struct ResultColumn {
  const char* name;
  UnitKind unit;
  Presence presence;
  float orowan::PassResult::*field;  // for all but Presence::typed
  int input;                         // InputIndex for Presence::typed
  const char* meaning;
};

// The input echo and the summary values, in output order.
std::span<const ResultColumn> resultColumns();

// The column's value for the job in output units, or nothing.
std::optional<float> resultValue(const ResultColumn& column, const PassJob& job);

// ---- steps of the marches

struct StepColumn {
  const char* name;
  UnitKind unit;
  float orowan::StepValues::*field;  // nullptr for SL/ST, an integer
};

std::span<const StepColumn> stepColumns();

// The step's value in output units (SL/ST as 1.0 or 2.0).
float stepValue(const StepColumn& column, const orowan::StepValues& step, Units units);

// ---- status

// "ok", "no neutral point", "M6103" or "error"; `buffer` holds the M text.
std::string_view statusText(const PassJob& job, char (&buffer)[16]);

// "input", "geometry", "march", "load" or "summary"; the side of a march
// ("exit", "entry") or nullptr.
const char* stageName(orowan::Stage stage);
const char* sideName(orowan::Stage stage);

}  // namespace batch
