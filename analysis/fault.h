// Faults of the analysis: a trapped floating-point fault (invalid
// operation, division by zero, overflow) or a math function's argument
// outside its domain. Every fault goes through raiseFault, which hands it
// to the handler that the calling thread has set: the console reports it
// and ends the process; the library call records it and jumps back to its
// entry, so the pass gives control back.
//
// A handler never returns. The frames between the faulting operation and
// the handler are the analysis's own and hold nothing that needs
// destruction (no object with a destructor, no lock), so a handler may
// leave them by a long jump. Keep it so.
#pragma once

namespace orowan {

// The M-class numbers of the faults the analysis can raise.
constexpr int kInvalidOperation = 6101;
constexpr int kDivideByZero = 6103;
constexpr int kOverflow = 6104;
constexpr int kDomainError = 6201;

// `message` is the report's wording, e.g. "floating-point error: overflow"
// or "sqrt: DOMAIN error"; it stays valid until the thread's next fault.
using FaultHandler = void (*)(int number, const char* message);

// The calling thread's handler (none at first).
void setFaultHandler(FaultHandler handler);
FaultHandler currentFaultHandler();

// Hands the fault to the calling thread's handler; aborts if there is none.
[[noreturn]] void raiseFault(int number, const char* message);

// A trapped floating-point fault, from the signal's si_code (FPE_FLTDIV and
// so on): "floating-point error: <name>" with the fault's number.
[[noreturn]] void raiseTrappedFault(int siCode);

// "<function>: DOMAIN error", number 6201.
[[noreturn]] void raiseDomainError(const char* function);

}  // namespace orowan
