// The calendar window's grid: where the days go, how each is drawn, and the
// geometry that painting, hovering and clicking share.
#include "journal/window/calendar_grid.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "journal/data/calendar.h"

namespace vorta {
namespace {

CalendarDate DateOf(int year, int month, int day) {
  return {static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month), static_cast<std::uint16_t>(day),
          static_cast<std::uint16_t>(WeekdayOf(year, month, day))};
}

// A grid showing `shown`, today elsewhere unless given.
CalendarGrid GridFor(const CalendarDate& shown, const CalendarDate& today = DateOf(1990, 1, 1),
                     const std::vector<std::uint8_t>& anniversaries = {}) {
  CalendarGrid grid;
  grid.SetClientSize(140, 126);
  grid.SetShownDate(shown);
  grid.RecomputeMonth(today, anniversaries.data(), static_cast<int>(anniversaries.size()));
  return grid;
}

int CellOfDay(const CalendarGrid& grid, int day) {
  for (int cell = kFirstDayCell; cell < kCalendarCells; ++cell)
    if (grid.DayOfCell(cell) == day) return cell;
  return -1;
}

TEST(CalendarGrid, PlacesTheDaysOfTheMonth) {
  const struct {
    int year, month;
    int firstColumn, cellOfFirst, cellOfLast;
  } cases[] = {
      {2000, 1, 6, 13, 43},  // starts on a Saturday: the last day a month can reach
      {2009, 2, 0, 7, 34},   // starts on a Sunday and fills four rows exactly
      {2009, 5, 5, 12, 42},
      {2026, 12, 2, 9, 39},
      {1, 1, 1, 8, 38},      // 1 January of year 1 was a Monday
      {9999, 12, 3, 10, 40},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month));
    const CalendarGrid grid = GridFor(DateOf(c.year, c.month, 1));
    EXPECT_EQ(grid.first_column(), c.firstColumn);
    EXPECT_EQ(CellOfDay(grid, 1), c.cellOfFirst);
    EXPECT_EQ(CellOfDay(grid, grid.days_in_month()), c.cellOfLast);
    // Every day once, in order, and nothing else in the week rows.
    int expected = 1;
    for (int cell = 0; cell < kCalendarCells; ++cell) {
      const int day = grid.DayOfCell(cell);
      if (cell < c.cellOfFirst || cell > c.cellOfLast) {
        EXPECT_EQ(day, 0) << "cell " << cell;
      } else {
        EXPECT_EQ(day, expected++) << "cell " << cell;
      }
    }
  }
  // February 2009: rows 5 and 6 stay empty.
  const CalendarGrid february = GridFor(DateOf(2009, 2, 14));
  for (int cell = 35; cell < kCalendarCells; ++cell) EXPECT_EQ(february.DayOfCell(cell), 0);
}

TEST(CalendarGrid, TheFirstColumnFollowsTheShownWeekdayFromAnyDay) {
  // The shown day and its weekday give the first column, whichever day it is.
  for (int day = 1; day <= 31; ++day) {
    const CalendarGrid grid = GridFor(DateOf(2000, 1, day));
    EXPECT_EQ(grid.first_column(), 6) << "day " << day;
    EXPECT_EQ(grid.current_cell(), 12 + day) << "day " << day;
  }
}

TEST(CalendarGrid, TodayCellOnlyInTodaysMonth) {
  const CalendarDate today = DateOf(2009, 5, 20);
  EXPECT_EQ(GridFor(DateOf(2009, 5, 1), today).today_cell(), CellOfDay(GridFor(DateOf(2009, 5, 1)), 20));
  EXPECT_EQ(GridFor(DateOf(2009, 6, 20), today).today_cell(), 0);
  EXPECT_EQ(GridFor(DateOf(2008, 5, 20), today).today_cell(), 0);
}

// The colours of May 2009 and of months whose holidays the law changed.
TEST(CalendarGrid, ColoursOfDays) {
  const DayColour R = DayColour::kRed, B = DayColour::kBlue, K = DayColour::kBlack;
  const struct {
    int year, month, day;
    DayColour colour;
  } cases[] = {
      {2009, 5, 2, B},   // Saturday
      {2009, 5, 3, R},   // Sunday and a holiday
      {2009, 5, 4, R},  {2009, 5, 5, R},
      {2009, 5, 6, R},   // substitute for the 3rd
      {2009, 5, 7, K},  {2009, 5, 10, R}, {2009, 5, 16, B},
      {2003, 5, 6, K},   // before 2007 no substitute when the next day is a holiday
      {1987, 5, 4, R},   // substitute: 3 May 1987 was a Sunday
      {2000, 1, 1, R},   // a holiday on a Saturday is red
      {2000, 1, 10, R},  {2000, 1, 15, B},
      {2009, 9, 21, R}, {2009, 9, 22, R}, {2009, 9, 23, R},
      {2008, 11, 24, R},
      {2026, 2, 23, R}, {2026, 8, 11, R}, {2026, 12, 23, K},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
    EXPECT_EQ(GridFor(DateOf(c.year, c.month, 1)).ColourOfDay(c.day), c.colour);
  }
  EXPECT_EQ(CalendarGrid::ColourOfHeader(0), R);
  EXPECT_EQ(CalendarGrid::ColourOfHeader(3), K);
  EXPECT_EQ(CalendarGrid::ColourOfHeader(6), B);
}

TEST(CalendarGrid, GroundsOfTodayAndAnniversaries) {
  const DayGround Y = DayGround::kYellow, G = DayGround::kGreen, W = DayGround::kWhite;
  const struct {
    const char* name;
    std::vector<std::uint8_t> anniversaries;
    std::array<DayGround, 6> grounds;  // days 9 to 14; today is the 10th
  } cases[] = {
      {"none", {}, {W, Y, W, W, W, W}},
      {"in buffer order", {13, 9, 11}, {G, Y, G, W, G, W}},
      {"today is one too", {12, 10, 14}, {W, Y, W, G, W, G}},
      // A damaged month may count a day twice or name a day the month lacks.
      {"damaged list", {0, 12, 12, 40, 9}, {G, Y, W, G, W, W}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CalendarGrid grid = GridFor(DateOf(2009, 5, 1), DateOf(2009, 5, 10), c.anniversaries);
    for (int day = 9; day <= 14; ++day) EXPECT_EQ(grid.GroundOfDay(day), c.grounds[day - 9]) << "day " << day;
  }
  // Out of today's month the anniversaries alone count.
  const CalendarGrid june = GridFor(DateOf(2009, 6, 1), DateOf(2009, 5, 10), {10});
  EXPECT_EQ(june.GroundOfDay(10), G);
}

TEST(CalendarGrid, PaintWalkCoversCells7To43) {
  std::array<std::uint16_t, 31> withText{};
  withText[4] = 1;  // day 5 has text
  withText[5] = 0;  // day 6 has a record without text
  const CalendarGrid grid = GridFor(DateOf(2009, 5, 15), DateOf(2009, 5, 6), {5});
  const auto walk = grid.PaintWalk(withText);
  ASSERT_EQ(walk.front().cell, kFirstDayCell);
  ASSERT_EQ(walk.back().cell, kLastPaintedCell);
  for (const CellLook& look : walk) {
    EXPECT_EQ(look.day, grid.DayOfCell(look.cell));
    if (look.day == 0) {
      EXPECT_FALSE(look.doubleStruck);
      EXPECT_EQ(look.ground, DayGround::kWhite);
      continue;
    }
    EXPECT_EQ(look.colour, grid.ColourOfDay(look.day));
    EXPECT_EQ(look.ground, grid.GroundOfDay(look.day));
    EXPECT_EQ(look.doubleStruck, look.day == 5) << "day " << look.day;
  }
}

TEST(CalendarGrid, GeometryOfACell) {
  CalendarGrid grid;
  grid.SetClientSize(140, 126);  // cells of 20 × 18
  ASSERT_EQ(grid.cell_width(), 20);
  ASSERT_EQ(grid.cell_height(), 18);
  const int cell = 7 * 2 + 3;  // row 2, column 3
  EXPECT_EQ(grid.TextOrigin(cell).x, 64);
  EXPECT_EQ(grid.TextOrigin(cell).y, 40);
  EXPECT_EQ(grid.FrameRect(cell), (CellRect{60, 38, 80, 56}));
  EXPECT_EQ(grid.GroundRect(cell), (CellRect{61, 39, 79, 55}));
  EXPECT_EQ(grid.HeaderBand(), (CellRect{0, 0, 140, 20}));
  // Frames of neighbouring cells do not overlap; the ground lies inside the frame.
  EXPECT_EQ(grid.FrameRect(cell).right, grid.FrameRect(cell + 1).left);
  EXPECT_EQ(grid.FrameRect(cell).bottom, grid.FrameRect(cell + 7).top);
}

TEST(CalendarGrid, PointsToCells) {
  CalendarGrid grid;
  grid.SetClientSize(143, 130);  // cells of 20 × 18, with a remainder
  const struct {
    int x, y, cell;
  } cases[] = {
      {0, 0, 0},        {19, 17, 0},     {20, 18, 8},  {139, 125, 48},
      {140, 10, -1},    {10, 126, -1},   // the remainder lies outside the grid
      {-1, 5, -1},      {5, -1, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(grid.CellAt(c.x, c.y), c.cell) << c.x << "," << c.y;

  // The hot area of cell 17 (text origin 64, 40): x in [64, 77), y in (40, 53).
  const struct {
    int x, y;
    bool hot;
  } hot[] = {{64, 41, true}, {76, 52, true}, {63, 41, false}, {77, 41, false}, {64, 40, false}, {64, 53, false}};
  for (const auto& h : hot) EXPECT_EQ(grid.InHotArea(17, h.x, h.y), h.hot) << h.x << "," << h.y;

  // A window too small for a cell has no cells.
  CalendarGrid tiny;
  tiny.SetClientSize(6, 6);
  EXPECT_EQ(tiny.CellAt(0, 0), -1);
}

}  // namespace
}  // namespace vorta
