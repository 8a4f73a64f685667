// The password as the journal stores it: never as typed, but as a "scrambled
// value" of 251 bytes (252 with the terminating zero the registry copy keeps).
// The typed bytes, each shifted left by one bit, stand at evenly spaced
// positions among filler bytes drawn from a fixed pseudo-random sequence, so
// the same text always gives the same value, on every build and platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorta {

// Bytes in a scrambled value, not counting its terminating zero.
inline constexpr std::size_t kPasswordValueLength = 251;
// The longest password the user may choose.
inline constexpr std::size_t kPasswordMaxBytes = 10;
// The profile's default for the value: nothing has been stored yet.
inline constexpr std::string_view kPasswordMarker = "password";
// The text whose scrambled value means "no password": twelve bytes, longer
// than any password the user may choose, so no chosen password can give it.
inline constexpr std::string_view kNoPasswordSentinel = "474747474747";

// The C runtime's srand()/rand(), reproduced so that the fillers do not depend
// on the library the program is built with:
//   state = state * 214013 + 2531011 (mod 2^32), result (state >> 16) & 0x7FFF.
class CrtRandom {
 public:
  explicit CrtRandom(std::uint32_t seed = 1) : state_(seed) {}

  void Seed(std::uint32_t seed) { state_ = seed; }

  // 0 to 32767.
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  std::uint32_t state_;
};

// The scrambled value of `text`, exactly kPasswordValueLength bytes: byte 0 is
// 'x', the text's bytes shifted left by one bit stand at the multiples of
// 250 / text.size() from the highest down, and every other byte is a filler
// from 32 to 125. A text byte 0x00 or 0x80 gives a zero byte in the value.
//
// A text that is empty or longer than 12 bytes has no scrambled value: the
// result is then an empty string. Stored values are never empty, so as long
// as callers compare with a stored value of kPasswordValueLength bytes, an
// empty text never matches; a stored value that is missing or damaged must be
// told apart before comparing, not compared as an empty string.
std::string ScramblePassword(std::string_view text);

// The scrambled value that means "no password": that of kNoPasswordSentinel.
std::string NoPasswordValue();

// True when `text` may be chosen as a password: 1 to kPasswordMaxBytes bytes,
// none of them 0x00 or 0x80 (which scramble to a zero byte and would cut the
// value short wherever it is read as a C string) nor 0x05 or 0x85 (which
// scramble to a line feed, which no line of the settings file can hold; 0x85
// is the second byte of some double-byte characters, such as full-width ｅ).
bool CanBeStoredAsPassword(std::string_view text);

}  // namespace vorta
