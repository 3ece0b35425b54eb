// STUB: replaced by the value reader.
#include "console/reader.h"
namespace console {
void beginRead() {}
void getRealItem(float&) {}
void getIntegerItem(std::int32_t&) {}
void endRead() {}
void openConsoleInput(bool) {}
}  // namespace console
