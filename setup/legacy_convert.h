// Month files of the journal's versions up to 1.47 ("Q12") turned into current
// month files ("Q20").
//
// The old layout is the current one byte for byte, masked the same way, except
// for the attribute word: its unmasked value is the current one shifted left by
// one bit (weather in bits 12..15, mood in 8..11, the anniversary in bit 7).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vorta {

enum class LegacyConversion {
  kConverted,  // `current` holds the new file's bytes
  kNotLegacy,  // not a "Q12" file: leave it alone
  kDamaged,    // a "Q12" file that is cut short or whose records do not fit
               // its declared payload: not converted, and kept
};

// Converts the bytes of a legacy month file. The new file has the same record
// count and payload length; each record keeps its day, length and text, and
// its attribute word is moved to the current positions. Payload bytes after
// the last record (a declared length longer than the records) are written as
// zero bytes. Never reads outside `legacy`.
LegacyConversion ConvertLegacyMonth(std::span<const std::uint8_t> legacy, std::vector<std::uint8_t>* current);

}  // namespace vorta
