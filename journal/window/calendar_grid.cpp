#include "journal/window/calendar_grid.h"

#include "journal/data/calendar.h"
#include "journal/data/holidays.h"

namespace vorta {

void CalendarGrid::SetClientSize(int width, int height) {
  clientWidth_ = width > 0 ? width : 0;
  cellWidth_ = width > 0 ? width / kCalendarColumns : 0;
  cellHeight_ = height > 0 ? height / kCalendarColumns : 0;
}

CellPoint CalendarGrid::TextOrigin(int cell) const {
  return {cell % kCalendarColumns * cellWidth_ + 4, cell / kCalendarColumns * cellHeight_ + 4};
}

CellRect CalendarGrid::FrameRect(int cell) const {
  const CellPoint p = TextOrigin(cell);
  return {p.x - 4, p.y - 2, p.x - 4 + cellWidth_, p.y - 2 + cellHeight_};
}

CellRect CalendarGrid::GroundRect(int cell) const {
  const CellPoint p = TextOrigin(cell);
  return {p.x - 3, p.y - 1, p.x + cellWidth_ - 5, p.y + cellHeight_ - 3};
}

CellRect CalendarGrid::HeaderBand() const { return {0, 0, clientWidth_, cellHeight_ + 2}; }

int CalendarGrid::CellAt(int px, int py) const {
  // A grid too small to hold a cell has none to point at.
  if (cellWidth_ <= 0 || cellHeight_ <= 0 || px < 0 || py < 0) return -1;
  const int column = px / cellWidth_;
  const int row = py / cellHeight_;
  if (column >= kCalendarColumns || row >= kCalendarColumns) return -1;
  return row * kCalendarColumns + column;
}

bool CalendarGrid::InHotArea(int cell, int px, int py) const {
  const CellPoint p = TextOrigin(cell);
  return p.x <= px && px < p.x + cellWidth_ - 7 && p.y < py && py < p.y + cellHeight_ - 5;
}

void CalendarGrid::RecomputeMonth(const CalendarDate& today, const std::uint8_t* anniversaryDays,
                                  int anniversaryCount) {
  firstColumn_ = ((shown_.weekday - (shown_.day - 1)) % 7 + 7) % 7;
  daysInMonth_ = DaysInMonth(shown_.year, shown_.month);
  holidays_ = HolidaysOfMonth(shown_.year, shown_.month);

  const bool todayShown = today.year == shown_.year && today.month == shown_.month;
  todayCell_ = 0;
  currentCell_ = 0;
  days_.fill(0);
  int day = 1;
  for (int cell = kFirstDayCell + firstColumn_; cell < kCalendarCells && day <= daysInMonth_; ++cell, ++day) {
    days_[cell] = day;
    if (todayShown && day == today.day) todayCell_ = cell;
    if (day == shown_.day) currentCell_ = cell;
  }

  // A damaged month may list a day twice or a day the month does not have;
  // each real day is marked once whatever the order.
  anniversaries_.fill(false);
  for (int i = 0; i < anniversaryCount; ++i)
    if (anniversaryDays[i] >= 1 && anniversaryDays[i] <= daysInMonth_) anniversaries_[anniversaryDays[i]] = true;
}

DayColour CalendarGrid::ColourOfDay(int day) const {
  if (day < 1 || day > daysInMonth_) return DayColour::kBlack;
  if (holidays_[day]) return DayColour::kRed;
  return ColourOfHeader((firstColumn_ + day - 1) % kCalendarColumns);
}

DayColour CalendarGrid::ColourOfHeader(int column) {
  if (column == 0) return DayColour::kRed;
  if (column == 6) return DayColour::kBlue;
  return DayColour::kBlack;
}

DayGround CalendarGrid::GroundOfDay(int day) const {
  if (day < 1 || day > daysInMonth_) return DayGround::kWhite;
  if (todayCell_ != 0 && days_[todayCell_] == day) return DayGround::kYellow;
  return anniversaries_[day] ? DayGround::kGreen : DayGround::kWhite;
}

std::array<CellLook, kLastPaintedCell - kFirstDayCell + 1> CalendarGrid::PaintWalk(
    const std::array<std::uint16_t, 31>& daysWithText) const {
  std::array<CellLook, kLastPaintedCell - kFirstDayCell + 1> walk{};
  for (int cell = kFirstDayCell; cell <= kLastPaintedCell; ++cell) {
    CellLook& look = walk[cell - kFirstDayCell];
    look.cell = cell;
    look.day = days_[cell];
    if (look.day == 0) continue;
    look.colour = ColourOfDay(look.day);
    look.ground = GroundOfDay(look.day);
    look.doubleStruck = daysWithText[look.day - 1] != 0;
  }
  return walk;
}

}  // namespace vorta
