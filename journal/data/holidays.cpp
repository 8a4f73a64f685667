#include "journal/data/holidays.h"

#include <algorithm>
#include <cstdint>

#include "journal/data/calendar.h"

namespace vorta {

namespace {

struct Date {
  int year, month, day;
};

// The holiday law took effect on 20 July 1948; substitute holidays began on
// 12 April 1973.
constexpr Date kLawStart{1948, 7, 20};
constexpr Date kSubstituteStart{1973, 4, 12};

bool OnOrAfter(int year, int month, int day, Date start) {
  if (year != start.year) return year > start.year;
  if (month != start.month) return month > start.month;
  return day >= start.day;
}

// Floor division for a positive divisor (C++ truncates toward zero).
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

int MonthLength(int year, int month) {
  return DaysInMonth(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month));
}

int NthMonday(int year, int month, int n) {
  const int first = WeekdayOf(year, month, 1);
  return 1 + (8 - first) % 7 + 7 * (n - 1);
}

// The published equinox formula; |since1980| and |before1980| are its
// constants for the two forms. The result is truncated toward zero.
int EquinoxDay(int year, double since1980, double before1980) {
  const double drift = 0.242194 * (year - 1980);
  if (year >= 1980) {
    // Leap days since 1980, without the century years the Gregorian calendar
    // skips (2100, 2200, 2300, 2500...): the plain count lets the day drift.
    const int leap_days = FloorDiv(year - 1980, 4) - (FloorDiv(year - 2000, 100) - FloorDiv(year - 2000, 400));
    return static_cast<int>(since1980 + drift - leap_days);
  }
  // Truncating division here is the formula as published for these years.
  return static_cast<int>(before1980 + drift - (year - 1983) / 4);
}

}  // namespace

int VernalEquinoxDay(int year) { return EquinoxDay(year, 20.8431, 20.8357); }

int AutumnalEquinoxDay(int year) { return EquinoxDay(year, 23.2488, 23.2588); }

HolidayList ListedHolidays(int year, int month) {
  HolidayList list;
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) return list;
  // July 1948 lists no day before the 20th, so whole months suffice.
  if (!OnOrAfter(year, month, MonthLength(year, month), kLawStart)) return list;

  // Room for more than the five days a month lists; the order is fixed below.
  std::array<int, 8> days{};
  int n = 0;
  auto add = [&](int day) { days[n++] = day; };
  // The Olympic Games moved July's, August's and October's days in 2020 and 2021.
  const bool olympic = year == 2020 || year == 2021;
  switch (month) {
    case 1:
      add(1);
      add(year <= 1999 ? 15 : NthMonday(year, 1, 2));
      break;
    case 2:
      if (year >= 1967) add(11);
      if (year >= 2020) add(23);
      if (year == 1989) add(24);
      break;
    case 3:
      add(VernalEquinoxDay(year));
      break;
    case 4:
      add(29);
      if (year == 1959) add(10);
      if (year == 2019) add(30);
      break;
    case 5:
      add(3);
      add(5);
      // May 4 became a day off between two holidays in 1988, but not on a
      // Sunday until 2007.
      if (year >= 2007 || (year >= 1988 && WeekdayOf(year, 5, 4) != 0)) add(4);
      if (year == 2019) {
        add(1);
        add(2);
      }
      break;
    case 6:
      if (year == 1993) add(9);
      break;
    case 7:
      if (year >= 1996 && year <= 2002) add(20);
      if (year >= 2003 && !olympic) add(NthMonday(year, 7, 3));
      if (year == 2020) {
        add(23);
        add(24);
      }
      if (year == 2021) {
        add(22);
        add(23);
      }
      break;
    case 8:
      if (year >= 2016 && !olympic) add(11);
      if (year == 2020) add(10);
      if (year == 2021) add(8);
      break;
    case 9: {
      const int equinox = AutumnalEquinoxDay(year);
      add(equinox);
      if (year >= 1966) {
        const int aged = year <= 2002 ? 15 : NthMonday(year, 9, 3);
        add(aged);
        // A single day between Respect for the Aged Day and the equinox is off.
        if (equinox - aged == 2) add(aged + 1);
      }
      break;
    }
    case 10:
      if (year >= 1966 && year <= 1999) add(10);
      if (year >= 2000 && !olympic) add(NthMonday(year, 10, 2));
      if (year == 2019) add(22);
      break;
    case 11:
      add(3);
      add(23);
      if (year == 1990) add(12);
      break;
    case 12:
      if (year >= 1989 && year <= 2018) add(23);
      break;
  }
  std::sort(days.begin(), days.begin() + n);
  for (int i = 0; i < n; ++i) {
    if (list.count == 0 || list.days[list.count - 1] != days[i]) list.days[list.count++] = days[i];
  }
  return list;
}

std::array<bool, 32> HolidaysOfMonth(int year, int month) {
  std::array<bool, 32> off{};
  const HolidayList list = ListedHolidays(year, month);
  if (list.count == 0) return off;
  std::array<bool, 33> listed{};
  for (int i = 0; i < list.count; ++i) listed[list.days[i]] = off[list.days[i]] = true;

  const int last = MonthLength(year, month);
  for (int i = 0; i < list.count; ++i) {
    const int day = list.days[i];
    if (WeekdayOf(year, month, day) != 0 || !OnOrAfter(year, month, day, kSubstituteStart)) continue;
    int substitute = day + 1;
    if (year >= 2007) {
      while (substitute <= last && listed[substitute]) ++substitute;
    } else if (listed[substitute]) {
      continue;  // the next day is a holiday anyway: no substitute
    }
    if (substitute <= last) off[substitute] = true;
  }
  return off;
}

}  // namespace vorta
