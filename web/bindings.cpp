// The module's exports for the page's script (web/page/orowan.js): C
// functions over UTF-8 strings. Each returns a string the module keeps
// until the next call of the same function, so the script copies it out
// and frees nothing.
#include <emscripten/emscripten.h>

#include <string>

#include "web/page_api.h"

namespace {

std::string runText, reportText;

}  // namespace

extern "C" {

// The batch tool's output for `input`; `flags`: 1 JSON, 2 steps, 4 SI
// units, 8 the converged solver. *status gets the exit status and
// *messages the standard error's lines.
EMSCRIPTEN_KEEPALIVE const char* orowan_run(const char* input, int flags, const char* vary, int* status,
                                            const char** messages) {
  static std::string messageText;
  orowan::web::RunRequest request{input, (flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0,
                                  (flags & 8) != 0, vary};
  orowan::web::RunResult result = orowan::web::runPasses(request);
  runText = std::move(result.output);
  messageText = std::move(result.messages);
  *status = result.status;
  *messages = messageText.c_str();
  return runText.c_str();
}

// The console's output for the typed answers `dialogue`, as Shift-JIS
// bytes (*length of them: the report holds no NUL, but the script takes
// the bytes, not a C string); *status gets the program's exit status.
EMSCRIPTEN_KEEPALIVE const char* orowan_report(const char* dialogue, int* length, int* status) {
  orowan::web::ReportResult result = orowan::web::consoleReport(dialogue);
  reportText = std::move(result.bytes);
  *length = static_cast<int>(reportText.size());
  *status = result.status;
  return reportText.data();
}

}  // extern "C"
