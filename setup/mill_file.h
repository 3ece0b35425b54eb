// Reading a mill file (TOML): the [mill] table, one [[stand]] table a
// stand and one [[coil]] table a coil. A problem of the mill itself ends
// the reading; a problem of one coil is kept in that coil, so that the
// other coils are still set up.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "setup/mill.h"

namespace orowan::setup {

// The mill cannot be read: "FILE:LINE: key KEY: what is wrong".
struct MillFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the text `text` of the file named `file` (for messages). Throws
// MillFileError for a problem of the file, the [mill] table or a stand;
// a coil's problem goes into Coil::problem with the same wording.
Mill readMill(std::string_view text, const std::string& file);

// The same from the file itself (a file that cannot be read throws).
Mill readMillFile(const std::string& path);

// An example file, for --help.
const char* exampleMill();

}  // namespace orowan::setup
