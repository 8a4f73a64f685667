#include "common/byte_type.h"

namespace vorta {

int ByteTypeAt(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return kSingleByte;
  std::size_t i = 0;
  while (i < pos) {
    const bool pair = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    if (pair && i + 1 == pos) return kTrailByte;
    i += pair ? 2 : 1;
  }
  return IsLeadByte(static_cast<unsigned char>(text[pos])) ? kLeadByte : kSingleByte;
}

std::vector<std::uint8_t> ClassifyByteTypes(std::string_view text) {
  std::vector<std::uint8_t> types(text.size(), kSingleByte);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsLeadByte(static_cast<unsigned char>(text[i]))) continue;
    types[i] = kLeadByte;
    if (i + 1 < text.size()) types[++i] = kTrailByte;
  }
  return types;
}

}  // namespace vorta
