// The calendar window's month grid, without Windows: which day goes in which
// of the 7 × 7 cells, how each day is drawn, and where the cells lie in a
// client area of a given size. Painting, hovering and clicking all go through
// this one model.
#pragma once

#include <array>
#include <cstdint>

namespace vorta {

constexpr int kCalendarColumns = 7;
constexpr int kCalendarCells = 49;      // row 0 is the weekday header
constexpr int kFirstDayCell = 7;
constexpr int kLastPaintedCell = 43;    // day 31 of a month starting on a Saturday

struct CellPoint {
  int x = 0, y = 0;
};
struct CellRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const CellRect&, const CellRect&) = default;
};

enum class DayColour { kBlack, kRed, kBlue };
enum class DayGround { kWhite, kYellow, kGreen };

struct CalendarDate {
  std::uint16_t year = 0, month = 0, day = 0, weekday = 0;  // weekday 0 = Sunday
};

// How one cell of the week rows is painted; day 0 means the cell only gets
// the background colour.
struct CellLook {
  int cell = 0;
  int day = 0;
  DayColour colour = DayColour::kBlack;
  DayGround ground = DayGround::kWhite;
  bool doubleStruck = false;
};

class CalendarGrid {
 public:
  // Cell size = client size / 7; the text origins follow.
  void SetClientSize(int width, int height);
  int cell_width() const { return cellWidth_; }
  int cell_height() const { return cellHeight_; }

  CellPoint TextOrigin(int cell) const;
  // Where the red frame of the current day and the hover frame are drawn.
  CellRect FrameRect(int cell) const;
  // The part of a cell filled with its ground colour, inside the frame.
  CellRect GroundRect(int cell) const;
  // The grey band behind the weekday names.
  CellRect HeaderBand() const;
  // The cell under a client point, or -1 outside the 7 × 7 grid.
  int CellAt(int px, int py) const;
  // Whether the point is in the part of `cell` where hovering shows a frame.
  bool InHotArea(int cell, int px, int py) const;

  // The date shown: the main window's current date.
  void SetShownDate(const CalendarDate& shown) { shown_ = shown; }
  const CalendarDate& shown() const { return shown_; }

  // Places the days of the shown month in the cells and takes the marks that
  // depend on it: holidays, today, the current day and the anniversaries
  // (a day list in any order, as the month holds them).
  void RecomputeMonth(const CalendarDate& today, const std::uint8_t* anniversaryDays, int anniversaryCount);

  int first_column() const { return firstColumn_; }
  int days_in_month() const { return daysInMonth_; }
  int DayOfCell(int cell) const { return cell >= 0 && cell < kCalendarCells ? days_[cell] : 0; }
  // 0 when today is not in the shown month.
  int today_cell() const { return todayCell_; }
  int current_cell() const { return currentCell_; }

  // Red for Sundays and national holidays, blue for other Saturdays.
  DayColour ColourOfDay(int day) const;
  // Colour of the weekday name in header column `column`.
  static DayColour ColourOfHeader(int column);
  // Today yellow (even when it is an anniversary), anniversaries green.
  DayGround GroundOfDay(int day) const;

  // The cells 7 to 43 in painting order. `daysWithText` has 1 at index
  // day - 1 for each day whose entry has text; those numbers are drawn twice.
  std::array<CellLook, kLastPaintedCell - kFirstDayCell + 1> PaintWalk(
      const std::array<std::uint16_t, 31>& daysWithText) const;

 private:
  int clientWidth_ = 0;
  int cellWidth_ = 0, cellHeight_ = 0;
  CalendarDate shown_;
  int firstColumn_ = 0;
  int daysInMonth_ = 0;
  std::array<int, kCalendarCells> days_{};
  int todayCell_ = 0;
  int currentCell_ = 0;
  std::array<bool, 32> holidays_{};     // index = day
  std::array<bool, 32> anniversaries_{};  // index = day
};

}  // namespace vorta
