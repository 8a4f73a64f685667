#include "journal/export/diary_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "journal/data/month_buffer.h"
#include "journal/export/cp932_iconv.h"
#include "month_fixture.h"

namespace vorta {
namespace {

// Plain literals in this file are CP932 (the month files' text); what the
// export writes is UTF-8, so expected output is spelt with u8 literals.
std::string U8(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

class DiaryExport : public ::testing::Test {
 protected:
  void SetUp() override {
    decoder_ = OpenIconvCp932Decoder();
    ASSERT_NE(decoder_, nullptr) << "this system's iconv has no CP932";
  }

  std::string Export(const std::vector<MonthFileInput>& files, ExportFormat format = ExportFormat::kText,
                     std::string_view lineEnd = "\n") {
    std::string out = "left over";
    report_ = ExportDiary(files, ExportOptions{format, lineEnd}, *decoder_, &out);
    return out;
  }

  std::unique_ptr<Cp932Decoder> decoder_;
  ExportReport report_;
};

RawRecord Day(int day, std::string text, unsigned weather, unsigned mood, int mark) {
  return RawRecord{day, std::move(text), -1, MakeAttributeWord(weather, mood, mark)};
}

// December 2026 with its records out of day order and January 2027, handed
// over January first.
std::vector<MonthFileInput> TwoMonths() {
  return {
      {"202701.DAY", MonthFile({Day(1, "元日。\r\n", 3, 0, 0)})},
      {"202612.DAY", MonthFile({
                         Day(24, "クリスマスイブ。\r\nケーキを焼いた。\r\n\r\n夜は雪。表とソ", 27, 0, 1),
                         Day(10, "晴れのち曇り。\"\\\t", 4, 2, 1),
                         Day(3, "", 0, 0, 0),  // emptied: a record that shows nothing
                         Day(31, "ﾊﾝｶｸ ｶﾅ", 1, 3, 0),
                         Day(5, "one\ntwo\rthree", 0, 0, 0),
                         Day(15, "", 0, 1, 0),
                         Day(20, "", 0, 0, 1),
                     })},
  };
}

TEST_F(DiaryExport, WritesTheDaysAsTextInDateOrder) {
  const std::string expected = U8(
      u8"2026年12月5日（土）\n晴　笑顔\none\ntwo\nthree\n\n"
      u8"2026年12月10日（木）\n晴時々曇　落ち込み　記念日\n晴れのち曇り。\"\\\t\n\n"
      u8"2026年12月15日（火）\n晴　ふつう\n\n"
      u8"2026年12月20日（日）\n晴　笑顔　記念日\n\n"
      u8"2026年12月24日（木）\n雨のち雪　笑顔　記念日\nクリスマスイブ。\nケーキを焼いた。\n\n夜は雪。表とソ\n\n"
      u8"2026年12月31日（木）\n曇　怒り\nﾊﾝｶｸ ｶﾅ\n\n"
      u8"2027年1月1日（金）\n雪　笑顔\n元日。\n\n\n");
  EXPECT_EQ(Export(TwoMonths()), expected);
  EXPECT_EQ(report_.days, 7u);
  EXPECT_EQ(report_.replaced, 0u);
  EXPECT_TRUE(report_.problems.empty());

  EXPECT_EQ(Export(TwoMonths(), ExportFormat::kText, "\r\n"), WithCrLf(expected))
      << "every line end, the text's own breaks included, is the one asked for";

  EXPECT_EQ(Export({}), "");
  EXPECT_EQ(report_.days, 0u);
}

TEST_F(DiaryExport, WritesTheDaysAsJsonLines) {
  const std::string expected = U8(
      u8R"({"date":"2026-12-05","weather":0,"weather_text":"晴","mood":0,"mood_text":"笑顔","anniversary":false,"text":"one\ntwo\nthree"})" u8"\n"
      u8R"({"date":"2026-12-10","weather":4,"weather_text":"晴時々曇","mood":2,"mood_text":"落ち込み","anniversary":true,"text":"晴れのち曇り。\"\\\t"})" u8"\n"
      u8R"({"date":"2026-12-15","weather":0,"weather_text":"晴","mood":1,"mood_text":"ふつう","anniversary":false,"text":""})" u8"\n"
      u8R"({"date":"2026-12-20","weather":0,"weather_text":"晴","mood":0,"mood_text":"笑顔","anniversary":true,"text":""})" u8"\n"
      u8R"({"date":"2026-12-24","weather":27,"weather_text":"雨のち雪","mood":0,"mood_text":"笑顔","anniversary":true,"text":"クリスマスイブ。\nケーキを焼いた。\n\n夜は雪。表とソ"})" u8"\n"
      u8R"({"date":"2026-12-31","weather":1,"weather_text":"曇","mood":3,"mood_text":"怒り","anniversary":false,"text":"ﾊﾝｶｸ ｶﾅ"})" u8"\n"
      u8R"({"date":"2027-01-01","weather":3,"weather_text":"雪","mood":0,"mood_text":"笑顔","anniversary":false,"text":"元日。\n"})" u8"\n");
  EXPECT_EQ(Export(TwoMonths(), ExportFormat::kJsonLines), expected);
  EXPECT_EQ(Export(TwoMonths(), ExportFormat::kJsonLines, "\r\n"), expected) << "JSON Lines end in \\n everywhere";
  EXPECT_EQ(report_.days, 7u);

  // Year 1 and a date padded to four digits.
  EXPECT_EQ(Export({{"000102.day", MonthFile({Day(28, "x", 0, 0, 0)})}}, ExportFormat::kJsonLines),
            U8(u8R"({"date":"0001-02-28","weather":0,"weather_text":"晴","mood":0,"mood_text":"笑顔","anniversary":false,"text":"x"})" u8"\n"));
}

TEST_F(DiaryExport, ReadsEveryWeatherItemAndMoodFace) {
  // March 2026 begins on a Sunday. Day d has weather d - 1; stored last day first.
  std::vector<RawRecord> records;
  for (int d = 28; d >= 1; --d) records.push_back(Day(d, "", d - 1, (d - 1) % 4, d == 1));
  records.push_back(Day(29, "beyond the pickers", 31, 15, 0));
  records.push_back(Day(30, "", 28, 4, 0));

  const char8_t* const weather[] = {
      u8"晴", u8"曇", u8"雨", u8"雪",
      u8"晴時々曇", u8"晴時々雨", u8"曇時々晴", u8"曇時々雨", u8"雨時々晴", u8"雨時々曇",
      u8"晴のち曇", u8"晴のち雨", u8"曇のち晴", u8"曇のち雨", u8"雨のち晴", u8"雨のち曇",
      u8"雪時々晴", u8"雪時々曇", u8"雪時々雨", u8"晴時々雪", u8"曇時々雪", u8"雨時々雪",
      u8"雪のち晴", u8"雪のち曇", u8"雪のち雨", u8"晴のち雪", u8"曇のち雪", u8"雨のち雪",
  };
  const char8_t* const moods[] = {u8"笑顔", u8"ふつう", u8"落ち込み", u8"怒り"};
  const char8_t* const weekdays[] = {u8"日", u8"月", u8"火", u8"水", u8"木", u8"金", u8"土"};
  std::string expected;
  for (int d = 1; d <= 28; ++d) {
    expected += U8(u8"2026年3月") + std::to_string(d) + U8(u8"日（") + U8(weekdays[(d - 1) % 7]) + U8(u8"）\n");
    expected += U8(weather[d - 1]) + U8(u8"　") + U8(moods[(d - 1) % 4]) + (d == 1 ? U8(u8"　記念日") : "") + "\n\n";
  }
  expected += U8(u8"2026年3月29日（日）\n天気31　気分15\nbeyond the pickers\n\n");
  expected += U8(u8"2026年3月30日（月）\n天気28　気分4\n\n");
  EXPECT_EQ(Export({{"202603.DAY", MonthFile(records)}}), expected);
}

TEST_F(DiaryExport, ReportsDamageAndExportsWhatIsSafe) {
  // April 2026 has 30 days; the records give weather 2 (rain).
  const RawRecord two{2, "two"}, four{4, "four"};
  const std::string dayTwo = U8(u8"2026年4月2日（木）\n雨　笑顔\ntwo\n\n");
  const std::string dayFour = U8(u8"2026年4月4日（土）\n雨　笑顔\nfour\n\n");
  const std::string good = U8(u8"2027年1月1日（金）\n雨　笑顔\nok\n\n");
  const std::string kApril = "202604.DAY";
  using K = ExportProblemKind;
  auto withTail = [](std::vector<std::uint8_t> bytes, std::size_t extra) {
    bytes.insert(bytes.end(), extra, 0x6B);
    return bytes;
  };
  const std::size_t both = 9 + 10;  // payload bytes of `two` and `four`

  struct Case {
    const char* name;
    std::vector<MonthFileInput> files;
    std::vector<ExportProblem> problems;
    std::string exported;  // of the files above, before the good month
  };
  const Case cases[] = {
      {"short header", {{kApril, {'Q', '2', '0', 1, 5}}}, {{kApril, K::kShortHeader, 0, 0, 8, 5}}, ""},
      {"payload length beyond the file", {{kApril, MonthFile({two, four}, -1, both + 10)}},
       {{kApril, K::kPayloadCut, 0, 0, both + 10, both}}, dayTwo + dayFour},
      {"bytes after the payload", {{kApril, withTail(MonthFile({two, four}), 3)}},
       {{kApril, K::kBytesAfterPayload, 0, 0, 0, 3}}, dayTwo + dayFour},
      {"count beyond the records", {{kApril, MonthFile({two, four}, 3)}},
       {{kApril, K::kFewerRecords, 0, 0, 3, 2}}, dayTwo + dayFour},
      {"record running past the payload", {{kApril, MonthFile({two, four}, -1, 15)}},
       {{kApril, K::kBytesAfterPayload, 0, 0, 0, 4}, {kApril, K::kRecordPastPayload, 0, 2}}, dayTwo},
      {"record header cut", {{kApril, MonthFile({two, four}, -1, 12)}},
       {{kApril, K::kBytesAfterPayload, 0, 0, 0, 7}, {kApril, K::kRecordPastPayload, 0, 2}}, dayTwo},
      {"text length 0", {{kApril, MonthFile({two, {4, "four", 0}})}},
       {{kApril, K::kBadTextLength, 0, 2, 0, 0}}, dayTwo},
      {"negative text length", {{kApril, MonthFile({two, {4, "four", 0x8000}})}},
       {{kApril, K::kBadTextLength, 0, 2, 0, -32768}}, dayTwo},
      {"count short of the records", {{kApril, MonthFile({two, four}, 1)}},
       {{kApril, K::kBytesAfterRecords, 0, 0, 0, 10}}, dayTwo},
      {"days the month lacks", {{kApril, MonthFile({two, {31, "x"}, {0, "zero"}, four})}},
       {{kApril, K::kDayNotInMonth, 31}, {kApril, K::kDayNotInMonth, 0}}, dayTwo + dayFour},
      {"a day stored twice: the first counts", {{kApril, MonthFile({two, {2, "again"}, four})}},
       {{kApril, K::kSecondRecordOfDay, 2}}, dayTwo + dayFour},
      {"text without its zero", {{kApril, MonthFile({two, {4, "four", -1, 0x1000, false}})}},
       {{kApril, K::kTextWithoutZero, 4}}, dayTwo + dayFour},
      {"text longer than the editor's", {{kApril, MonthFile({two, {4, std::string(6000, 'a')}})}},
       {{kApril, K::kTextTooLong, 4, 0, 0, 6000}},
       dayTwo + U8(u8"2026年4月4日（土）\n雨　笑顔\n") + std::string(5119, 'a') + "\n\n"},
      {"old format", {{kApril, MonthFile({two}, -1, -1, "Q12")}}, {{kApril, K::kOldFormat}}, ""},
      {"no magic", {{kApril, {'h', 'e', 'l', 'l', 'o'}}}, {{kApril, K::kNotAMonthFile}}, ""},
      {"empty file", {{kApril, {}}}, {{kApril, K::kNotAMonthFile}}, ""},
      {"month 13", {{"202613.DAY", MonthFile({two})}}, {{"202613.DAY", K::kNotAMonthName}}, ""},
      {"year 0", {{"000001.DAY", MonthFile({two})}}, {{"000001.DAY", K::kNotAMonthName}}, ""},
      {"one month in two files", {{"202604.day", MonthFile({four})}, {kApril, MonthFile({two})}},
       {{"202604.day", K::kSameMonthAgain}}, dayTwo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<MonthFileInput> files = c.files;
    files.insert(files.begin(), {"202701.DAY", MonthFile({{1, "ok"}})});
    EXPECT_EQ(Export(files), c.exported + good);
    EXPECT_EQ(report_.problems, c.problems);
    for (const auto& p : report_.problems) EXPECT_FALSE(DescribeProblem(p).empty());
  }
}

TEST(Cp932Iconv, ReplacesWhatHasNoUnicodeFormAndGoesOn) {
  auto decoder = OpenIconvCp932Decoder();
  ASSERT_NE(decoder, nullptr);
  const std::string kFffd = "\xEF\xBF\xBD";
  std::string many;
  for (int i = 0; i < 3000; ++i) many += "\x82\xa0";  // あ: 9000 bytes of UTF-8
  std::string manyUtf8;
  for (int i = 0; i < 3000; ++i) manyUtf8 += U8(u8"あ");
  const struct {
    const char* name;
    std::string in;
    std::string out;
    std::size_t replaced;
  } cases[] = {
      {"kanji, kana, 0x5C as a trail byte", "表ソｱ\\~", U8(u8"表ソｱ\\~"), 0},
      {"pair with no Unicode form", "\x82\xa0\x85\x40\x82\xa2", U8(u8"あ") + kFffd + U8(u8"い"), 1},
      {"lead byte at the end", "a\x82", "a" + kFffd, 1},
      {"lead byte before a byte no trail", "\x81 b\x81\x7f", kFffd + " b" + kFffd + "\x7f", 2},
      {"single bytes that are no character", "\x80x\xa0\xfd\xfe\xff", kFffd + "x" + kFffd + kFffd + kFffd + kFffd, 5},
      {"long text", many + "\x85\x40" + many, manyUtf8 + kFffd + manyUtf8, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out = "kept:";
    EXPECT_EQ(decoder->AppendUtf8(c.in, &out), c.replaced);
    EXPECT_EQ(out, "kept:" + c.out);
  }
}

TEST_F(DiaryExport, CountsTheCharactersWrittenAsReplacement) {
  const std::vector<MonthFileInput> files = {
      {"202612.DAY", MonthFile({{24, "x\x85\x40y\x82"}, {25, "\x80"}})},
  };
  EXPECT_EQ(Export(files), U8(u8"2026年12月24日（木）\n雨　笑顔\nx\uFFFDy\uFFFD\n\n"
                              u8"2026年12月25日（金）\n雨　笑顔\n\uFFFD\n\n"));
  EXPECT_EQ(report_.replaced, 3u);
  EXPECT_TRUE(report_.problems.empty());
  Export(files, ExportFormat::kJsonLines);
  EXPECT_EQ(report_.replaced, 3u);
}

// A decoder that hands back what is not UTF-8.
class BrokenDecoder : public Cp932Decoder {
 public:
  std::size_t AppendUtf8(std::string_view cp932, std::string* out) override {
    out->append(cp932);
    return 0;
  }
};

TEST(DiaryExportJson, StaysValidWhateverTheDecoderGives) {
  BrokenDecoder decoder;
  const std::vector<MonthFileInput> files = {{"202612.DAY", MonthFile({{24, "a\x82\xa0z"}})}};
  std::string out;
  ExportDiary(files, ExportOptions{ExportFormat::kJsonLines}, decoder, &out);
  const std::string kFffd = "\xEF\xBF\xBD";
  EXPECT_EQ(out, U8(u8R"({"date":"2026-12-24","weather":2,"weather_text":"雨","mood":0,"mood_text":"笑顔","anniversary":false,"text":"a)") +
                     kFffd + kFffd + "z\"}\n");
}

}  // namespace
}  // namespace vorta
