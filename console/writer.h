// Report records through the console channel. Every line the program shows
// is one write statement:
//   beginWrite(list); put...Item(v) per data field; endWrite();
#pragma once

#include <cstdint>

#include "console/format_list.h"

namespace orowan::console {

void beginWrite(const FormatList& list);
void putRealItem(float value);
void putIntegerItem(std::int32_t value);
void endWrite();

// Called at the end of every read statement: on a shared terminal the
// echoed Enter key has already ended the line.
void endOfConsoleRead();
// At program end: CR LF when a written line is still open.
void closeOpenLine();
bool lineIsOpen();

// Start-up (and tests): empty record, no line open.
void openConsoleChannel(bool sharedWithInput);

}  // namespace orowan::console
