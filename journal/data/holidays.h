// Japanese national holidays as the law stood in each year, for the calendar
// window: the days the law lists in a month, and the days that are off work
// (listed days and substitute holidays).
#pragma once

#include <array>

namespace vorta {

// The days the law lists for a month: ascending, without repeats, at most five
// (May 2019 lists 1 to 5). Substitute holidays are not listed; the day between
// two holidays is, where the law made it one (May 4, September's day between
// Respect for the Aged Day and the autumn equinox).
struct HolidayList {
  std::array<int, 5> days{};  // unused entries 0
  int count = 0;
};
HolidayList ListedHolidays(int year, int month);

// Index = day of the month (1 to 31; index 0 unused): true for every national
// holiday of the month, substitute holidays included. Sundays that are not
// holidays are false. Years 1 to 9999; nothing before 20 July 1948.
std::array<bool, 32> HolidaysOfMonth(int year, int month);

// The equinox days of a year by the published formula (March and September).
// Meant for the years of the holiday law, from 1948: extrapolated further back
// the formula drifts later by about a day every 130 years.
int VernalEquinoxDay(int year);
int AutumnalEquinoxDay(int year);

}  // namespace vorta
