#include "setup/legacy_convert.h"

#include <algorithm>

namespace vorta {

namespace {

constexpr std::uint8_t kMask = 0x6B;
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kRecordHeaderSize = 5;  // day, attribute word, L

std::uint16_t UnmaskedU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] ^ kMask) | (p[1] ^ kMask) << 8);
}

}  // namespace

LegacyConversion ConvertLegacyMonth(std::span<const std::uint8_t> legacy, std::vector<std::uint8_t>* current) {
  if (legacy.size() < 3 || legacy[0] != 'Q' || legacy[1] != '1' || legacy[2] != '2') return LegacyConversion::kNotLegacy;
  if (legacy.size() < kHeaderSize) return LegacyConversion::kDamaged;
  const unsigned count = legacy[3];
  const std::uint32_t length = static_cast<std::uint32_t>(legacy[4]) | static_cast<std::uint32_t>(legacy[5]) << 8 |
                               static_cast<std::uint32_t>(legacy[6]) << 16 |
                               static_cast<std::uint32_t>(legacy[7]) << 24;
  const auto payload = legacy.subspan(kHeaderSize);
  if (length > payload.size()) return LegacyConversion::kDamaged;

  std::vector<std::uint8_t> out(kHeaderSize + length, 0);
  out[0] = 'Q';
  out[1] = '2';
  out[2] = '0';
  std::copy(legacy.begin() + 3, legacy.begin() + kHeaderSize, out.begin() + 3);  // count and length as they were

  std::size_t at = 0;
  for (unsigned i = 0; i < count; ++i) {
    if (length - at < kRecordHeaderSize) return LegacyConversion::kDamaged;
    const std::uint8_t* record = payload.data() + at;
    const std::size_t textLength = UnmaskedU16(record + 3);
    if (length - at - kRecordHeaderSize < textLength) return LegacyConversion::kDamaged;
    std::uint8_t* target = out.data() + kHeaderSize + at;
    target[0] = record[0];
    const std::uint16_t attributes = static_cast<std::uint16_t>(UnmaskedU16(record + 1) >> 1);
    target[1] = static_cast<std::uint8_t>((attributes & 0xFF) ^ kMask);
    target[2] = static_cast<std::uint8_t>((attributes >> 8) ^ kMask);
    std::copy(record + 3, record + kRecordHeaderSize + textLength, target + 3);
    at += kRecordHeaderSize + textLength;
  }
  *current = std::move(out);
  return LegacyConversion::kConverted;
}

}  // namespace vorta
