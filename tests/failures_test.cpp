// Program end on a failing standard output: whichever write fails (a
// record, the stop's CR LF, its text, the closing CR LF), the run ends with
// the write error and status 1, and the failed output is not tried again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "console/failures.h"
#include "console/format_list.h"
#include "console/platform.h"
#include "console/writer.h"
#include "show_bytes.h"

namespace {

namespace platform = console::platform;

// Standard output that takes `budget` bytes and then fails with `error`.
struct FailingOutput {
  long budget = 0;
  int error = 0;
  bool failed = false;
  int triesAfterFailure = 0;
  std::string out, err;
};
FailingOutput output;

long failingWrite(int fd, const char* bytes, std::size_t n) {
  if (fd == 2) {
    output.err.append(bytes, n);
    return static_cast<long>(n);
  }
  if (output.failed) ++output.triesAfterFailure;
  if (output.failed || static_cast<long>(n) > output.budget) {
    output.failed = true;
    errno = output.error;
    return -1;
  }
  output.budget -= static_cast<long>(n);
  output.out.append(bytes, n);
  return static_cast<long>(n);
}

struct Exit {
  int status;
};
void throwExit(int status) { throw Exit{status}; }

// Writes one record " A", then stops; returns the exit status.
int writeThenStop(long budget, int error) {
  output = FailingOutput{};
  output.budget = budget;
  output.error = error;
  platform::setHooks({nullptr, failingWrite, throwExit});
  console::openConsoleChannel(false);
  const console::FormatList record("(' A')");
  int status = -1;
  try {
    console::beginWrite(record);
    console::endWrite();
    console::stopProgram();
  } catch (const Exit& e) {
    status = e.status;
  }
  platform::setHooks({});
  return status;
}

TEST(ProgramEnd, AFailedWriteToStandardOutputEndsWithItsReport) {
  const std::string stop = "Stop - Program terminated.\r\n";
  const std::string all = "A\r\n" + stop + "\r\n";  // the record, the stop, the closing CR LF
  const std::string failure = "\r\nrun-time error F6423: WRITE(CON)\r\n- write failure\r\n";
  const std::string refusal =
      "\r\nrun-time error F6422: WRITE(CON)\r\n- write refused: device full or access denied\r\n";
  struct Case {
    const char* name;
    long budget;
    int error;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {"nothing fails", 1000, 0, 0, ""},
      {"the record (EIO)", 0, EIO, 1, failure},
      {"the CR LF before the stop (EBADF)", 1, EBADF, 1, failure},
      {"the stop's text (EPIPE)", 3, EPIPE, 1, failure},
      {"the closing CR LF (ENOSPC)", static_cast<long>(all.size()) - 2, ENOSPC, 1, refusal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(writeThenStop(c.budget, c.error), c.status);
    EXPECT_EQ(testio::show(output.err), testio::show(c.err));
    const std::size_t written = std::min<std::size_t>(c.budget, all.size());
    EXPECT_EQ(testio::show(output.out), testio::show(all.substr(0, written)));
    EXPECT_EQ(output.triesAfterFailure, 0);
  }
}

}  // namespace
