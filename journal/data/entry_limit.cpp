#include "journal/data/entry_limit.h"

#include <algorithm>

#include "common/byte_type.h"

namespace vorta {

std::size_t ByteOffsetOfCharacter(std::string_view text, std::size_t index) {
  const auto types = ClassifyByteTypes(text);
  std::size_t offset = 0;
  for (std::size_t chars = 0; offset < text.size() && chars < index; ++chars)
    offset += types[offset] == kLeadByte && offset + 1 < text.size() ? 2 : 1;
  return offset;
}

std::size_t CharacterIndexOfByte(std::string_view text, std::size_t offset) {
  const auto types = ClassifyByteTypes(text);
  offset = std::min(offset, text.size());
  std::size_t chars = 0;
  for (std::size_t i = 0; i < offset; i += types[i] == kLeadByte && i + 1 < text.size() ? 2 : 1) ++chars;
  return chars;
}

FittedEntry FitEntry(std::string_view text, std::size_t caret, std::size_t max_bytes) {
  FittedEntry fitted{std::string(text), std::min(caret, text.size())};
  if (text.size() <= max_bytes) return fitted;
  const auto types = ClassifyByteTypes(text);
  // A caret inside a double-byte character stands before it.
  if (fitted.caret < text.size() && types[fitted.caret] == kTrailByte) --fitted.caret;

  const std::size_t excess = text.size() - max_bytes;
  std::size_t begin = fitted.caret;
  while (fitted.caret - begin < excess && begin > 0) {
    --begin;
    if (begin > 0 && types[begin] == kTrailByte) --begin;
  }
  if (fitted.caret - begin >= excess) {
    fitted.text.erase(begin, fitted.caret - begin);
    fitted.caret = begin;
    return fitted;
  }
  // Not enough before the caret: keep the whole characters that fit.
  std::size_t end = max_bytes;
  if (end > 0 && types[end] == kTrailByte) --end;
  fitted.text.resize(end);
  fitted.caret = end;
  return fitted;
}

}  // namespace vorta
