#include "journal/data/month_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorta {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Masked(Bytes plain) {
  for (auto& b : plain) b ^= 0x6B;
  return plain;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(MonthCodec, EncodesHeaderAndMaskedPayload) {
  MonthBuffer month;
  month.PutDayRecord(31, "ab", 3, 2, 1);
  const Bytes plain = {31, 0x40, 0x19, 3, 0, 'a', 'b', 0};
  EXPECT_EQ(EncodeMonthFile(month), Concat({'Q', '2', '0', 1, 8, 0, 0, 0}, Masked(plain)));

  MonthBuffer empty;
  EXPECT_EQ(EncodeMonthFile(empty), (Bytes{'Q', '2', '0', 0, 0, 0, 0, 0}));
}

TEST(MonthCodec, HeaderAlwaysMatchesTheBuffer) {
  MonthBuffer month;
  const std::string longest(5119, '\x82');
  month.PutDayRecord(1, longest, 0, 0, 0);
  for (int day = 2; day <= 31; ++day) month.PutDayRecord(day, std::string(day, 'x'), day % 28, day % 4, day % 2);
  month.PutDayRecord(1, "", 0, 0, 0);  // emptied: kept as an empty record
  const Bytes file = EncodeMonthFile(month);
  ASSERT_GE(file.size(), 8u);
  EXPECT_EQ(file[3], month.record_count());
  EXPECT_EQ(file[3], 31);
  const std::uint32_t length = file[4] | file[5] << 8 | file[6] << 16 | file[7] << 24;
  EXPECT_EQ(length, month.payload_length());
  EXPECT_EQ(file.size(), 8 + length);

  MonthBuffer decoded;
  ASSERT_EQ(DecodeMonthFile(file, &decoded), MonthFileFormat::kCurrent);
  EXPECT_EQ(decoded.payload(), month.payload());
  EXPECT_EQ(decoded.record_count(), month.record_count());
}

TEST(MonthCodec, RecognisesFormats) {
  struct Case {
    const char* name;
    Bytes bytes;
    MonthFileFormat format;
  };
  const Case cases[] = {
      {"current", {'Q', '2', '0', 0, 0, 0, 0, 0}, MonthFileFormat::kCurrent},
      {"Ver1.47", {'Q', '1', '2', 1, 2, 3}, MonthFileFormat::kVer147},
      {"Ver1.47 magic alone", {'Q', '1', '2'}, MonthFileFormat::kVer147},
      {"empty file", {}, MonthFileFormat::kUnknown},
      {"one byte", {'Q'}, MonthFileFormat::kUnknown},
      {"two bytes", {'Q', '2'}, MonthFileFormat::kUnknown},
      {"lower case", {'q', '2', '0', 0, 0, 0, 0, 0}, MonthFileFormat::kUnknown},
      {"other version", {'Q', '2', '1', 0, 0, 0, 0, 0}, MonthFileFormat::kUnknown},
      {"text file", {'h', 'e', 'l', 'l', 'o'}, MonthFileFormat::kUnknown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MonthBuffer month;
    month.PutDayRecord(2, "kept", 0, 0, 0);
    const Bytes before = month.payload();
    EXPECT_EQ(DecodeMonthFile(c.bytes, &month), c.format);
    if (c.format != MonthFileFormat::kCurrent) {
      EXPECT_EQ(month.payload(), before) << "buffer untouched";
    }
  }
}

TEST(MonthCodec, DecodesAWrittenMonth) {
  const Bytes plain = {1, 0, 0, 2, 0, 'a', 0, 3, 0x40, 0x19, 3, 0, 'c', 'd', 0};
  MonthBuffer month;
  ASSERT_EQ(DecodeMonthFile(Concat({'Q', '2', '0', 2, 15, 0, 0, 0}, Masked(plain)), &month),
            MonthFileFormat::kCurrent);
  EXPECT_EQ(month.payload(), plain);
  EXPECT_EQ(month.anniversary_days(), (std::vector<std::uint8_t>{3}));
  DayRecord r;
  EXPECT_EQ(month.GetDayRecord(3, &r), 3);
  EXPECT_EQ(r.text, "cd");
  EXPECT_EQ(r.weather, 3);
  EXPECT_EQ(r.mood, 2);
  EXPECT_EQ(r.flag, 1);
}

TEST(MonthCodec, NeverTrustsTheHeader) {
  const Bytes record = Masked({1, 0, 0, 2, 0, 'a', 0});
  struct Case {
    const char* name;
    Bytes bytes;
    unsigned records;
    std::uint32_t length;
  };
  const Case cases[] = {
      {"header cut after the count", {'Q', '2', '0', 5}, 0, 0},
      {"header cut inside the length", {'Q', '2', '0', 1, 7, 0}, 0, 0},
      {"length larger than the file", Concat({'Q', '2', '0', 1, 0xFF, 0xFF, 0xFF, 0xFF}, record), 1, 7},
      {"count larger than the records", Concat({'Q', '2', '0', 200, 7, 0, 0, 0}, record), 1, 7},
      {"bytes after the payload", Concat(Concat({'Q', '2', '0', 1, 7, 0, 0, 0}, record), record), 1, 7},
      {"length shorter than the record", Concat({'Q', '2', '0', 1, 6, 0, 0, 0}, record), 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MonthBuffer month;
    ASSERT_EQ(DecodeMonthFile(c.bytes, &month), MonthFileFormat::kCurrent);
    EXPECT_EQ(month.record_count(), c.records);
    EXPECT_EQ(month.payload_length(), c.length);
  }
}

}  // namespace
}  // namespace vorta
