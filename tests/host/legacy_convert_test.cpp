#include "setup/legacy_convert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "journal/data/month_buffer.h"
#include "journal/data/month_codec.h"

namespace vorta {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A month file of either format from unmasked records: day, attribute word
// (as that format lays it out), text. `length` overrides the payload length.
Bytes File(const char* magic, const std::vector<std::tuple<int, unsigned, std::string>>& records, long length = -1,
           int count = -1) {
  Bytes payload;
  for (const auto& [day, attributes, text] : records) {
    payload.push_back(static_cast<std::uint8_t>(day));
    payload.push_back(static_cast<std::uint8_t>(attributes));
    payload.push_back(static_cast<std::uint8_t>(attributes >> 8));
    payload.push_back(static_cast<std::uint8_t>(text.size() + 1));
    payload.push_back(static_cast<std::uint8_t>((text.size() + 1) >> 8));
    payload.insert(payload.end(), text.begin(), text.end());
    payload.push_back(0);
  }
  const auto size = static_cast<std::uint32_t>(length >= 0 ? length : static_cast<long>(payload.size()));
  Bytes file(magic, magic + 3);
  file.push_back(static_cast<std::uint8_t>(count >= 0 ? count : static_cast<int>(records.size())));
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  for (auto b : payload) file.push_back(b ^ 0x6B);
  return file;
}

LegacyConversion Convert(const Bytes& legacy, Bytes* current) { return ConvertLegacyMonth(legacy, current); }

TEST(LegacyConversion, MovesTheAttributesAndKeepsEverythingElse) {
  // Weather 3, mood 2, the anniversary: 0x3280 in the old word, 0x1940 now.
  const Bytes legacy = File("Q12", {{5, 0x3280, "雨の日"}, {1, 0x0000, ""}, {31, 0xF000 | 0x0F00 | 0x80, "Max"}});
  const Bytes expected = File("Q20", {{5, 0x1940, "雨の日"}, {1, 0x0000, ""}, {31, 0x7FC0, "Max"}});
  Bytes current;
  ASSERT_EQ(Convert(legacy, &current), LegacyConversion::kConverted);
  EXPECT_EQ(current, expected);

  // The journal reads what it wrote.
  MonthBuffer month;
  ASSERT_EQ(DecodeMonthFile(current, &month), MonthFileFormat::kCurrent);
  DayRecord record;
  month.GetDayRecord(5, &record);
  EXPECT_EQ(record.text, "雨の日");
  EXPECT_EQ(record.weather, 3);
  EXPECT_EQ(record.mood, 2);
  EXPECT_EQ(record.flag, 1);
}

TEST(LegacyConversion, AnEmptyMonthIsEightBytes) {
  Bytes current;
  ASSERT_EQ(Convert(File("Q12", {}), &current), LegacyConversion::kConverted);
  EXPECT_EQ(current, (Bytes{'Q', '2', '0', 0, 0, 0, 0, 0}));
}

TEST(LegacyConversion, ALongerDeclaredPayloadEndsInZeroBytes) {
  Bytes legacy = File("Q12", {{2, 0x3280, "a"}}, 10);
  legacy.push_back(0x11);  // three bytes of the declared payload past the record
  legacy.push_back(0x22);
  legacy.push_back(0x33);
  Bytes current;
  ASSERT_EQ(Convert(legacy, &current), LegacyConversion::kConverted);
  ASSERT_EQ(current.size(), 18u);
  EXPECT_EQ(Bytes(current.begin() + 15, current.end()), (Bytes{0, 0, 0}));
}

TEST(LegacyConversion, LeavesOtherFilesAndRefusesDamagedOnes) {
  const Bytes good = File("Q12", {{5, 0x3280, "雨の日"}});
  Bytes current = {'u', 'n', 't', 'o', 'u', 'c', 'h', 'e', 'd'};
  const Bytes untouched = current;
  struct Case {
    const char* name;
    Bytes file;
    LegacyConversion expected;
  } cases[] = {
      {"a current file", File("Q20", {{5, 0x1940, "x"}}), LegacyConversion::kNotLegacy},
      {"something else", Bytes{'M', 'Z', 0x90, 0}, LegacyConversion::kNotLegacy},
      {"empty", Bytes{}, LegacyConversion::kNotLegacy},
      {"count beyond the records", File("Q12", {{5, 0x3280, "x"}}, -1, 2), LegacyConversion::kDamaged},
      {"a record overrunning the payload", File("Q12", {{5, 0x3280, "long text"}}, 8), LegacyConversion::kDamaged},
      {"a payload longer than the file", File("Q12", {{5, 0x3280, "x"}}, 100), LegacyConversion::kDamaged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Convert(c.file, &current), c.expected);
    EXPECT_EQ(current, untouched) << "nothing is written unless converted";
  }
  // Cut short anywhere: never converted, never read past the end.
  for (std::size_t size = 0; size < good.size(); ++size) {
    SCOPED_TRACE(size);
    const Bytes cut(good.begin(), good.begin() + static_cast<long>(size));
    EXPECT_EQ(Convert(cut, &current), size < 3 ? LegacyConversion::kNotLegacy : LegacyConversion::kDamaged);
  }
}

}  // namespace
}  // namespace vorta
