// Classification of the bytes of CP932 (Shift-JIS) text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vorta {

enum ByteType : std::uint8_t {
  kSingleByte = 0,  // a character of its own
  kLeadByte = 1,    // first byte of a double-byte character
  kTrailByte = 2,   // second byte of a double-byte character
};

// Lead bytes of code page 932, fixed whatever the system's code page is: the
// stored data is always CP932.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Bytes that can follow a lead byte in code page 932.
constexpr bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Walks `text` from its start, stepping over double-byte characters, and tells
// what the byte at `pos` is. A lead byte that is the last byte of the text has
// no trail byte and stays a lead byte. Positions at or past the end are 0.
int ByteTypeAt(std::string_view text, std::size_t pos);

// The same answer as ByteTypeAt for every position of `text`, in one pass.
std::vector<std::uint8_t> ClassifyByteTypes(std::string_view text);

}  // namespace vorta
