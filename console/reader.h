// Free-form values typed at the console: one read statement per prompt,
//   beginRead(); get...Item(v) per value; endRead();
// A null value or a slash leaves the variable as it was. A value is stored
// once the line it stands on has ended (by endRead at the latest), since a
// Ctrl-Z before that line end makes the whole line the end of input. Every
// fault in the input ends the process with an F-class report.
#pragma once

#include <cstdint>

namespace orowan::console {

void beginRead();
void getRealItem(float& value);
void getIntegerItem(std::int32_t& value);
void endRead();

// Start-up (and tests): forget any buffered input.
void openConsoleInput(bool inputIsTerminal);

}  // namespace orowan::console
