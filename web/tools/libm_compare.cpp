// Measures whether emscripten's C library gives the analysis's math
// functions the values glibc gives: built natively and with em++, both
// print, for every block of 2^16 consecutive single values from `first` to
// `last` (bit patterns), a hash of the bits of sin, cos and atan of each
// value (as a double, as the analysis calls them), plus atan of a fixed
// sample of doubles of the contact angle's quotient. Equal outputs: equal
// values. `libm_compare FIRST LAST [detail]`: with detail, each value that
// a block's hash would cover is printed instead, for finding a difference.
#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::uint64_t mix(std::uint64_t hash, double value) {
  hash ^= std::bit_cast<std::uint64_t>(value);
  return hash * 0x100000001b3ULL;
}

// Doubles of the quotient XL / (R - dh/2): a fixed linear-congruential
// sample over (0, 2).
void atanSample() {
  std::uint64_t state = 12345, hash = 0xcbf29ce484222325ULL;
  for (long i = 0; i < 20000000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const double q = static_cast<double>(state >> 11) * 0x1p-52;  // [0, 2)
    hash = mix(hash, std::atan(q));
  }
  std::printf("atan-sample %016" PRIx64 "\n", hash);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::uint32_t first = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 0));
  const std::uint32_t last = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 0));
  const bool detail = argc > 3;
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::uint64_t bits = first; bits <= last; ++bits) {
    const double x = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    const double s = std::sin(x), c = std::cos(x), t = std::atan(x);
    if (detail) {
      std::printf("%08" PRIx64 " %a %a %a\n", bits, s, c, t);
      continue;
    }
    hash = mix(mix(mix(hash, s), c), t);
    if ((bits & 0xffff) == 0xffff || bits == last) {
      std::printf("%08" PRIx64 " %016" PRIx64 "\n", bits, hash);
      hash = 0xcbf29ce484222325ULL;
    }
  }
  if (!detail) atanSample();
  return 0;
}
