// Month files as stored, built byte by byte for tests, damaged ones included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorta {

struct RawRecord {
  int day;
  std::string text;  // stored with a zero byte after it, unless `zero` is false
  int length = -1;   // L as stored; -1: the text's size, + 1 for the zero
  std::uint16_t attributes = 0x1000;  // weather, mood and mark (MakeAttributeWord)
  bool zero = true;
};

// A month file as stored, its header fields either true or as given.
inline std::vector<std::uint8_t> MonthFile(const std::vector<RawRecord>& records, int count = -1,
                                    long promised = -1, const char* magic = "Q20") {
  std::vector<std::uint8_t> payload;
  for (const auto& r : records) {
    const int length = r.length >= 0 ? r.length : static_cast<int>(r.text.size()) + (r.zero ? 1 : 0);
    payload.push_back(static_cast<std::uint8_t>(r.day));
    payload.push_back(static_cast<std::uint8_t>(r.attributes));
    payload.push_back(static_cast<std::uint8_t>(r.attributes >> 8));
    payload.push_back(static_cast<std::uint8_t>(length));
    payload.push_back(static_cast<std::uint8_t>(length >> 8));
    payload.insert(payload.end(), r.text.begin(), r.text.end());
    if (r.zero) payload.push_back(0);
  }
  const std::uint32_t size = promised >= 0 ? static_cast<std::uint32_t>(promised) : static_cast<std::uint32_t>(payload.size());
  std::vector<std::uint8_t> file(magic, magic + 3);
  file.push_back(static_cast<std::uint8_t>(count >= 0 ? count : static_cast<int>(records.size())));
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  for (auto b : payload) file.push_back(b ^ 0x6B);
  return file;
}

}  // namespace vorta
