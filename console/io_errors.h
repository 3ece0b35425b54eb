// The F-class error numbers of the console's read and write statements;
// console/failures.cpp holds their messages.
#pragma once

namespace orowan::console {

enum IoError : int {
  kIntegerRange = 6100,   // INTEGER value (or repeat count) out of range
  kIntegerForm = 6101,    // a character an INTEGER value may not hold
  kRealNoDigits = 6102,   // REAL value without digits, or beyond the double range
  kRealLeftover = 6103,   // REAL value followed by other characters
  kRealRange = 6104,      // REAL value beyond the single-precision range
  kSecondHash = 6302,     // second "#" in an INTEGER value
  kBadBase = 6303,        // radix base outside 2 to 36
  kLineTooLong = 6407,    // a terminal line that fills the record
  kValueTooLong = 6408,   // a value text beyond kMaxValueText
  kWriteRefused = 6422,   // device full or access denied
  kWriteFailed = 6423,    // any other failed write: closed, read-only, broken pipe, EIO
  kReadFailed = 6500,     // standard input cannot be read
  kEndOfInput = 6501,     // no more bytes, or a Ctrl-Z line
  kZeroCount = 6502,      // repeat count not positive
  kCountPending = 6503,   // repeat count while another is pending
  kQuotedValue = 6504,    // quoted or parenthesised value for a number
  kBadFormatList = 6600,  // format list not understood
  kItemMismatch = 6601,   // item does not suit its data field
};

}  // namespace orowan::console
