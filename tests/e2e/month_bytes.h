// Month files as the journal writes them, made from plain records, for
// tests that lay out a DATA folder or compare one.
#pragma once

#include <string>

namespace {

// A month file as the journal writes it, from plain records.
inline std::string MonthFile(int count, const std::string& plain) {
  std::string file = "Q20";
  file += static_cast<char>(count);
  const auto length = static_cast<unsigned>(plain.size());
  for (int i = 0; i < 4; ++i) file += static_cast<char>((length >> (8 * i)) & 0xFF);
  for (char c : plain) file += static_cast<char>(c ^ 0x6B);
  return file;
}

// One day record: day, attribute word, L and the text with its zero.
inline std::string Record(int day, unsigned attributes, const std::string& text) {
  std::string r;
  r += static_cast<char>(day);
  r += static_cast<char>(attributes & 0xFF);
  r += static_cast<char>(attributes >> 8);
  const auto length = static_cast<unsigned>(text.size() + 1);
  r += static_cast<char>(length & 0xFF);
  r += static_cast<char>(length >> 8);
  r += text;
  r += '\0';
  return r;
}

}  // namespace
