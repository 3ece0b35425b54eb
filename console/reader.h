// Free-form values typed at the console: one read statement per prompt,
//   beginRead(); get...Item(v) per value; endRead();
// A null value or a slash leaves the variable as it was. Every fault in the
// input ends the process with an F-class report.
#pragma once

#include <cstdint>

namespace console {

void beginRead();
void getRealItem(float& value);
void getIntegerItem(std::int32_t& value);
void endRead();

// Start-up (and tests): forget any buffered input.
void openConsoleInput(bool inputIsTerminal);

}  // namespace console
