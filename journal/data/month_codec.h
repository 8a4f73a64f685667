// Month file bytes <-> month buffer.
//
// A month file is the magic "Q20", a record count (1 byte), the payload length
// (4 bytes, little-endian) and the payload, every byte XORed with 0x6B.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "journal/data/month_buffer.h"

namespace vorta {

constexpr std::uint8_t kPayloadMask = 0x6B;
constexpr std::size_t kMonthHeaderSize = 8;

enum class MonthFileFormat {
  kMissing,  // no file: an empty month
  kCurrent,  // "Q20"
  kVer147,   // "Q12": the format of Ver1.47 and earlier
  kUnknown,  // anything else, files shorter than 3 bytes included
  kUnreadable,  // the file is there but could not be read whole
};

// Decodes `bytes` into `month`. On any format but kCurrent, `month` is left as
// it was. Never reads past `bytes`, whatever the header promises.
MonthFileFormat DecodeMonthFile(std::span<const std::uint8_t> bytes, MonthBuffer* month);

// The file bytes of `month`: header fields equal to its record count and
// payload length, payload masked.
std::vector<std::uint8_t> EncodeMonthFile(const MonthBuffer& month);

}  // namespace vorta
