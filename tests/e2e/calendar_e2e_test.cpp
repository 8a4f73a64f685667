// The calendar window beside the journal, driven from outside: reopened where
// it was after a restart, focused by Alt+C, following the journal's date and
// choosing its day by a click, and painted in the colours a person sees.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "calendar_fixture.h"
#include "journal/window/calendar_grid.h"
#include "journal_fixture.h"

namespace {

using namespace e2e;

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0),
                   kGreen = RGB(0, 255, 0), kWhite = RGB(255, 255, 255);

std::string Caption(int year, int month) {
  return "[" + std::to_string(year) + "年" + std::to_string(month) + "月]";
}

class CalendarTest : public JournalTest {
 protected:
  // The journal at (20, 20) and its calendar to the right of it.
  void WriteProfile(int calendarShown, int calendarX = 640, int calendarY = 20) {
    ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
    ASSERT_TRUE(WriteFileBytes(ProfilePath(), "[WINDOW]\r\nX=20\r\nY=20\r\n[CAL_WINDOW]\r\nX=" +
                                                  std::to_string(calendarX) + "\r\nY=" + std::to_string(calendarY) +
                                                  "\r\nDisp=" + std::to_string(calendarShown) + "\r\n"));
  }

  HWND WaitForCalendar(int year, int month) {
    return WaitForWindow(Caption(year, month), process_->id(), kDefaultTimeoutMs, "#32770");
  }
  // Starts the journal with `month` (May 2009) as its DATA file, goes to the
  // 15th and opens the calendar with the button; sets calendar_ and grid_.
  void OpenMay2009(const std::string& month) {
    MakeData();
    ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(2009, 5)), month));
    WriteProfile(0);
    Launch();
    NavigateTo({2009, 5, 15});
    ASSERT_TRUE(ClickButton(main_, kCalendar));
    calendar_ = WaitForCalendar(2009, 5);
    ASSERT_NE(calendar_, nullptr);
    grid_ = GridOf(calendar_);
    ASSERT_NE(grid_, nullptr);
  }
  bool CalendarButtonEnabled() const { return IsWindowEnabled(GetDlgItem(main_, kCalendar)) != FALSE; }

  HWND calendar_ = nullptr;
  HWND grid_ = nullptr;
};

// Pixels of a capture of the calendar window, addressed in its grid's client
// coordinates.
class GridPicture {
 public:
  GridPicture(HWND calendar, HWND grid) : image_(GrabWindow(calendar)) {
    const RECT window = WindowRect(calendar);
    POINT origin{0, 0};
    ClientToScreen(grid, &origin);
    dx_ = origin.x - window.left;
    dy_ = origin.y - window.top;
  }
  const Image& image() const { return image_; }
  COLORREF At(int x, int y) const { return image_.Pixel(x + dx_, y + dy_); }
  // Whether any pixel of the area has the colour: how a number's colour shows.
  bool Contains(const vorta::CellRect& area, COLORREF colour) const {
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (At(x, y) == colour) return true;
    return false;
  }
  // The ground of a cell, left of and above its number.
  COLORREF Ground(const vorta::CalendarGrid& model, int cell) const {
    const vorta::CellRect ground = model.GroundRect(cell);
    return At(ground.left + 1, ground.top + 1);
  }

 private:
  Image image_;
  int dx_ = 0, dy_ = 0;
};

TEST_F(CalendarTest, ReopensWhereItWasAfterARestart) {
  MakeData();
  WriteProfile(1, 640, 30);
  Launch();
  const Date today = Today();
  HWND calendar = WaitForCalendar(today.year, today.month);
  ASSERT_NE(calendar, nullptr) << "the calendar did not open at start";
  EXPECT_EQ(WindowRect(calendar).left, 640);
  EXPECT_EQ(WindowRect(calendar).top, 30);
  EXPECT_FALSE(CalendarButtonEnabled());

  // Moved, and still open when the journal closes.
  const RECT rect = WindowRect(calendar);
  ASSERT_TRUE(MoveWindowTo(calendar, 660, 90, rect.right - rect.left, rect.bottom - rect.top));
  CloseAndWait();
  EXPECT_EQ(ReadProfileValue("CAL_WINDOW", "Disp"), std::optional<std::string>("1"));
  EXPECT_EQ(ReadProfileValue("CAL_WINDOW", "X"), std::optional<std::string>("660"));
  EXPECT_EQ(ReadProfileValue("CAL_WINDOW", "Y"), std::optional<std::string>("90"));

  Launch();
  calendar = WaitForCalendar(today.year, today.month);
  ASSERT_NE(calendar, nullptr) << "the calendar did not open again";
  EXPECT_EQ(WindowRect(calendar).left, 660);
  EXPECT_EQ(WindowRect(calendar).top, 90);

  // Closed by its close box before the journal: not opened next time.
  ASSERT_TRUE(PostSysClose(calendar));
  ASSERT_TRUE(WaitForWindowGone(calendar));
  EXPECT_TRUE(WaitUntil([&] { return CalendarButtonEnabled(); }, 3000));
  CloseAndWait();
  EXPECT_EQ(ReadProfileValue("CAL_WINDOW", "Disp"), std::optional<std::string>("0"));
  EXPECT_EQ(ReadProfileValue("CAL_WINDOW", "X"), std::optional<std::string>("660"));
}

TEST_F(CalendarTest, FollowsTheJournalAndAClickChoosesTheDay) {
  ASSERT_NO_FATAL_FAILURE(OpenMay2009(MonthFile(1, Record(20, 0, "二十日の日記"))));
  HWND calendar = calendar_, grid = grid_;

  // Alt+C from the editor, then a click on the 20th.
  ASSERT_TRUE(PostKeyDown(GetDlgItem(main_, kEditor), 'C', true));
  EXPECT_TRUE(WaitUntil([&] { return GetAncestor(FocusedWindow(), GA_ROOT) == calendar; }, 3000))
      << "Alt+C did not reach the calendar";
  ASSERT_TRUE(PostKeyUp(GetDlgItem(main_, kEditor), 'C', true));
  const vorta::CalendarGrid model = ModelOf(grid, 2009, 5, 15);
  ASSERT_TRUE(ClickCell(grid, model, CellOfDay(model, 20)));
  EXPECT_EQ(TitleLine(), "2009年 5月20日（水曜日）");
  EXPECT_EQ(EditorText(), "二十日の日記");
  // The current day once more: nothing changes, nothing is taken.
  ASSERT_TRUE(SetControlText(main_, kEditor, "二十日の日記、書き足し"));
  ASSERT_TRUE(ClickCell(grid, model, CellOfDay(model, 20)));
  EXPECT_EQ(TitleLine(), "2009年 5月20日（水曜日）");
  EXPECT_EQ(EditorText(), "二十日の日記、書き足し");

  // Each step of the journal's date brings the calendar along.
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(GetText(calendar).value_or(""), Caption(2009, 6));
  ASSERT_TRUE(ClickButton(main_, kNextYear));
  EXPECT_EQ(GetText(calendar).value_or(""), Caption(2010, 6));
  ASSERT_TRUE(PostKeyDown(GetDlgItem(main_, kEditor), VK_LEFT, true));
  EXPECT_TRUE(WaitUntil([&] { return TitleLine() == "2010年 6月19日（土曜日）"; }, 3000));
  ASSERT_TRUE(PostKeyUp(GetDlgItem(main_, kEditor), VK_LEFT, true));
  EXPECT_EQ(GetText(calendar).value_or(""), Caption(2010, 6));
}

// May 2009: holidays on the 3rd to the 6th (the 6th for the 3rd, a Sunday),
// Saturdays blue, an anniversary on the 20th, text on the 12th, the 15th shown.
TEST_F(CalendarTest, ColoursOfMay2009AndOfToday) {
  const unsigned mark = 1 << 6;
  ASSERT_NO_FATAL_FAILURE(OpenMay2009(MonthFile(2, Record(20, mark, "") + Record(12, 0, "十二日"))));
  HWND calendar = calendar_, grid = grid_;
  const vorta::CalendarGrid may = ModelOf(grid, 2009, 5, 15);
  EXPECT_FALSE(CaptureWindow(calendar, "may-2009").empty());
  {
    const GridPicture picture(calendar, grid);
    auto ground_of_day = [&](int day) { return may.GroundRect(CellOfDay(may, day)); };
    for (int day : {3, 4, 5, 6, 10}) EXPECT_TRUE(picture.Contains(ground_of_day(day), kRed)) << "May " << day;
    for (int day : {2, 16}) EXPECT_TRUE(picture.Contains(ground_of_day(day), kBlue)) << "May " << day;
    for (int day : {7, 12, 15}) {
      EXPECT_FALSE(picture.Contains(ground_of_day(day), kRed)) << "May " << day;
      EXPECT_FALSE(picture.Contains(ground_of_day(day), kBlue)) << "May " << day;
    }
    EXPECT_EQ(picture.Ground(may, CellOfDay(may, 20)), kGreen);
    EXPECT_EQ(picture.Ground(may, CellOfDay(may, 21)), kWhite);
    const vorta::CellRect frame = may.FrameRect(CellOfDay(may, 15));
    EXPECT_EQ(picture.At(frame.left, (frame.top + frame.bottom) / 2), kRed) << "the frame of the shown day";
    EXPECT_EQ(picture.At(frame.right - 1, frame.top), kRed);
    const vorta::CellRect header = may.HeaderBand();
    EXPECT_EQ(picture.At(header.right - 2, header.top + 1), RGB(192, 192, 192));
  }

  // Back to today: its ground is yellow, also when it is an anniversary.
  ASSERT_TRUE(ClickButton(main_, kToday));
  const Date today = Today();
  EXPECT_EQ(GetText(calendar).value_or(""), Caption(today.year, today.month));
  ASSERT_TRUE(ClickButton(main_, kAnniversary));
  const vorta::CalendarGrid now = ModelOf(grid, today.year, today.month, today.day);
  const GridPicture picture(calendar, grid);
  EXPECT_EQ(picture.Ground(now, CellOfDay(now, today.day)), kYellow);
  const vorta::CellRect frame = now.FrameRect(CellOfDay(now, today.day));
  EXPECT_EQ(picture.At(frame.left, (frame.top + frame.bottom) / 2), kRed);
  EXPECT_FALSE(CaptureWindow(calendar, "today").empty());

  // The journal with its calendar beside it, as a person sees them.
  BringToTop(main_);
  BringToTop(calendar);
  const RECT left = WindowRect(main_), right = WindowRect(calendar);
  const RECT both{left.left, std::min(left.top, right.top), right.right, std::max(left.bottom, right.bottom)};
  const Image screen = GrabScreen(both);
  EXPECT_FALSE(screen.IsUniform());
  EXPECT_TRUE(SaveBmp(screen, CapturePath("journal-with-calendar")));
}

}  // namespace
