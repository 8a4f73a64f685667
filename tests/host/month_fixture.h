// Month files as stored, built byte by byte for tests, damaged ones included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorta {

struct RawRecord {
  int day;
  std::string text;  // stored with a zero byte after it
  int length = -1;   // L as stored; -1: the text's size + 1
};

// A month file as stored, its header fields either true or as given.
inline std::vector<std::uint8_t> MonthFile(const std::vector<RawRecord>& records, int count = -1,
                                    long promised = -1, const char* magic = "Q20") {
  std::vector<std::uint8_t> payload;
  for (const auto& r : records) {
    const int length = r.length >= 0 ? r.length : static_cast<int>(r.text.size()) + 1;
    payload.push_back(static_cast<std::uint8_t>(r.day));
    payload.push_back(0x00);
    payload.push_back(0x10);  // some attribute word
    payload.push_back(static_cast<std::uint8_t>(length));
    payload.push_back(static_cast<std::uint8_t>(length >> 8));
    payload.insert(payload.end(), r.text.begin(), r.text.end());
    payload.push_back(0);
  }
  const std::uint32_t size = promised >= 0 ? static_cast<std::uint32_t>(promised) : static_cast<std::uint32_t>(payload.size());
  std::vector<std::uint8_t> file(magic, magic + 3);
  file.push_back(static_cast<std::uint8_t>(count >= 0 ? count : static_cast<int>(records.size())));
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  for (auto b : payload) file.push_back(b ^ 0x6B);
  return file;
}

}  // namespace vorta
