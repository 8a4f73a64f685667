#include "journal/data/month_codec.h"

#include <algorithm>

namespace vorta {

MonthFileFormat DecodeMonthFile(std::span<const std::uint8_t> bytes, MonthBuffer* month) {
  auto magic_is = [&](const char (&magic)[4]) {
    return bytes.size() >= 3 && bytes[0] == magic[0] && bytes[1] == magic[1] && bytes[2] == magic[2];
  };
  if (magic_is("Q12")) return MonthFileFormat::kVer147;
  if (!magic_is("Q20")) return MonthFileFormat::kUnknown;

  // A header cut short reads as zeros, like a short read into a cleared field.
  std::uint8_t header[kMonthHeaderSize] = {};
  std::copy_n(bytes.begin(), std::min(bytes.size(), kMonthHeaderSize), header);
  const unsigned count = header[3];
  const std::uint32_t promised = static_cast<std::uint32_t>(header[4]) |
                                 static_cast<std::uint32_t>(header[5]) << 8 |
                                 static_cast<std::uint32_t>(header[6]) << 16 |
                                 static_cast<std::uint32_t>(header[7]) << 24;
  const auto body = bytes.subspan(std::min(bytes.size(), kMonthHeaderSize));
  const auto stored = body.first(std::min<std::size_t>(promised, body.size()));

  std::vector<std::uint8_t> payload(stored.begin(), stored.end());
  for (auto& b : payload) b ^= kPayloadMask;
  month->Assign(std::move(payload), count);
  return MonthFileFormat::kCurrent;
}

std::vector<std::uint8_t> EncodeMonthFile(const MonthBuffer& month) {
  const std::uint32_t length = month.payload_length();
  std::vector<std::uint8_t> out = {
      'Q', '2', '0', month.record_count(),
      static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
      static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
  out.reserve(kMonthHeaderSize + length);
  for (std::uint8_t b : month.payload()) out.push_back(b ^ kPayloadMask);
  return out;
}

}  // namespace vorta
