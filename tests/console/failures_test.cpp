// Program end on a failing standard output: whichever write fails (a
// record, the stop's CR LF, its text, the closing CR LF), the run ends with
// the write error and status 1, and the failed output is not tried again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "console/failures.h"
#include "console/format_list.h"
#include "testing/memory_console.h"
#include "console/writer.h"
#include "show_bytes.h"

namespace {

// Writes one record " A", then stops, on standard output that takes
// `budget` bytes and then fails with `error`; returns the exit status.
int writeThenStop(long budget, int error) {
  orowan::testing::start({.input = {}, .outputBudget = budget, .outputError = error});
  const orowan::console::FormatList record("(' A')");
  return orowan::testing::run([&] {
    orowan::console::beginWrite(record);
    orowan::console::endWrite();
    orowan::console::stopProgram();
  });
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
    EXPECT_EQ(testio::show(orowan::testing::err()), testio::show(c.err));
    const std::size_t written = std::min<std::size_t>(c.budget, all.size());
    EXPECT_EQ(testio::show(orowan::testing::out()), testio::show(all.substr(0, written)));
    EXPECT_EQ(orowan::testing::writesAfterFailure(), 0);
    orowan::testing::stop();
  }
}

// A report whose message is empty ends its context line without the "- "
// that leads a message, and then the report's final CR LF: an empty line.
// (The program's own F-class numbers all have messages.)
TEST(ProgramEnd, AReportWithoutMessageHasNoMessageLine) {
  orowan::testing::start({});
  const int status = orowan::testing::run(
      [] { orowan::console::reportRuntimeError('F', 6999, ": READ(", "CON", ""); });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(testio::show(orowan::testing::err()),
            testio::show("\r\nrun-time error F6999: READ(CON)\r\n\r\n"));
  orowan::testing::stop();
}

}  // namespace
