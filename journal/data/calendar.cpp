#include "journal/data/calendar.h"

#include <cstdio>

namespace vorta {

namespace {

std::uint16_t WeekdayPlus(int weekday, int days) {
  return static_cast<std::uint16_t>(((weekday + days) % 7 + 7) % 7);
}

}  // namespace

std::uint16_t DaysInMonth(std::uint16_t year, std::uint16_t month) {
  if (month == 2) {
    if (year % 400 == 0) return 29;
    if (year % 100 == 0) return 28;
    return year % 4 == 0 ? 29 : 28;
  }
  if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
  return 31;
}

void NextDay(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day) {
  if (*day < DaysInMonth(*year, *month)) {
    ++*day;
  } else if (*month == 12) {
    if (*year < kLastYear) {
      ++*year;
      *month = 1;
      *day = 1;
    }
  } else {
    ++*month;
    *day = 1;
  }
}

void PrevDay(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day) {
  if (*day > 1) {
    --*day;
  } else if (*month == 1) {
    if (*year >= 2) {
      *month = 12;
      --*year;
      *day = DaysInMonth(*year, 12);
    }
  } else {
    --*month;
    *day = DaysInMonth(*year, *month);
  }
}

void NextMonth(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day, std::uint16_t* weekday) {
  if (*month == 12) {
    if (*year > kLastYear - 1) return;
    *weekday = WeekdayPlus(*weekday, DaysInMonth(*year, 12) % 7);
    *month = 1;
    ++*year;
  } else {
    // The same day of the next month lies exactly one month length ahead.
    *weekday = WeekdayPlus(*weekday, DaysInMonth(*year, *month) % 7);
    ++*month;
  }
  const std::uint16_t n = DaysInMonth(*year, *month);
  if (*day > n) {
    *weekday = WeekdayPlus(*weekday, -(*day - n));
    *day = n;
  }
}

void PrevMonth(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day, std::uint16_t* weekday) {
  if (*month == 1) {
    if (*year < 2) return;
    *month = 12;
    --*year;
  } else {
    --*month;
  }
  const std::uint16_t n = DaysInMonth(*year, *month);
  *weekday = WeekdayPlus(*weekday, -(n % 7));
  if (*day > n) {
    *weekday = WeekdayPlus(*weekday, -(*day - n));
    *day = n;
  }
}

namespace {

void ClampDayAndRecomputeWeekday(std::uint16_t year, std::uint16_t month, std::uint16_t* day,
                                 std::uint16_t* weekday) {
  const std::uint16_t n = DaysInMonth(year, month);
  if (*day > n) *day = n;
  *weekday = WeekdayCongruence(year, month, *day);
}

}  // namespace

void NextYear(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day, std::uint16_t* weekday) {
  if (*year < kLastYear) ++*year;
  ClampDayAndRecomputeWeekday(*year, *month, day, weekday);
}

void PrevYear(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day, std::uint16_t* weekday) {
  if (*year > kFirstYear) --*year;
  ClampDayAndRecomputeWeekday(*year, *month, day, weekday);
}

std::uint16_t WeekdayCongruence(int year, int month, int day) {
  const int m = month > 2 ? month : month + 12;
  const int y = month < 3 ? year - 1 : year;
  return static_cast<std::uint16_t>((y + (13 * m + 8) / 5 + y / 400 + y / 4 - y / 100 + day) % 7);
}

int WeekdayOf(int year, int month, int day) {
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) return -1;
  if (day < 1 || day > DaysInMonth(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month)))
    return -1;
  return WeekdayCongruence(year, month, day);
}

const char* WeekdayName(int weekday) {
  static const char* const kNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
  return weekday >= 0 && weekday < 7 ? kNames[weekday] : "";
}

std::string FormatTitleLine(int year, int month, int day, int weekday) {
  char line[64];
  std::snprintf(line, sizeof line, "%4d年%2d月%2d日（%s曜日）", year, month, day, WeekdayName(weekday));
  return line;
}

}  // namespace vorta
