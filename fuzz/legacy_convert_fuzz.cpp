// Feeds arbitrary bytes to the conversion of old month files: it never reads
// or writes outside its buffers, and what it makes is a current month file
// with the old header's count and length and the old payload's size.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "setup/legacy_convert.h"

using namespace vorta;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> current;
  if (ConvertLegacyMonth(std::span(data, size), &current) != LegacyConversion::kConverted) {
    if (!current.empty()) std::abort();  // nothing written unless converted
    return 0;
  }
  const std::uint32_t length = data[4] | data[5] << 8 | data[6] << 16 | static_cast<std::uint32_t>(data[7]) << 24;
  if (current.size() != 8 + static_cast<std::size_t>(length)) std::abort();
  if (current[0] != 'Q' || current[1] != '2' || current[2] != '0' || current[3] != data[3]) std::abort();
  for (int i = 4; i < 8; ++i)
    if (current[i] != data[i]) std::abort();
  std::vector<std::uint8_t> again;
  if (ConvertLegacyMonth(current, &again) != LegacyConversion::kNotLegacy) std::abort();
  return 0;
}
