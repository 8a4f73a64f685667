#include "journal/data/holidays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "journal/data/calendar.h"

namespace vorta {
namespace {

std::vector<int> DaysOff(int year, int month) {
  const std::array<bool, 32> off = HolidaysOfMonth(year, month);
  std::vector<int> days;
  for (int day = 1; day <= 31; ++day)
    if (off[day]) days.push_back(day);
  return days;
}

std::string DateText(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

std::string Join(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += item + " ";
  return text;
}

TEST(Holidays, MatchThePublishedList1970To2050) {
  std::ifstream in(VORTA_HOLIDAY_REFERENCE);
  ASSERT_TRUE(in) << VORTA_HOLIDAY_REFERENCE;
  std::set<std::string> published;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) published.insert(line);
  }
  ASSERT_EQ(published.size(), 1329u);

  std::set<std::string> ours;
  for (int year = 1970; year <= 2050; ++year)
    for (int month = 1; month <= 12; ++month)
      for (int day : DaysOff(year, month)) ours.insert(DateText(year, month, day));

  std::vector<std::string> missing, extra;
  std::set_difference(published.begin(), published.end(), ours.begin(), ours.end(), std::back_inserter(missing));
  std::set_difference(ours.begin(), ours.end(), published.begin(), published.end(), std::back_inserter(extra));
  EXPECT_TRUE(missing.empty()) << "holidays not marked: " << Join(missing);
  EXPECT_TRUE(extra.empty()) << "marked but no holiday: " << Join(extra);
}

struct MonthCase {
  int year, month;
  std::vector<int> days_off;
  const char* why;
};

void ExpectMonths(const std::vector<MonthCase>& cases) {
  for (const auto& c : cases)
    EXPECT_EQ(DaysOff(c.year, c.month), c.days_off) << c.year << "-" << c.month << ": " << c.why;
}

TEST(Holidays, ExamplesOfTheRules) {
  ExpectMonths({
      {2000, 1, {1, 10}, "Coming of Age Day on the 2nd Monday from 2000"},
      {2009, 9, {21, 22, 23}, "the day between Respect for the Aged Day and the equinox"},
      {2008, 5, {3, 4, 5, 6}, "Sunday May 4: the substitute skips to the first day not listed"},
      {2009, 5, {3, 4, 5, 6}, "Sunday May 3: the substitute skips May 4 and 5"},
      {2008, 11, {3, 23, 24}, "Sunday 23: substitute on the Monday"},
      {2018, 12, {23, 24}, "the last Emperor's Birthday on December 23, a Sunday"},
      {1987, 5, {3, 4, 5}, "Sunday May 3 before May 4 was listed: substitute on May 4"},
      {1992, 5, {3, 4, 5}, "until 2006 a substitute on a listed day is dropped, not moved to May 6"},
      {2003, 5, {3, 5}, "until 2006 a Sunday May 4 is no holiday, and makes no substitute"},
      {2019, 5, {1, 2, 3, 4, 5, 6}, "the enthronement: five listed days, Sunday May 5 gives May 6"},
      {2019, 4, {29, 30}, "April 30 in 2019 only"},
      {2019, 10, {14, 22}, "the enthronement ceremony beside Sports Day"},
      {2020, 7, {23, 24}, "Olympic year: Marine Day and Sports Day moved"},
      {2020, 10, {}, "Olympic year: no Sports Day in October"},
      {2021, 8, {8, 9}, "Olympic year: Mountain Day on Sunday August 8"},
      {2026, 2, {11, 23}, "the Emperor's Birthday from 2020"},
      {2026, 8, {11}, "Mountain Day"},
      {2026, 12, {}, "no December 23 after 2018"},
      {1973, 2, {11}, "Sunday before substitute holidays began on 12 April 1973"},
      {1973, 4, {29, 30}, "the first substitute holiday"},
  });
}

TEST(Holidays, BeforeAndAfterThePublishedList) {
  ExpectMonths({
      {1948, 1, {}, "the holiday law began on 20 July 1948"},
      {1948, 5, {}, "the holiday law began on 20 July 1948"},
      {1948, 7, {}, "nothing in July until 1996"},
      {1948, 9, {23}, "the first autumn equinox day"},
      {1948, 11, {3, 23}, ""},
      {1959, 4, {10, 29}, "the crown prince's wedding"},
      {1961, 1, {1, 15}, "Sunday January 1: no substitute before 1973"},
      {1965, 9, {23}, "only the equinox before 1966"},
      {1966, 9, {15, 23}, "Respect for the Aged Day from 1966"},
      {1966, 2, {}, "National Foundation Day from 1967"},
      {1967, 2, {11}, "National Foundation Day from 1967"},
      {2051, 2, {11, 23}, "the last rules go on"},
      {2051, 8, {11}, "the last rules go on"},
      {2099, 3, {20}, ""},
      {2099, 9, {21, 22, 23}, "the day between the 3rd Monday and the equinox"},
      {2100, 3, {20}, "2100 is no leap year: the equinox stays put"},
      {2101, 3, {21}, ""},
      {2101, 9, {19, 23}, ""},
      {4076, 9, {21}, "the equinox on the 3rd Monday: one day"},
      {7276, 9, {20, 21, 22}, "the equinox on the Sunday before the 3rd Monday: substitute after both"},
      {9999, 3, {18}, ""},
  });
}

TEST(Holidays, EquinoxDays) {
  const struct {
    int year, vernal, autumnal;
  } cases[] = {
      {1949, 21, 23}, {1959, 21, 24}, {1960, 20, 23}, {1979, 21, 24},  // floor, not truncation, before 1980
      {1980, 20, 23}, {2012, 20, 22},                                  // 2012: 22.999 in autumn
      {2099, 20, 23}, {2100, 20, 23}, {2101, 21, 23}, {9999, 18, 21},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VernalEquinoxDay(c.year), c.vernal) << c.year;
    EXPECT_EQ(AutumnalEquinoxDay(c.year), c.autumnal) << c.year;
  }
}

// Counting 2100, 2200, 2300... as leap years would move the equinoxes a day
// earlier every century, weeks away by 9999.
TEST(Holidays, EquinoxesStayNearTheirDatesUntil9999) {
  for (int year = 1948; year <= kLastYear; ++year) {
    const int vernal = VernalEquinoxDay(year), autumnal = AutumnalEquinoxDay(year);
    ASSERT_TRUE(vernal >= 17 && vernal <= 22) << year << ": March " << vernal;
    ASSERT_TRUE(autumnal >= 20 && autumnal <= 24) << year << ": September " << autumnal;
  }
}

// The calendar paints from the lists, so they must hold in every month of
// every year it can show.
TEST(Holidays, ListsAreOrderedInEveryMonthOfEveryYear) {
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    for (int month = 1; month <= 12; ++month) {
      SCOPED_TRACE(DateText(year, month, 1));
      const HolidayList list = ListedHolidays(year, month);
      const std::array<bool, 32> off = HolidaysOfMonth(year, month);
      const int last = DaysInMonth(year, month);
      ASSERT_TRUE(list.count >= 0 && list.count <= 5) << list.count;
      for (int i = 0; i < 5; ++i) {
        if (i >= list.count) {
          ASSERT_EQ(list.days[i], 0) << "unused entry " << i;
          continue;
        }
        ASSERT_TRUE(list.days[i] >= 1 && list.days[i] <= last) << list.days[i];
        if (i > 0) {
          ASSERT_LT(list.days[i - 1], list.days[i]);
        }
        ASSERT_TRUE(off[list.days[i]]) << "listed day " << list.days[i] << " not off";
      }
      ASSERT_FALSE(off[0]);
      for (int day = last + 1; day <= 31; ++day) ASSERT_FALSE(off[day]) << "day " << day << " past the month's end";
      if (year < 1948 || (year == 1948 && month < 7)) {
        ASSERT_EQ(list.count, 0);
        ASSERT_EQ(std::count(off.begin(), off.end(), true), 0);
      }
    }
  }
}

TEST(Holidays, DatesOutsideTheCalendarHaveNone) {
  const struct { int year, month; } cases[] = {{2000, 0}, {2000, 13}, {2000, -1}, {0, 1}, {-5, 5}, {10000, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(ListedHolidays(c.year, c.month).count, 0) << c.year << "-" << c.month;
    EXPECT_TRUE(DaysOff(c.year, c.month).empty()) << c.year << "-" << c.month;
  }
}

}  // namespace
}  // namespace vorta
