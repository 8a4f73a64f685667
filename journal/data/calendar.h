// Date arithmetic of the journal: month lengths, stepping by day, month and
// year between 1 January of year 1 and 31 December 9999, and weekdays.
#pragma once

#include <cstdint>
#include <string>

namespace vorta {

constexpr std::uint16_t kFirstYear = 1;
constexpr std::uint16_t kLastYear = 9999;

std::uint16_t DaysInMonth(std::uint16_t year, std::uint16_t month);

// Day steps leave the weekday to the caller.
void NextDay(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day);
void PrevDay(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day);

// Month and year steps keep the day number where the target month allows it
// (else its last day) and keep the weekday right.
void NextMonth(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day, std::uint16_t* weekday);
void PrevMonth(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day, std::uint16_t* weekday);
void NextYear(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day, std::uint16_t* weekday);
void PrevYear(std::uint16_t* year, std::uint16_t* month, std::uint16_t* day, std::uint16_t* weekday);

// Weekday (0 = Sunday) by Zeller's congruence, valid for any Gregorian date.
std::uint16_t WeekdayCongruence(int year, int month, int day);

// Weekday 0 to 6 of any date from year 1 to 9999, or -1 for a date that does
// not exist.
int WeekdayOf(int year, int month, int day);

// "日" to "土" for 0 to 6.
const char* WeekdayName(int weekday);

// "%4d年%2d月%2d日（%s曜日）"
std::string FormatTitleLine(int year, int month, int day, int weekday);

}  // namespace vorta
