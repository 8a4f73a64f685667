#include "journal/data/calendar.h"

#include <gtest/gtest.h>

#include <string>

namespace vorta {
namespace {

struct Date {
  int year, month, day, weekday;
  bool operator==(const Date&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Date& d) {
  return os << d.year << '-' << d.month << '-' << d.day << " wd" << d.weekday;
}

using Step4 = void (*)(std::uint16_t*, std::uint16_t*, std::uint16_t*, std::uint16_t*);
using Step3 = void (*)(std::uint16_t*, std::uint16_t*, std::uint16_t*);

Date Apply(Step4 step, Date d) {
  std::uint16_t y = d.year, m = d.month, day = d.day, wd = d.weekday;
  step(&y, &m, &day, &wd);
  return {y, m, day, wd};
}

Date Apply(Step3 step, Date d) {
  std::uint16_t y = d.year, m = d.month, day = d.day;
  step(&y, &m, &day);
  return {y, m, day, d.weekday};
}

TEST(Calendar, DaysInMonth) {
  struct { int year, month, days; } cases[] = {
      {2000, 2, 29}, {2004, 2, 29}, {1900, 2, 28}, {2100, 2, 28}, {2003, 2, 28},
      {2005, 4, 30}, {2005, 6, 30}, {2005, 9, 30}, {2005, 11, 30}, {2005, 1, 31},
      {2005, 12, 31}, {2005, 0, 31}, {2005, 13, 31}, {1, 1, 31}, {9999, 12, 31},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
}

TEST(Calendar, DaySteps) {
  struct { Step3 step; Date from, to; } cases[] = {
      {NextDay, {9999, 12, 31, 5}, {9999, 12, 31, 5}},
      {PrevDay, {1, 1, 1, 1}, {1, 1, 1, 1}},
      {NextDay, {2001, 2, 28, 0}, {2001, 3, 1, 0}},
      {NextDay, {2004, 2, 28, 0}, {2004, 2, 29, 0}},
      {NextDay, {2004, 12, 31, 0}, {2005, 1, 1, 0}},
      {NextDay, {2005, 1, 31, 0}, {2005, 2, 1, 0}},
      {PrevDay, {2004, 3, 1, 0}, {2004, 2, 29, 0}},
      {PrevDay, {2005, 1, 1, 0}, {2004, 12, 31, 0}},
      {PrevDay, {2, 1, 1, 0}, {1, 12, 31, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(Apply(c.step, c.from), c.to) << "from " << c.from;
}

TEST(Calendar, MonthAndYearSteps) {
  struct { const char* name; Step4 step; Date from, to; } cases[] = {
      {"next month clamps 31 Jan 2005", NextMonth, {2005, 1, 31, 1}, {2005, 2, 28, 1}},
      {"prev month clamps 31 Mar 2005", PrevMonth, {2005, 3, 31, 4}, {2005, 2, 28, 1}},
      {"next month over the year end", NextMonth, {2004, 12, 15, 3}, {2005, 1, 15, 6}},
      {"prev month over the year start", PrevMonth, {2005, 1, 15, 6}, {2004, 12, 15, 3}},
      {"next month in December 9999", NextMonth, {9999, 12, 31, 5}, {9999, 12, 31, 5}},
      {"prev month in January of year 1", PrevMonth, {1, 1, 20, 6}, {1, 1, 20, 6}},
      {"next year from 29 Feb 2004", NextYear, {2004, 2, 29, 0}, {2005, 2, 28, 1}},
      {"prev year from 29 Feb 2004", PrevYear, {2004, 2, 29, 0}, {2003, 2, 28, 5}},
      {"next year in 9999 recomputes", NextYear, {9999, 6, 1, 0}, {9999, 6, 1, 2}},
      {"prev year in year 1 recomputes", PrevYear, {1, 1, 1, 4}, {1, 1, 1, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(Apply(c.step, c.from), c.to) << c.name;
}

// Stepping a whole range month by month and day by day must keep the weekday
// equal to the one computed from scratch.
TEST(Calendar, StepsKeepTheWeekdayRight) {
  std::uint16_t y = 1, m = 1, d = 31, wd = WeekdayCongruence(1, 1, 31);
  for (int i = 0; i < 12 * 9999 + 5; ++i) {
    NextMonth(&y, &m, &d, &wd);
    ASSERT_EQ(wd, WeekdayCongruence(y, m, d)) << y << "-" << m << "-" << d;
  }
  EXPECT_EQ(y, 9999);
  EXPECT_EQ(m, 12);
  for (int i = 0; i < 12 * 9999 + 5; ++i) {
    PrevMonth(&y, &m, &d, &wd);
    ASSERT_EQ(wd, WeekdayCongruence(y, m, d)) << y << "-" << m << "-" << d;
  }
  EXPECT_EQ(y, 1);
  EXPECT_EQ(m, 1);
}

TEST(Calendar, WeekdayOf) {
  struct { int year, month, day, weekday; } cases[] = {
      {2009, 7, 1, 3}, {2000, 1, 1, 6}, {2005, 2, 28, 1}, {1969, 12, 1, 1},
      {2040, 1, 1, 0}, {1, 1, 1, 1}, {9999, 12, 31, 5}, {1582, 10, 15, 5},
      {2004, 2, 29, 0}, {2005, 2, 29, -1}, {2005, 0, 1, -1}, {2005, 13, 1, -1},
      {2005, 4, 31, -1}, {0, 12, 31, -1}, {10000, 1, 1, -1}, {2005, 1, 0, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WeekdayOf(c.year, c.month, c.day), c.weekday) << c.year << "-" << c.month << "-" << c.day;
}

TEST(Calendar, TitleLine) {
  EXPECT_EQ(FormatTitleLine(2005, 2, 28, 1), "2005年 2月28日（月曜日）");
  EXPECT_EQ(FormatTitleLine(1, 1, 1, 1), "   1年 1月 1日（月曜日）");
  EXPECT_EQ(FormatTitleLine(9999, 12, 31, 5), "9999年12月31日（金曜日）");
  const char* names[] = {"日", "月", "火", "水", "木", "金", "土"};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(WeekdayName(i), names[i]);
  // The title is CP932: 年 is 0x94 0x4E.
  EXPECT_EQ(FormatTitleLine(2005, 2, 1, 2).substr(4, 2), "\x94\x4e");
}

}  // namespace
}  // namespace vorta
