#include "journal/data/month_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorta {
namespace {

std::vector<int> DaysInOrder(const MonthBuffer& month) {
  std::vector<int> days;
  std::size_t offset = 0;
  for (int i = 0; i < month.record_count(); ++i) {
    const auto& p = month.payload();
    days.push_back(p[offset]);
    offset += 5 + (p[offset + 3] | p[offset + 4] << 8);
  }
  EXPECT_EQ(offset, month.payload_length());
  return days;
}

TEST(MonthBuffer, RecordLayout) {
  MonthBuffer month;
  ASSERT_TRUE(month.PutDayRecord(7, "ab", 3, 2, 1));
  const std::vector<std::uint8_t> expected = {7, 0x40, 0x19, 3, 0, 'a', 'b', 0};
  EXPECT_EQ(month.payload(), expected);
  EXPECT_EQ(month.record_count(), 1);
  EXPECT_EQ(MakeAttributeWord(3, 2, 1), 0x1940);
  EXPECT_EQ(MakeAttributeWord(31, 15, 1), 0xFFC0);
}

TEST(MonthBuffer, StoringADayMovesItsRecordToTheEnd) {
  MonthBuffer month;
  month.PutDayRecord(1, "one", 0, 0, 0);
  month.PutDayRecord(3, "three", 0, 0, 0);
  month.PutDayRecord(5, "five", 0, 0, 0);
  month.PutDayRecord(3, "three again", 1, 0, 0);
  EXPECT_EQ(DaysInOrder(month), (std::vector<int>{1, 5, 3}));

  DayRecord r;
  EXPECT_EQ(month.GetDayRecord(3, &r), 12);
  EXPECT_EQ(r.text, "three again");
  EXPECT_EQ(r.weather, 1);
  EXPECT_EQ(month.GetDayRecord(5, &r), 5);
  EXPECT_EQ(r.text, "five");
}

TEST(MonthBuffer, GetDayRecordSplitsTheAttributeWord) {
  MonthBuffer month;
  month.PutDayRecord(31, "x", 27, 3, 1);
  DayRecord r;
  EXPECT_EQ(month.GetDayRecord(31, &r), 2);
  EXPECT_EQ(r.weather, 27);
  EXPECT_EQ(r.mood, 3);
  EXPECT_EQ(r.flag, 1);
  EXPECT_EQ(month.GetDayRecord(30, &r), 0);
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(r.weather, 0);
  EXPECT_EQ(r.mood, 0);
  EXPECT_EQ(r.flag, 0);
}

// The left-out rule: which edits leave a day with a record, starting from what
// the day held before.
TEST(MonthBuffer, LeftOutRule) {
  struct Before { bool exists; std::string text; int weather, mood, flag; };
  struct Case {
    const char* name;
    Before before;
    std::string text;
    int weather, mood, flag;
    bool kept;
    int stored_length;
  };
  const Case cases[] = {
      {"no record, stays empty", {false, "", 0, 0, 0}, "", 0, 0, 0, false, 0},
      {"no record, text typed", {false, "", 0, 0, 0}, "a", 0, 0, 0, true, 2},
      {"no record, weather only", {false, "", 0, 0, 0}, "", 2, 0, 0, true, 1},
      {"no record, mood only", {false, "", 0, 0, 0}, "", 0, 1, 0, true, 1},
      {"no record, mark only", {false, "", 0, 0, 0}, "", 0, 0, 1, true, 1},
      {"text emptied by the user", {true, "abc", 0, 0, 0}, "", 0, 0, 0, true, 1},
      {"mark cleared by the user", {true, "", 0, 0, 1}, "", 0, 0, 0, true, 1},
      {"empty record stays empty", {true, "", 0, 0, 0}, "", 0, 0, 0, false, 0},
      {"weather-only record reset to item 0", {true, "", 4, 0, 0}, "", 0, 0, 0, false, 0},
      {"mood-only record reset to item 0", {true, "", 0, 3, 0}, "", 0, 0, 0, false, 0},
      {"text kept", {true, "abc", 0, 0, 0}, "abc", 0, 0, 0, true, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MonthBuffer month;
    month.PutDayRecord(9, "other day", 1, 1, 0);
    if (c.before.exists) {
      // Build the old record by hand so that even the cases the rule would
      // leave out can be set up.
      std::vector<std::uint8_t> payload = month.payload();
      const std::uint16_t attr = MakeAttributeWord(c.before.weather, c.before.mood, c.before.flag);
      const auto length = static_cast<std::uint16_t>(c.before.text.size() + 1);
      payload.insert(payload.end(), {4, static_cast<std::uint8_t>(attr), static_cast<std::uint8_t>(attr >> 8),
                                     static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)});
      payload.insert(payload.end(), c.before.text.begin(), c.before.text.end());
      payload.push_back(0);
      month.Assign(payload, 2);
    }
    month.PutDayRecord(4, c.text, c.weather, c.mood, c.flag);
    DayRecord r;
    EXPECT_EQ(month.GetDayRecord(4, &r), c.stored_length);
    EXPECT_EQ(month.record_count(), c.kept ? 2 : 1);
    EXPECT_EQ(month.payload_length(), 15u + (c.kept ? 5u + c.stored_length : 0u));
    EXPECT_EQ(month.GetDayRecord(9, &r), 10) << "the other day is untouched";
  }
}

TEST(MonthBuffer, LongestTextAndLonger) {
  MonthBuffer month;
  const std::string longest(5119, 'x');
  month.PutDayRecord(1, longest, 0, 0, 0);
  DayRecord r;
  EXPECT_EQ(month.GetDayRecord(1, &r), 5120);
  EXPECT_EQ(r.text, longest);
  month.PutDayRecord(2, longest + "yz", 0, 0, 0);
  EXPECT_EQ(month.GetDayRecord(2, &r), 5120) << "the 5120th byte is not stored";
  EXPECT_EQ(r.text, longest);
}

TEST(MonthBuffer, DerivedTables) {
  MonthBuffer month;
  month.PutDayRecord(2, "text", 0, 0, 1);
  month.PutDayRecord(5, "", 3, 0, 0);   // weather only: no text
  month.PutDayRecord(31, "end", 0, 0, 1);
  month.PutDayRecord(7, "", 0, 0, 1);   // mark only
  month.CollectAnniversaryDays();
  EXPECT_EQ(month.anniversary_days(), (std::vector<std::uint8_t>{2, 31, 7}));
  month.MarkDaysWithText();
  std::array<std::uint16_t, 31> expected{};
  expected[1] = 1;
  expected[30] = 1;
  EXPECT_EQ(month.days_with_text(), expected);
}

TEST(MonthBuffer, FirstMatchingRecordWins) {
  // Two records of day 6, as a damaged or foreign file may hold.
  std::vector<std::uint8_t> payload = {6, 0, 0, 2, 0, 'a', 0, 6, 0, 0, 2, 0, 'b', 0};
  MonthBuffer month;
  month.Assign(payload, 2);
  DayRecord r;
  EXPECT_EQ(month.GetDayRecord(6, &r), 2);
  EXPECT_EQ(r.text, "a");
  // Storing the day replaces only the first; the second is then found.
  month.PutDayRecord(6, "", 0, 0, 0);
  EXPECT_EQ(month.GetDayRecord(6, &r), 2);
  EXPECT_EQ(r.text, "b");
}

TEST(MonthBuffer, DamagedPayloadIsCutAtTheLastWholeRecord) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> payload;
    unsigned count;
    unsigned kept_records;
    std::uint32_t kept_length;
  };
  const Case cases[] = {
      {"count larger than the records", {1, 0, 0, 2, 0, 'a', 0}, 9, 1, 7},
      {"length runs past the payload", {1, 0, 0, 2, 0, 'a', 0, 2, 0, 0, 50, 0, 'b', 0}, 2, 1, 7},
      {"negative length", {1, 0, 0, 2, 0, 'a', 0, 2, 0, 0, 0xFF, 0xFF, 'b'}, 2, 1, 7},
      {"zero length", {1, 0, 0, 0, 0, 2, 0, 0, 1, 0, 0}, 2, 0, 0},
      {"bytes after the counted records", {1, 0, 0, 2, 0, 'a', 0, 9, 9, 9}, 1, 1, 7},
      {"header of a record cut short", {1, 0, 0, 2, 0, 'a', 0, 3, 0}, 2, 1, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MonthBuffer month;
    month.Assign(c.payload, c.count);
    EXPECT_EQ(month.record_count(), c.kept_records);
    EXPECT_EQ(month.payload_length(), c.kept_length);
    // A record stored afterwards is always found again.
    month.PutDayRecord(20, "new", 0, 0, 0);
    DayRecord r;
    EXPECT_EQ(month.GetDayRecord(20, &r), 4);
  }
}

TEST(MonthBuffer, TextWithoutItsZeroIsNeverReadPastItsRecord) {
  std::vector<std::uint8_t> payload = {3, 0, 0, 3, 0, 'a', 'b', 'c', 4, 0, 0, 2, 0, 'd', 0};
  MonthBuffer month;
  month.Assign(payload, 2);
  DayRecord r;
  EXPECT_EQ(month.GetDayRecord(3, &r), 3);
  EXPECT_EQ(r.text, "abc");
  // An oversized record is cut to what the editor can hold.
  std::vector<std::uint8_t> big = {8, 0, 0, 0x00, 0x30};  // L = 12288
  big.resize(5 + 12288, 'q');
  month.Assign(big, 1);
  EXPECT_EQ(month.GetDayRecord(8, &r), 12288);
  EXPECT_EQ(r.text.size(), kEntryCapacity - 1);
}

TEST(MonthBuffer, FullCountRefusesAnotherDay) {
  std::vector<std::uint8_t> payload;
  for (int i = 0; i < 255; ++i) payload.insert(payload.end(), {200, 0, 0, 1, 0, 0});
  MonthBuffer month;
  month.Assign(payload, 255);
  ASSERT_EQ(month.record_count(), 255);
  EXPECT_FALSE(month.PutDayRecord(1, "x", 0, 0, 0));
  EXPECT_EQ(month.record_count(), 255);
  EXPECT_EQ(month.payload(), payload);
  // A day left empty needs no record: leaving it is never refused.
  EXPECT_TRUE(month.PutDayRecord(1, "", 0, 0, 0));
  EXPECT_EQ(month.payload(), payload);
  // Weather alone, or the mark alone, is content and is refused.
  EXPECT_FALSE(month.PutDayRecord(1, "", 3, 0, 0));
  EXPECT_FALSE(month.PutDayRecord(1, "", 0, 0, 1));
  // A day the month holds is still rewritten in place of its record.
  EXPECT_TRUE(month.PutDayRecord(200, "y", 0, 0, 0));
  EXPECT_EQ(month.record_count(), 255);
}

}  // namespace
}  // namespace vorta
