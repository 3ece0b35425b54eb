// The record writer: format lists, the console channel, and the Fw.d and Iw
// conversions. Nothing here allocates: every buffer has a fixed size, and the
// numeric conversions use integer arithmetic only, so they neither depend on
// the rounding mode nor raise a trapped floating-point fault.
#include "console/writer.h"

#include <cstring>

#include "console/failures.h"
#include "console/platform.h"

namespace console {
namespace {

// ------------------------------------------------------------ conversions

constexpr int kSignificant = 7;        // digits an F field keeps at most
constexpr int kMaxIntegerDigits = 39;  // the largest float has 39 integer digits
// Integer digits, fraction digits up to place w-1, the digit after, a carry.
constexpr int kMaxDigits = kMaxIntegerDigits + kMaxFieldWidth + 2;
constexpr std::uint32_t kHiddenBit = 0x800000;
constexpr std::uint32_t kQuietBit = 0x400000;

// The fields of a single-precision value.
struct FloatParts {
  bool negative;
  int biased;               // biased exponent, 255 for infinity and NaN
  std::uint32_t fraction;   // the 23 stored fraction bits
};

FloatParts partsOf(float x) {
  std::uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return {(bits >> 31) != 0, static_cast<int>((bits >> 23) & 0xFF), bits & 0x7FFFFF};
}

// Decimal digits of |x|. Digit i (a value 0 to 9) stands for
// 10^(intCount-1-i); every digit from `count` on is zero.
struct Digits {
  unsigned char at[kMaxDigits];
  int intCount = 0;  // digits before the point
  int count = 0;     // digits held
  int keep = 0;      // digits the rounding keeps
};

unsigned digitAt(const Digits& g, int i) { return i < g.count ? g.at[i] : 0; }

// Appends the digits of v without leading zeros (none for 0).
void appendDigits64(std::uint64_t v, Digits& g) {
  unsigned char reversed[20];
  int n = 0;
  for (; v != 0; v /= 10) reversed[n++] = static_cast<unsigned char>(v % 10);
  while (n > 0) g.at[g.count++] = reversed[--n];
}

// Appends the digits of v (< 2^128) without leading zeros: 19 digits at a
// time, so every division but the outer ones is on 64 bits.
void appendDigits128(unsigned __int128 v, Digits& g) {
  constexpr std::uint64_t kTen19 = 10000000000000000000ull;
  if ((v >> 64) == 0) {
    appendDigits64(static_cast<std::uint64_t>(v), g);
    return;
  }
  appendDigits128(v / kTen19, g);  // non-zero, since v >= 2^64 > 10^19
  std::uint64_t low = static_cast<std::uint64_t>(v % kTen19);
  for (int i = 18; i >= 0; --i, low /= 10) g.at[g.count + i] = static_cast<unsigned char>(low % 10);
  g.count += 19;
}

// Which fraction digits the rounding needs: places up to d, but no place
// beyond the seventh significant digit; and the digit after the last place.
struct FractionPlan {
  int places;    // the last kept fraction place (negative: an integer place)
  int need;      // fraction digits to generate
  bool leading;  // no significant digit seen yet
};

FractionPlan planFraction(int intCount, int d) {
  if (intCount == 0) return {d, d + 1, true};
  const int places = d < kSignificant - intCount ? d : kSignificant - intCount;
  return {places, places >= 0 ? places + 1 : 0, false};
}

// Notes fraction digit j (from 0): the first significant one, j+1 places
// after the point, fixes where the seventh significant digit falls.
void noteFractionDigit(FractionPlan& plan, int j, unsigned digit) {
  if (!plan.leading || digit == 0) return;
  plan.leading = false;
  if (j + kSignificant < plan.places) plan.places = j + kSignificant;
  plan.need = plan.places + 1;
}

// Fraction digits of f / 2^k for k <= 60 (f < 2^k): f * 10 stays below 2^64.
void fractionDigits64(std::uint64_t f, int k, Digits& g, FractionPlan& plan) {
  const std::uint64_t mask = (std::uint64_t{1} << k) - 1;
  for (int j = 0; j < plan.need && f != 0; ++j) {
    f *= 10;
    const unsigned digit = static_cast<unsigned>(f >> k);
    f &= mask;
    g.at[g.count++] = static_cast<unsigned char>(digit);
    noteFractionDigit(plan, j, digit);
  }
}

// Fraction digits of m / 2^k for 60 < k <= 149 (m < 2^24), in five 32-bit
// limbs: the value times 10 stays below 2^(k+4) <= 2^153.
void fractionDigitsWide(std::uint32_t m, int k, Digits& g, FractionPlan& plan) {
  constexpr int kLimbs = 5;
  std::uint32_t limb[kLimbs] = {m, 0, 0, 0, 0};
  const int top = k / 32;  // 1 to 4
  const int shift = k % 32;
  const std::uint32_t lowMask = shift == 0 ? 0u : ~0u >> (32 - shift);
  for (int j = 0; j < plan.need && (limb[0] | limb[1] | limb[2] | limb[3] | limb[4]) != 0; ++j) {
    std::uint64_t carry = 0;
    for (std::uint32_t& part : limb) {
      carry += std::uint64_t{part} * 10;
      part = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    std::uint64_t window = limb[top];
    if (top + 1 < kLimbs) window |= std::uint64_t{limb[top + 1]} << 32;
    const unsigned digit = static_cast<unsigned>(window >> shift);  // < 10
    limb[top] &= lowMask;
    if (top + 1 < kLimbs) limb[top + 1] = 0;
    g.at[g.count++] = static_cast<unsigned char>(digit);
    noteFractionDigit(plan, j, digit);
  }
}

// The exact digits of a finite |x| as far as an Fw.d field looks, with the
// number of digits it keeps. Requires d <= kMaxFieldWidth - 1.
void exactDigits(const FloatParts& v, int d, Digits& g) {
  const std::uint32_t m = v.biased != 0 ? v.fraction | kHiddenBit : v.fraction;
  const int e = v.biased != 0 ? v.biased - 150 : -149;  // |x| = m * 2^e
  g.count = 0;
  if (e >= 0) {  // an integer below 2^128
    appendDigits128(static_cast<unsigned __int128>(m) << e, g);
    g.intCount = g.count;
    g.keep = g.intCount + planFraction(g.intCount, d).places;
    return;
  }
  const int k = -e;
  appendDigits64(k < 24 ? m >> k : 0, g);
  g.intCount = g.count;
  FractionPlan plan = planFraction(g.intCount, d);
  if (k <= 60) {
    fractionDigits64(m & ((std::uint64_t{1} << k) - 1), k, g, plan);
  } else {
    fractionDigitsWide(m, k, g, plan);
  }
  g.keep = g.intCount + plan.places;
}

// Rounds half away from zero to `keep` digits. The digits are exact, so the
// first dropped digit alone decides.
void roundDigits(Digits& g) {
  const bool up = digitAt(g, g.keep) >= 5;
  for (int i = g.count; i < g.keep; ++i) g.at[i] = 0;
  g.count = g.keep;
  if (!up) return;
  int i = g.keep - 1;
  while (i >= 0 && g.at[i] == 9) g.at[i--] = 0;
  if (i >= 0) {
    ++g.at[i];
    return;
  }
  std::memmove(g.at + 1, g.at, static_cast<std::size_t>(g.keep));  // 9.99 -> 10.00
  g.at[0] = 1;
  ++g.intCount;
  ++g.keep;
  ++g.count;
}

// The text of a rounded finite value, without leading blanks; returns its
// length, or -1 when it is longer than w.
int composeFixed(bool negative, const Digits& g, int w, int d, char* text) {
  bool zero = true;
  for (int i = 0; i < g.count; ++i) zero = zero && g.at[i] == 0;
  const bool sign = negative && !zero;
  const bool loneZero = g.intCount == 0 && d == 0;  // "0." for a zero F w.0
  const int length = (sign ? 1 : 0) + (loneZero ? 1 : g.intCount) + 1 + d;
  if (length > w) return -1;
  char* p = text;
  if (sign) *p++ = '-';
  if (loneZero) *p++ = '0';
  for (int i = 0; i < g.intCount; ++i) *p++ = static_cast<char>('0' + digitAt(g, i));
  *p++ = '.';
  for (int j = 0; j < d; ++j) *p++ = static_cast<char>('0' + digitAt(g, g.intCount + j));
  return length;
}

// Infinity and NaN: the word, padded with "." or cut to exactly w bytes.
int composeWord(const FloatParts& v, int w, char* text) {
  const char* word = v.fraction == 0                         ? "1#INF"
                     : v.negative && v.fraction == kQuietBit ? "1#IND"
                                                             : "1#QNAN";
  const int n = static_cast<int>(std::strlen(word));
  for (int i = 0; i < w; ++i) text[i] = i < n ? word[i] : '.';
  return w;
}

constexpr std::uint64_t kPowersOfTen[kSignificant + 1] = {1,      10,      100,      1000,
                                                           10000,  100000,  1000000,  10000000};

// The usual case in one integer step: |x| = m / 2^k with 1 <= k <= 100 and
// fewer than 8 - d integer digits. The seven significant digits then reach
// past place d, so the rounding is at place d, and half away from zero of
// the exact value is N = (m 10^d + 2^(k-1)) / 2^k, exact in 128 bits
// (m 10^d < 2^48). Fills `text` like fixedText; false when it does not apply.
bool quickFixedText(const FloatParts& v, int w, int d, char* text, int& length) {
  const int k = 150 - v.biased;  // |x| = m * 2^-k for a normal x
  if (v.biased == 0 || k < 1 || k > 100 || d > kSignificant) return false;
  const std::uint32_t m = v.fraction | kHiddenBit;
  int intCount = 0;
  for (std::uint32_t whole = k < 24 ? m >> k : 0; whole != 0; whole /= 10) ++intCount;
  if (intCount + d > kSignificant) return false;
  const unsigned __int128 scaled = static_cast<unsigned __int128>(m) * kPowersOfTen[d];
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (k - 1);
  std::uint64_t n = static_cast<std::uint64_t>((scaled + half) >> k);
  char reversed[kMaxIntegerDigits];
  int count = 0;
  for (; n != 0; n /= 10) reversed[count++] = static_cast<char>('0' + n % 10);  // n < 2^48
  const int integerDigits = count > d ? count - d : 0;
  const bool sign = v.negative && count > 0;
  const bool loneZero = integerDigits == 0 && d == 0;  // "0." for a zero F w.0
  length = (sign ? 1 : 0) + (loneZero ? 1 : integerDigits) + 1 + d;
  if (length > w) {
    length = -1;
    return true;
  }
  char* p = text;
  if (sign) *p++ = '-';
  if (loneZero) *p++ = '0';
  for (int i = count - 1; i >= d; --i) *p++ = reversed[i];
  *p++ = '.';
  for (int i = d - 1; i >= 0; --i) *p++ = i < count ? reversed[i] : '0';
  return true;
}

// The Fw.d text of x (1 <= w <= kMaxFieldWidth, d >= 0) without leading
// blanks; returns its length, or -1 for a field of asterisks.
int fixedText(float x, int w, int d, char* text) {
  const FloatParts v = partsOf(x);
  if (v.biased == 255) return composeWord(v, w, text);
  if (d + 1 > w) return -1;  // the point and d digits alone do not fit
  int length;
  if (quickFixedText(v, w, d, text, length)) return length;
  Digits g;
  exactDigits(v, d, g);
  roundDigits(g);
  return composeFixed(v.negative, g, w, d, text);
}

// The Iw.m text of v (1 <= w <= kMaxFieldWidth) without leading blanks;
// returns its length, or -1 for a field of asterisks.
int integerText(std::int32_t v, int w, int m, char* text) {
  std::uint32_t magnitude = v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
  char reversed[10];
  int n = 0;
  for (; magnitude != 0; magnitude /= 10) reversed[n++] = static_cast<char>('0' + magnitude % 10);
  const int zeros = m > n ? m - n : 0;
  const int length = (v < 0 ? 1 : 0) + zeros + n;
  if (length > w) return -1;
  char* p = text;
  if (v < 0) *p++ = '-';
  for (int i = 0; i < zeros; ++i) *p++ = '0';
  while (n > 0) *p++ = reversed[--n];
  return length;
}

// Right-justifies a text of `length` bytes (or asterisks for -1) in w bytes.
void justify(const char* text, int length, int w, char* out) {
  if (length < 0) {
    std::memset(out, '*', static_cast<std::size_t>(w));
    return;
  }
  std::memset(out, ' ', static_cast<std::size_t>(w - length));
  std::memcpy(out + (w - length), text, static_cast<std::size_t>(length));
}

}  // namespace

void formatFixed(float x, int w, int d, char* out) {
  if (w <= 0) return;
  char text[kMaxFieldWidth];
  const bool usable = w <= kMaxFieldWidth && d >= 0;
  justify(text, usable ? fixedText(x, w, d, text) : -1, w, out);
}

void formatInteger(std::int32_t v, int w, int m, char* out) {
  if (w <= 0) return;
  char text[kMaxFieldWidth];
  const bool usable = w <= kMaxFieldWidth && m >= 0;
  justify(text, usable ? integerText(v, w, m, text) : -1, w, out);
}

// ------------------------------------------------------------ format lists

// Reads a list's text once and fills its items; the list stays invalid
// unless the text reaches its closing parenthesis cleanly.
struct FormatListParser {
  static constexpr int kMaxNumber = 9999;  // widths, counts and columns
  FormatList& list;
  const char* at;

  static bool isDigit(char c) { return c >= '0' && c <= '9'; }
  static char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

  // The next byte that is not a blank or a tab; not consumed.
  char peek() {
    while (*at == ' ' || *at == '\t') ++at;
    return *at;
  }

  // An unsigned number (blanks between its digits ignored); -1 when there
  // is none or it exceeds kMaxNumber.
  int number() {
    if (!isDigit(peek())) return -1;
    int value = 0;
    while (isDigit(peek())) {
      value = value * 10 + (*at++ - '0');
      if (value > kMaxNumber) return -1;
    }
    return value;
  }

  bool add(const FormatItem& item) {
    if (list.count_ >= kMaxFormatItems) return false;
    list.items_[list.count_++] = item;
    if (item.kind == FormatItem::fixed || item.kind == FormatItem::integer) ++list.dataFields_;
    return true;
  }

  // Quoted text; `at` is on the opening quote. The text is not copied.
  bool quoted() {
    const char quote = *at++;
    const char* start = at;
    for (;; ++at) {
      if (*at == '\0') return false;
      if (*at == quote && at[1] != quote) break;
      if (*at == quote) ++at;  // a doubled quote stands for one
    }
    const FormatItem item{FormatItem::text, static_cast<std::int32_t>(start - list.text_),
                          static_cast<std::int32_t>(at - start), quote};
    ++at;
    return add(item);
  }

  // Fw.d after the F, `repeat` times.
  bool fixed(int repeat) {
    const int w = number();
    if (w < 1 || w > kMaxFieldWidth || peek() != '.') return false;
    ++at;
    const int d = number();
    if (d < 0) return false;
    for (int r = 0; r < repeat; ++r)
      if (!add({FormatItem::fixed, w, d})) return false;
    return true;
  }

  // Iw or Iw.m after the I, `repeat` times.
  bool integer(int repeat) {
    const int w = number();
    if (w < 1 || w > kMaxFieldWidth) return false;
    int m = 1;
    if (peek() == '.') {
      ++at;
      m = number();
      if (m < 0) return false;
    }
    for (int r = 0; r < repeat; ++r)
      if (!add({FormatItem::integer, w, m})) return false;
    return true;
  }

  // nX, rFw.d or rIw: an item that starts with a count.
  bool counted() {
    const int n = number();
    if (n < 1) return false;
    const char c = upper(peek());
    ++at;
    if (c == 'X') return add({FormatItem::skip, n});
    if (c == 'F') return fixed(n);
    if (c == 'I') return integer(n);
    return false;
  }

  // One item of any kind.
  bool item() {
    const char c = upper(peek());
    if (c == '\'' || c == '"') return quoted();
    if (isDigit(c)) return counted();
    ++at;
    switch (c) {
      case '/': return add({FormatItem::slash});
      case 'X': return add({FormatItem::skip, 1});
      case 'F': return fixed(1);
      case 'I': return integer(1);
      case 'T': {
        const int n = number();
        return n >= 1 && add({FormatItem::tab, n});
      }
      default: return false;  // other items, inner groups, the end of the text
    }
  }

  // The whole list. Items are separated by commas; a slash needs none.
  void parse() {
    if (peek() != '(') return;
    ++at;
    bool afterItem = false, afterComma = false, afterSlash = false;
    for (;;) {
      const char c = peek();
      if (c == ')') {
        list.valid_ = !afterComma;
        return;
      }
      if (c == ',') {
        if (!afterItem) return;
        ++at;
        afterItem = false;
        afterComma = true;
        continue;
      }
      const bool slash = c == '/';
      if (afterItem && !slash && !afterSlash) return;
      if (!item()) return;
      afterItem = true;
      afterComma = false;
      afterSlash = slash;
    }
  }
};

FormatList::FormatList(const char* text) : text_(text) {
  FormatListParser parser{*this, text};
  parser.parse();
  resumeAt_ = 0;  // no inner groups: a list resumes at its start
}

// ------------------------------------------------------------ the channel

namespace {

constexpr int kRecordBytes = 132;
constexpr int kMaxWriteItems = 64;
constexpr int kMaxAdvance = 6;

// The console channel. Columns count over the whole record; the buffer
// holds the columns from `pieceStart` on. Invariant:
// pieceStart <= position <= recordLength <= pieceStart + kRecordBytes.
struct Channel {
  char record[kRecordBytes];
  int recordLength = 0;   // furthest column filled
  int position = 0;       // columns before the next placed byte
  int pendingBlanks = 0;  // blanks owed before the next placed byte
  int pieceStart = 0;     // columns already written as pieces
  bool lineOpen = false;
  bool sharedWithInput = false;
};

struct Item {
  bool isReal;
  float real;
  std::int32_t integer;
};

// The write statement being built.
struct Statement {
  const FormatList* list = nullptr;
  Item items[kMaxWriteItems];
  int count = 0;
  bool overflow = false;  // more items than the statement can hold
};

Channel channel;
Statement statement;

// Writes bytes to standard output; a full device or denied access ends the
// program, any other failure is ignored.
void emit(const char* bytes, int n) {
  if (n <= 0) return;
  if (platform::writeBytes(1, bytes, static_cast<std::size_t>(n)) == platform::WriteStatus::refused) {
    reportWriteError(kWriteRefused);
  }
}

// The line advance that a record's first byte selects; returns its length.
int advanceFor(char first, bool lineOpen, char* out) {
  const char* sequence = first == '0'   ? (lineOpen ? "\r\n\r\n" : "\r\n")
                         : first == '1' ? "\r\n\f\r \r"
                         : first == '+' ? "\r"
                                        : (lineOpen ? "\r\n" : "");
  const int n = static_cast<int>(std::strlen(sequence));  // at most kMaxAdvance
  std::memcpy(out, sequence, static_cast<std::size_t>(n));
  return n;
}

// Writes the first `n` bytes of the buffer: the record's first piece goes
// out with its advance sequence in place of its first byte, in one call.
void writePiece(int n) {
  if (channel.pieceStart != 0) {
    emit(channel.record, n);
    return;
  }
  char out[kMaxAdvance + kRecordBytes];
  const int advance = advanceFor(channel.record[0], channel.lineOpen, out);
  std::memcpy(out + advance, channel.record + 1, static_cast<std::size_t>(n - 1));
  emit(out, advance + n - 1);
  channel.lineOpen = true;
}

// Puts one byte at the current column. A full buffer is first written as
// a piece of the record; placing goes on at the start of the buffer.
void putByte(char c) {
  int i = channel.position - channel.pieceStart;  // 0 to kRecordBytes by the invariant
  if (i == kRecordBytes) {  // the buffer is full and the cursor at its end
    writePiece(kRecordBytes);
    channel.pieceStart += kRecordBytes;
    i = 0;
  }
  channel.record[i] = c;
  ++channel.position;
  if (channel.position > channel.recordLength) channel.recordLength = channel.position;
}

// Places one byte, after the blanks still owed.
void placeByte(char c) {
  for (; channel.pendingBlanks > 0; --channel.pendingBlanks) putByte(' ');
  putByte(c);
}

// Places `n` bytes after the blanks still owed, as placeByte would one by
// one; in one copy when they all fit in the buffer, so that no piece is
// written in between. Nothing is placed (and the blanks stay owed) for n 0.
void placeBytes(const char* bytes, int n) {
  if (n <= 0) return;
  const int i = channel.position - channel.pieceStart;  // 0 to kRecordBytes
  const int blanks = channel.pendingBlanks;
  if (blanks > kRecordBytes || n > kRecordBytes - i - blanks) {
    for (int j = 0; j < n; ++j) placeByte(bytes[j]);
    return;
  }
  std::memset(channel.record + i, ' ', static_cast<std::size_t>(blanks));
  std::memcpy(channel.record + i + blanks, bytes, static_cast<std::size_t>(n));
  channel.pendingBlanks = 0;
  channel.position += blanks + n;
  if (channel.position > channel.recordLength) channel.recordLength = channel.position;
}

// Starts an empty record.
void clearRecord() {
  channel.recordLength = 0;
  channel.position = 0;
  channel.pendingBlanks = 0;
  channel.pieceStart = 0;
}

// Ends the record: an empty one becomes a single blank; owed blanks are
// dropped. Every record leaves the line open.
void endRecord() {
  if (channel.recordLength == 0) {
    channel.record[0] = ' ';
    channel.recordLength = 1;
  }
  writePiece(channel.recordLength - channel.pieceStart);  // at least one byte
  channel.lineOpen = true;
  clearRecord();
}

// Tn: the next byte lands at column n. Moving left overwrites, though never
// a piece that is already on the console.
void tabTo(int n) {
  const int column = n - 1;
  if (column >= channel.recordLength) {
    channel.position = channel.recordLength;
    channel.pendingBlanks = column - channel.recordLength;
  } else {
    channel.position = column > channel.pieceStart ? column : channel.pieceStart;
    channel.pendingBlanks = 0;
  }
}

// Quoted text, read from the list's own bytes; a doubled quote places one.
// The runs between doubled quotes are placed whole.
void placeText(const FormatList& list, const FormatItem& item) {
  const char* bytes = list.text() + item.a;
  int start = 0;
  for (int i = 0; i < item.b; ++i) {
    if (bytes[i] != item.quote) continue;
    placeBytes(bytes + start, i + 1 - start);  // through the first of the pair
    start = i + 2;
    ++i;
  }
  placeBytes(bytes + start, item.b - start);
}

// A format item that is not a data field.
void performItem(const FormatList& list, const FormatItem& item) {
  switch (item.kind) {
    case FormatItem::text: placeText(list, item); break;
    case FormatItem::slash:
      channel.pendingBlanks = 0;
      endRecord();
      break;
    case FormatItem::tab: tabTo(item.a); break;
    case FormatItem::skip: channel.pendingBlanks += item.a; break;
    default: break;
  }
}

bool isDataField(const FormatItem& item) {
  return item.kind == FormatItem::fixed || item.kind == FormatItem::integer;
}

// Converts one item with its data field and places it right-justified: the
// field's leading blanks are owed blanks.
void placeField(const FormatItem& field, const Item& item) {
  if (item.isReal != (field.kind == FormatItem::fixed)) reportWriteError(kItemMismatch);
  char text[kMaxFieldWidth];
  const int w = field.a;  // 1 to kMaxFieldWidth, as the list was parsed
  int n = item.isReal ? fixedText(item.real, w, field.b, text)
                      : integerText(item.integer, w, field.b, text);
  if (n < 0) {
    std::memset(text, '*', static_cast<std::size_t>(w));
    n = w;
  }
  channel.pendingBlanks += w - n;
  placeBytes(text, n);
}

// Walks the list, one data field per item; at the closing parenthesis the
// record ends, and the list starts over while items remain.
void renderStatement(const FormatList& list, const Item* items, int count) {
  int next = 0;
  int at = 0;  // 0 to list.size(): the closing parenthesis is list.size()
  for (;;) {
    if (at == list.size()) {
      endRecord();
      if (next == count) return;
      at = list.resumeAt();  // the caller made sure the list has a data field
    } else if (!isDataField(list[at])) {
      performItem(list, list[at++]);
    } else if (next == count) {
      endRecord();
      return;
    } else {
      placeField(list[at++], items[next++]);
    }
  }
}

}  // namespace

void beginWrite(const FormatList& list) {
  statement.list = &list;
  statement.count = 0;
  statement.overflow = false;
}

void putRealItem(float value) {
  if (statement.count == kMaxWriteItems) {
    statement.overflow = true;
    return;
  }
  statement.items[statement.count++] = {true, value, 0};
}

void putIntegerItem(std::int32_t value) {
  if (statement.count == kMaxWriteItems) {
    statement.overflow = true;
    return;
  }
  statement.items[statement.count++] = {false, 0.0f, value};
}

// Checks the statement, then renders it. A list without data fields cannot
// take items: that is reported rather than looping over the list forever.
void endWrite() {
  clearRecord();
  const FormatList* list = statement.list;
  statement.list = nullptr;
  if (list == nullptr || !list->valid()) reportWriteError(kBadFormatList);
  if (statement.overflow || (statement.count > 0 && list->dataFields() == 0)) {
    reportWriteError(kItemMismatch);
  }
  renderStatement(*list, statement.items, statement.count);
  statement.count = 0;
}

void endOfConsoleRead() {
  if (channel.sharedWithInput) channel.lineOpen = false;
}

void closeOpenLine() {
  if (channel.lineOpen) platform::writeBytes(1, "\r\n", 2);  // at the end, errors are ignored
}

bool lineIsOpen() { return channel.lineOpen; }

void openConsoleChannel(bool sharedWithInput) {
  clearRecord();
  channel.lineOpen = false;
  channel.sharedWithInput = sharedWithInput;
  statement.list = nullptr;
  statement.count = 0;
  statement.overflow = false;
}

}  // namespace console
