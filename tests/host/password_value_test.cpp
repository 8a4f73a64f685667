#include "journal/data/password_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vorta {
namespace {

// The values written out byte for byte, from byte 0 to byte 250.
const std::string kValueOfA =
    "xA\"rc4/3Pa2Bm6Nt\"2X}EsH,Btyj#|/dz3#Y|PVIUf[M24:C\\351I/$25"
    "H\\7+oF[^ks:Zw^}c]5[W'l<S}u-Z8tTDQW/U+<h@8\\!PJ8jdO;AJ=nt'&s"
    "FXkakl,5@%4fz28-,#vr;?fA>:F2Q?sn*qIF\"mWF1>g-JGGM0Hi k8U1qM@"
    "6|34lT Ji|=?hsE!37BN-%Y{4Ugr.8)b&YcGAMKD#B+B55BvW3iY#`TZj)sA"
    "%17R_\"`f11@3,QuZ\xC2";
const std::string kValueOfAToJ =
    "x2Bm6Nt\"2X}EsH,Btyj#|/dz3\x94#Y|PVIUf[M24:C\\351I/$25H\x92\\"
    "7+oF[^ks:Zw^}c]5[W'l<S}\x90u-Z8tTDQW/U+<h@8\\!PJ8jdO\x8E;AJ="
    "nt'&sFXkakl,5@%4fz28\x8C-,#vr;?fA>:F2Q?sn*qIF\"mW\x8A" "F1>g"
    "-JGGM0Hi k8U1qM@6|34\x88lT Ji|=?hsE!37BN-%Y{4Ugr\x86.8)b&YcG"
    "AMKD#B+B55BvW3iY\x84#`TZj)sA%17R_\"`f11@3,QuZ\x82";

// The recurrence on its own, for checking the fillers of every length.
std::vector<int> Draws(std::uint32_t seed, int count) {
  std::vector<int> draws;
  for (int k = 0; k < count; ++k) {
    seed = seed * 214013u + 2531011u;
    draws.push_back(static_cast<int>((seed >> 16) & 0x7FFF));
  }
  return draws;
}

unsigned char At(const std::string& value, std::size_t i) {
  return static_cast<unsigned char>(value.at(i));
}

TEST(PasswordValue, GeneratorMatchesTheCRuntime) {
  CrtRandom random(1);
  for (const int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(random.Next(), expected);

  // Reseeding starts the sequence over; the state wraps at 2^32.
  random.Seed(6081);
  const std::vector<int> draws = Draws(6081, 1000);
  for (std::size_t k = 0; k < draws.size(); ++k) ASSERT_EQ(random.Next(), draws[k]) << k;
  random.Seed(0xFFFFFFFFu);
  EXPECT_EQ(random.Next(), Draws(0xFFFFFFFFu, 1)[0]);
}

TEST(PasswordValue, KnownValues) {
  EXPECT_EQ(ScramblePassword("a"), kValueOfA);
  EXPECT_EQ(ScramblePassword("ABCDEFGHIJ"), kValueOfAToJ);
  // The same text gives the same value, call after call.
  EXPECT_EQ(ScramblePassword("ABCDEFGHIJ"), kValueOfAToJ);
  EXPECT_EQ(ScramblePassword("a"), kValueOfA);
}

TEST(PasswordValue, TextBytesStandAtTheMultiplesOfTheStep) {
  const struct {
    std::string text;
    std::vector<std::size_t> positions;  // where text[0], text[1], ... land
  } cases[] = {
      {"a", {250}},
      {"ab", {250, 125}},
      {"abc", {249, 166, 83}},
      {"abcdefg", {245, 210, 175, 140, 105, 70, 35}},
      {"0123456789", {250, 225, 200, 175, 150, 125, 100, 75, 50, 25}},
      {"abcdefghijk", {242, 220, 198, 176, 154, 132, 110, 88, 66, 44, 22}},
      {"474747474747", {240, 220, 200, 180, 160, 140, 120, 100, 80, 60, 40, 20}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string value = ScramblePassword(c.text);
    ASSERT_EQ(value.size(), kPasswordValueLength);
    ASSERT_EQ(c.positions.size(), c.text.size());
    for (std::size_t k = 0; k < c.text.size(); ++k) {
      EXPECT_EQ(At(value, c.positions[k]), static_cast<unsigned char>(c.text[k] << 1))
          << "text byte " << k;
    }
  }
}

TEST(PasswordValue, EveryLengthIsFillersDrawnInOrderAroundTheText) {
  for (std::size_t n = 1; n <= 12; ++n) {
    SCOPED_TRACE(n);
    std::string text;
    for (std::size_t k = 0; k < n; ++k) text += static_cast<char>(0xC1 + k);  // shift to 82, 84, ...
    const std::string value = ScramblePassword(text);
    ASSERT_EQ(value.size(), kPasswordValueLength);
    EXPECT_EQ(value[0], 'x');

    const std::size_t step = 250 / n;
    // The first draw went to position 251, which the terminating zero takes.
    const std::vector<int> draws = Draws(6081, 251);
    std::size_t draw = 1, placed = 0;
    for (std::size_t i = 250; i >= 1; --i) {
      if (i % step == 0) {
        EXPECT_EQ(At(value, i), static_cast<unsigned char>(text[placed++] << 1)) << i;
      } else {
        EXPECT_EQ(At(value, i), draws[draw++] % 94 + 32) << i;
        EXPECT_GE(At(value, i), 32);
        EXPECT_LE(At(value, i), 125);
      }
    }
    EXPECT_EQ(placed, n);
  }
}

TEST(PasswordValue, BytesThatShiftToZeroOrLoseTheirHighBit) {
  const std::string value = ScramblePassword(std::string("\x80\x00\xFF\x7F", 4));
  ASSERT_EQ(value.size(), kPasswordValueLength);
  EXPECT_EQ(At(value, 248), 0x00);
  EXPECT_EQ(At(value, 186), 0x00);
  EXPECT_EQ(At(value, 124), 0xFE);
  EXPECT_EQ(At(value, 62), 0xFE);
}

TEST(PasswordValue, TextsWithoutAValue) {
  EXPECT_EQ(ScramblePassword(""), "");
  EXPECT_EQ(ScramblePassword("1234567890123"), "");
  EXPECT_EQ(ScramblePassword(std::string(300, 'a')), "");
  // An empty text matches neither a stored value nor "no password".
  EXPECT_NE(ScramblePassword(""), NoPasswordValue());
  EXPECT_NE(ScramblePassword(""), kValueOfA);
  EXPECT_EQ(ScramblePassword("123456789012").size(), kPasswordValueLength);
}

TEST(PasswordValue, NoPasswordIsTheSentinelsValue) {
  const std::string value = NoPasswordValue();
  EXPECT_EQ(value, ScramblePassword("474747474747"));
  EXPECT_EQ(kNoPasswordSentinel.size(), 12u);
  EXPECT_EQ(At(value, 240), '4' << 1);
  EXPECT_EQ(At(value, 20), '7' << 1);
  // No password the user may choose gives it, the sentinel's first ten bytes included.
  EXPECT_NE(ScramblePassword("4747474747"), value);
  EXPECT_FALSE(CanBeStoredAsPassword(kNoPasswordSentinel));
}

TEST(PasswordValue, WhatMayBeChosenAsAPassword) {
  const struct {
    std::string text;
    bool allowed;
  } cases[] = {
      {"", false},
      {"a", true},
      {"0123456789", true},
      {"01234567890", false},
      {"ｱｲｳｴｵｶｷｸｹｺ", true},  // ten half-width kana
      {"パスワード", true},      // ten bytes of double-byte characters
      {"パスワードa", false},
      {std::string("a\0b", 3), false},
      {"a\x80", false},
      {"\x7F\x81\xFF\x01", true},
      {"a\x05", false},        // scrambles to a line feed
      {"\x82\x85", false},     // full-width ｅ: its second byte too
      {"\x82\x86", true},      // full-width ｆ
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CanBeStoredAsPassword(c.text), c.allowed);
  }
}

}  // namespace
}  // namespace vorta
