#include "journal/data/entry_limit.h"

#include <gtest/gtest.h>

#include <string>

namespace vorta {
namespace {

// "a", "あ", "b", "い" in CP932.
const std::string kMixed = "a\x82\xa0" "b\x82\xa2";

TEST(EntryLimit, CharacterAndByteOffsets) {
  const struct {
    std::string text;
    std::size_t index, offset;
  } cases[] = {
      {kMixed, 0, 0}, {kMixed, 1, 1}, {kMixed, 2, 3}, {kMixed, 3, 4}, {kMixed, 4, 6},
      {"a\x82", 2, 2},  // a lead byte at the end is one character
      {"", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(ByteOffsetOfCharacter(c.text, c.index), c.offset);
    EXPECT_EQ(CharacterIndexOfByte(c.text, c.offset), c.index);
  }
  EXPECT_EQ(ByteOffsetOfCharacter(kMixed, 9), kMixed.size()) << "past the end";
  EXPECT_EQ(CharacterIndexOfByte(kMixed, 2), 2u) << "inside あ: it counts";
  EXPECT_EQ(CharacterIndexOfByte(kMixed, 99), 4u);
}

TEST(EntryLimit, CutsWhatWasJustTypedBeforeTheCaret) {
  const std::string a = "\x82\xa0", i = "\x82\xa2";  // あ, い
  const struct {
    const char* name;
    std::string text;
    std::size_t caret;
    std::string fitted;
    std::size_t fitted_caret;
  } cases[] = {
      {"fits", "abcdef", 3, "abcdef", 3},
      {"single bytes pasted in the middle", "abXYZcdef", 5, "abcdef", 2},
      {"one double-byte character too many", "ab" + a + i + "cd", 6, "ab" + a + "cd", 4},
      {"one byte too many takes a whole character", "a" + a + i + "bc", 5, "a" + a + "bc", 3},
      {"caret inside a character stands before it", "a" + a + i + "bc", 4, "a" + i + "bc", 1},
      {"too little before the caret: the end goes", "abcdefgh", 1, "abcdef", 6},
      {"the end is cut in whole characters", "abcde" + a, 0, "abcde", 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FittedEntry fitted = FitEntry(c.text, c.caret, 6);
    EXPECT_EQ(fitted.text, c.fitted);
    EXPECT_EQ(fitted.caret, c.fitted_caret);
  }
}

}  // namespace
}  // namespace vorta
