// Fuzz target: arbitrary format lists rendered with arbitrary items.
// Input: a mode byte, the list text up to the first NUL byte, then items of
// five bytes each (a tag byte, even for a REAL and odd for an INTEGER, and
// four bytes of value). A list or item the renderer cannot take must end
// as an F-class report; anything else must render. The field conversions
// are also driven directly: each must fill exactly its w bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "console/fixed_format.h"
#include "console/writer.h"
#include "harness.h"

namespace {

struct Item {
  bool real;
  std::uint32_t bits;
};

const char* listText = nullptr;
std::vector<Item> items;
int fieldWidth = 1;

float asFloat(std::uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

void renderStatement() {
  const orowan::console::FormatList list(listText);
  orowan::console::beginWrite(list);
  for (const Item& item : items) {
    if (item.real) orowan::console::putRealItem(asFloat(item.bits));
    else orowan::console::putIntegerItem(static_cast<std::int32_t>(item.bits));
  }
  orowan::console::endWrite();
}

// The field of width w (1 to kMaxFieldWidth) in a buffer of exactly w
// bytes, so that a byte written beyond it is an AddressSanitizer finding.
void convertDirectly(const Item& item, int w, int d) {
  std::vector<char> field(static_cast<std::size_t>(w));
  if (item.real) orowan::console::formatFixed(asFloat(item.bits), w, d, field.data());
  else orowan::console::formatInteger(static_cast<std::int32_t>(item.bits), w, d + 1, field.data());
  for (char c : field) {
    if (c < ' ' || c > '~') {
      std::fprintf(stderr, "fuzz finding: a field byte that is not printable\n");
      std::abort();
    }
  }
}

// Every item through its conversion, with decimals (or minimum digits)
// taken from its bits.
void convertAll() {
  for (const Item& item : items)
    convertDirectly(item, fieldWidth, static_cast<int>(item.bits >> 24) % fieldWidth);
}

// Both runs under the program's traps: no conversion may raise a fault.
void expectNoFault(const fuzzing::Outcome& outcome) {
  fuzzing::checkOutcome(outcome);
  if (outcome.exited && fuzzing::errorLength() > 17 && fuzzing::errorText()[17] != 'F') {
    std::fprintf(stderr, "fuzz finding: rendering raised a floating-point fault\n");
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  const std::uint8_t* text = data + 1;
  const std::uint8_t* end = data + size;
  const std::uint8_t* nul = static_cast<const std::uint8_t*>(std::memchr(text, 0, size - 1));
  const std::uint8_t* after = nul == nullptr ? end : nul + 1;
  // The list in a buffer of its own, ended by NUL, with nothing beyond.
  std::vector<char> list(text, nul == nullptr ? end : nul);
  list.push_back('\0');
  items.clear();
  for (const std::uint8_t* p = after; end - p >= 5; p += 5) {
    std::uint32_t bits;
    std::memcpy(&bits, p + 1, sizeof bits);
    items.push_back({(p[0] & 1) == 0, bits});
  }
  listText = list.data();
  const fuzzing::InputMode inputMode = fuzzing::modeFromByte(mode);
  expectNoFault(fuzzing::runGuarded(nullptr, 0, inputMode, true, renderStatement));
  fieldWidth = 1 + mode % orowan::console::kMaxFieldWidth;
  const fuzzing::Outcome converted = fuzzing::runGuarded(nullptr, 0, inputMode, true, convertAll);
  if (converted.exited) {
    std::fprintf(stderr, "fuzz finding: a field conversion ended the process\n");
    std::abort();
  }
  return 0;
}
