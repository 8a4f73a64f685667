// Windows' own CP932 converter behind the export: text converts whole, and
// bytes with no Unicode form become U+FFFD, counted, the rest going on.
#include "journal/export/cp932_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WindowsCp932Decoder, ReplacesWhatHasNoUnicodeFormAndGoesOn) {
  const struct {
    const char* name;
    std::string cp932;
    std::string utf8;
    std::size_t replaced;
  } cases[] = {
      {"plain", "\x93\xFA\x8B\x4C abc \xB1", "\xE6\x97\xA5\xE8\xA8\x98 abc \xEF\xBD\xB1", 0},  // 日記 abc ｱ
      {"trail byte 0x5C", "\x83\x5C\x95\x5C", "\xE3\x82\xBD\xE8\xA1\xA8", 0},                     // ソ表
      {"pair without a form", "a\x85\x40" "b", "a\xEF\xBF\xBD" "b", 1},
      {"lead byte at the end", "a\x82", "a\xEF\xBF\xBD", 1},
      {"lead byte before a control byte", "\x82\x0D\x0A" "c", "\xEF\xBF\xBD\r\nc", 1},
      {"empty", "", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    vorta::WindowsCp932Decoder decoder;
    std::string out = "kept:";
    EXPECT_EQ(decoder.AppendUtf8(c.cp932, &out), c.replaced);
    EXPECT_EQ(out, "kept:" + c.utf8);
  }
}

}  // namespace
