#include "journal/data/password_value.h"

namespace vorta {

namespace {

// Every value is drawn from this seed, so the same text scrambles the same.
constexpr std::uint32_t kScrambleSeed = 6081;
// The most bytes a text may have and still get a value: the sentinel's twelve.
constexpr std::size_t kScrambleMaxBytes = 12;

}  // namespace

std::string ScramblePassword(std::string_view text) {
  const std::size_t n = text.size();
  if (n == 0 || n > kScrambleMaxBytes) return std::string();

  CrtRandom random(kScrambleSeed);
  const std::size_t step = 250 / n;
  std::string value(kPasswordValueLength + 1, '\0');
  std::size_t next = 0;  // the next text byte to place
  for (std::size_t i = kPasswordValueLength; i >= 1; --i) {
    if (i % step != 0 || next >= n) {
      value[i] = static_cast<char>(random.Next() % 94 + 32);
    } else {
      value[i] = static_cast<char>(static_cast<unsigned char>(text[next++]) << 1);
    }
  }
  // The filler drawn for the last position gives way to the terminating zero.
  value[kPasswordValueLength] = '\0';
  value[0] = 'x';
  value.resize(kPasswordValueLength);
  return value;
}

std::string NoPasswordValue() { return ScramblePassword(kNoPasswordSentinel); }

bool CanBeStoredAsPassword(std::string_view text) {
  if (text.empty() || text.size() > kPasswordMaxBytes) return false;
  for (const char c : text) {
    // Shifted, 0x00 and 0x80 become a zero byte and 0x05 and 0x85 a line
    // feed: the value would be cut short, or split across two lines of the
    // settings file.
    const auto shifted = static_cast<unsigned char>(static_cast<unsigned char>(c) << 1);
    if (shifted == 0 || shifted == '\n') return false;
  }
  return true;
}

}  // namespace vorta
