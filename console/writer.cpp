// STUB: replaced by the record writer.
#include "console/writer.h"
namespace console {
FormatList::FormatList(const char* text) : text_(text) {}
void beginWrite(const FormatList&) {}
void putRealItem(float) {}
void putIntegerItem(std::int32_t) {}
void endWrite() {}
void endOfConsoleRead() {}
void closeOpenLine() {}
bool lineIsOpen() { return false; }
void openConsoleChannel(bool) {}
void formatFixed(float, int, int, char*) {}
void formatInteger(std::int32_t, int, int, char*) {}
}  // namespace console
