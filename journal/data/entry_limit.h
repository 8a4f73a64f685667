// Keeping an entry being typed within what a day record can store, with the
// caret in bytes or in characters, whichever the editor counts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorta {

// Byte offset of the character at `index` in CP932 `text` (the text's size
// when `index` is past its end). A lead byte at the very end counts as one
// character.
std::size_t ByteOffsetOfCharacter(std::string_view text, std::size_t index);

// Number of characters before byte `offset` of CP932 `text`; an offset inside
// a double-byte character counts that character.
std::size_t CharacterIndexOfByte(std::string_view text, std::size_t offset);

struct FittedEntry {
  std::string text;
  std::size_t caret = 0;  // byte offset
};

// Cuts `text` to at most `max_bytes` bytes. What goes is taken from just
// before `caret` (a byte offset: what was just typed or pasted), in whole
// characters; when that is not enough, the end of the text goes too. The
// caret lands where the cut was made. A text that fits comes back whole.
FittedEntry FitEntry(std::string_view text, std::size_t caret, std::size_t max_bytes);

}  // namespace vorta
