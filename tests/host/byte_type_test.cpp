#include "common/byte_type.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vorta {
namespace {

struct ByteTypeCase {
  const char* name;
  std::string text;
  std::vector<int> expected;
};

TEST(ByteTypeAt, ClassifiesEachPosition) {
  const ByteTypeCase cases[] = {
      {"ascii", "ab", {0, 0}},
      {"kanji", "\x93\xfa", {1, 2}},                           // 日
      {"mixed", "a\x93\xfa" "b", {0, 1, 2, 0}},
      {"trail byte that looks like a lead", "\x82\xa0\x82", {1, 2, 1}},  // あ then a lone lead
      {"backslash as trail", "\x95\x5c\x5c", {1, 2, 0}},       // 表 then '\'
      {"half-width katakana", "\xb1\xb2", {0, 0}},
      {"E0 to FC leads", "\xe0\x40\xfc\xfc", {1, 2, 1, 2}},
      {"A0 and FD are single", "\xa0\xfd\x80", {0, 0, 0}},
      {"lead at the end", "a\x88", {0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.text.size(), c.expected.size());
    for (std::size_t i = 0; i < c.text.size(); ++i)
      EXPECT_EQ(ByteTypeAt(c.text, i), c.expected[i]) << "position " << i;
  }
  EXPECT_EQ(ByteTypeAt("ab", 2), kSingleByte);
  EXPECT_EQ(ByteTypeAt("", 0), kSingleByte);
}

TEST(ByteTypeAt, LinearClassificationAgreesOnRandomText) {
  std::mt19937 rng(20050131);
  // Bytes drawn mostly from lead and trail ranges so that pairs chain up.
  const std::string alphabet = std::string("\x81\x82\x88\x9f\xe0\xea\xfc\x40\x5c\x7e\x80\xa0\xb1\xfd") + "aZ 0\r\n";
  for (int round = 0; round < 500; ++round) {
    std::string text(rng() % 64, ' ');
    for (auto& ch : text) ch = alphabet[rng() % alphabet.size()];
    const auto types = ClassifyByteTypes(text);
    ASSERT_EQ(types.size(), text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
      ASSERT_EQ(types[i], ByteTypeAt(text, i)) << "round " << round << " position " << i;
  }
}

}  // namespace
}  // namespace vorta
