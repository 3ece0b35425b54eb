// The calculation dialogue of the console program.
#pragma once

namespace orowan {

// Pass after pass until the user stops; ends the process.
[[noreturn]] void runDialogue();

}  // namespace orowan
