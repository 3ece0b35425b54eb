// A hot pass's columns (FLOW to ALPHA) into the request: the law and its
// parameters checked, the strip's temperature given or carried from the
// line before, the thermal parameters with their defaults; and a hot
// answer's refusals and validity notes in the words of those columns.
#pragma once

#include <string>

#include "batch/input.h"
#include "batch/job.h"
#include "batch/request.h"

namespace orowan::batch {

// FLOW's word (misaka, shida, hensel-spittel, any case) into the job;
// "" or the problem.
std::string readFlowLaw(const FieldText& field, PassJob& job);

// Whether the job asks for a hot pass (FLOW given), and the problem with
// its hot columns: a law with Y or CURVE, a hot column without FLOW, a
// law's parameter missing or foreign, a value out of its bounds, T
// missing (on a line that continues a schedule, taken from the
// temperature the line before left, into job.typed[kT]). "" or the problem.
std::string checkHotColumns(const InputLine& line, bool continuesSchedule, long caseIndex,
                            const Schedule& schedule, PassJob& job);

// The hot part of the request from the job's typed values (defaults for
// the thermal parameters not given).
void fillHotRequest(PassJob& job);

// The words for a refused hot answer (Refusal::hotRefused and the other
// hot refusals), naming the columns to change.
std::string hotRefusalText(const PassJob& job);

// The message-column note of a hot pass computed outside its law's
// published validity, or "".
std::string hotValidityNote(const PassJob& job);

}  // namespace orowan::batch
