// The thin operating-system layer: every system call of the program goes
// through here, so tests can put memory in place of the descriptors.
#pragma once

#include <cstddef>

namespace orowan::console::platform {

// Reads at most `max` bytes of standard input. Returns the count, 0 at the
// end of input, -1 when the read fails. An interrupted read is retried; on
// a non-blocking descriptor it waits until input is there.
long readInput(char* buf, std::size_t max);

enum class WriteStatus { done, refused, failed };

// Writes all `n` bytes to `fd`, resuming after short writes and waiting
// while a non-blocking descriptor is full. `refused` when the system
// reports a full device or denied access; `failed` for any other error.
// Once a write to `fd` has gone wrong, later writes to it return the same
// status at once, without a system call.
WriteStatus writeBytes(int fd, const char* bytes, std::size_t n);

// The status of the first write to standard output that went wrong, or
// `done` when none has.
WriteStatus outputStatus();

bool isTerminal(int fd);

// Discards what was typed on the terminal of standard input and not yet
// read, so that it cannot reach the next program. Nothing when standard
// input is no terminal, or the program is not in the terminal's
// foreground, or the read hook serves the input.
void discardTypedInput();

// Ends the process at once with `status`; writes nothing.
[[noreturn]] void exitProcess(int status);

// Installs `onFault` for floating-point faults; it receives the kind of
// fault as the signal's si_code (FPE_FLTDIV and so on) and must not return.
void installFaultHandler(void (*onFault)(int code));

// Replacements for tests. A null member keeps the system call. The exit
// hook is expected to throw; if it returns the process ends anyway.
// Setting hooks also forgets the failed writes.
struct Hooks {
  long (*read)(char* buf, std::size_t max) = nullptr;
  long (*write)(int fd, const char* bytes, std::size_t n) = nullptr;
  void (*exit)(int status) = nullptr;
};
void setHooks(const Hooks& hooks);

}  // namespace orowan::console::platform
