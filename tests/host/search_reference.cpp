#include "search_reference.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/byte_type.h"
#include "journal/data/calendar.h"

namespace vorta {

namespace {

void UpperSingleBytesSlow(std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (ByteTypeAt(s, i) == kSingleByte && s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 32);
  }
}

}  // namespace

std::vector<SearchResult> ReferenceScan(std::string_view fileName, std::span<const std::uint8_t> bytes,
                                        std::string_view searchString, bool caseSensitive) {
  std::vector<SearchResult> hits;
  char prefix[9];
  if (!MonthFileDatePrefix(fileName, prefix)) return hits;
  if (bytes.size() < 8 || std::memcmp(bytes.data(), "Q20", 3) != 0) return hits;
  std::string pattern(searchString.substr(0, std::min(searchString.find('\0'), std::size_t{50})));
  if (pattern.empty()) return hits;
  if (!caseSensitive) UpperSingleBytesSlow(pattern);

  const unsigned count = bytes[3];
  const std::size_t promised = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<std::size_t>(bytes[7]) << 24;
  std::vector<std::uint8_t> payload(bytes.begin() + 8, bytes.begin() + 8 + std::min(promised, bytes.size() - 8));
  for (auto& b : payload) b ^= 0x6B;
  const int year = std::atoi(std::string(prefix, 4).c_str());
  const int month = std::atoi(std::string(prefix + 5, 2).c_str());

  std::size_t offset = 0;
  for (unsigned r = 0; r < count; ++r) {
    if (payload.size() - offset < 5) break;
    const int day = payload[offset];
    const int length = static_cast<std::int16_t>(payload[offset + 3] | payload[offset + 4] << 8);
    if (length < 1 || static_cast<std::size_t>(length) > payload.size() - offset - 5) break;
    std::string text(reinterpret_cast<const char*>(payload.data() + offset + 5), static_cast<std::size_t>(length));
    offset += 5 + static_cast<std::size_t>(length);
    text.resize(std::min(text.find('\0'), text.size()));
    if (day < 1 || day > DaysInMonth(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month))) continue;

    std::string work = text;
    if (!caseSensitive) UpperSingleBytesSlow(work);
    std::size_t from = 0;
    while (true) {
      const std::size_t at = work.find(pattern, from);
      if (at == std::string::npos) break;
      bool agree = true;
      for (std::size_t k = 0; k < pattern.size() && agree; ++k)
        agree = ByteTypeAt(work, at + k) == ByteTypeAt(pattern, k);
      if (!agree) {
        from = at + 1;
        continue;
      }
      SearchResult hit{};
      std::snprintf(hit.date, sizeof hit.date, "%.8s%02d ", prefix, day % 100);
      std::size_t n = std::min<std::size_t>(63, text.size() - at);
      if (n == 63 && at + 63 < text.size() && ByteTypeAt(text, at + 62) == kLeadByte) n = 62;
      std::memcpy(hit.excerpt, text.data() + at, n);
      hits.push_back(hit);
      break;
    }
  }
  return hits;
}

}  // namespace vorta
