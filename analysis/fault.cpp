// The per-thread fault handler and the wording of the M-class faults.
#include "analysis/fault.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace orowan {
namespace {

thread_local constinit FaultHandler handler = nullptr;
thread_local constinit char messageText[64] = {};

// The trapped faults: the signal's code, the report's number and name.
struct TrapName {
  int code;
  int number;
  const char* name;
};
constexpr TrapName kTraps[] = {
    {FPE_FLTINV, kInvalidOperation, "invalid"}, {FPE_FLTDIV, kDivideByZero, "divide by zero"},
    {FPE_FLTOVF, kOverflow, "overflow"},        {FPE_FLTUND, 6105, "underflow"},
    {FPE_FLTRES, 6106, "inexact"},
};

// messageText = first + second, cut to fit.
const char* compose(const char* first, const char* second) {
  std::size_t n = 0;
  for (const char* part : {first, second})
    for (; *part != '\0' && n + 1 < sizeof messageText; ++part) messageText[n++] = *part;
  messageText[n] = '\0';
  return messageText;
}

}  // namespace

void setFaultHandler(FaultHandler h) { handler = h; }

FaultHandler currentFaultHandler() { return handler; }

void raiseFault(int number, const char* message) {
  if (handler != nullptr) handler(number, message);
  std::abort();  // no handler, or one that returned
}

// An unknown code is reported as the invalid operation, the first trap.
void raiseTrappedFault(int siCode) {
  const TrapName* trap = &kTraps[0];
  for (const TrapName& t : kTraps)
    if (t.code == siCode) trap = &t;
  raiseFault(trap->number, compose("floating-point error: ", trap->name));
}

void raiseDomainError(const char* function) {
  raiseFault(kDomainError, compose(function, ": DOMAIN error"));
}

}  // namespace orowan
