// The calendar window beside the journal, both hosted in the test's own
// process: opening and closing, its place on the screen, following the
// journal's date, clicks on days and the keys that reach it.
#include "journal/window/calendar_dlg.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "journal/app/journal_app.h"
#include "journal/data/calendar.h"
#include "journal/res/resource.h"
#include "journal/window/calendar_wnd.h"
#include "journal/window/journal_dlg.h"
#include "tests/win/dialog_test_support.h"

namespace {

class CalendarTest : public HostedJournalTest {
 protected:
  void OpenAt(const char* yearMonth, WORD day, int calendarShown = 0) {
    OpenJournalAt(yearMonth, day, calendarShown);
  }
  void Click(int id) { HostedJournalTest::Click(dialog_.m_hWnd, id); }
  void OpenCalendar() {
    Click(IDC_CALENDAR);
    ASSERT_TRUE(Calendar()) << "no calendar window";
  }

  HWND Calendar() { return dialog_.IsCalendarOpen() ? dialog_.Calendar().m_hWnd : nullptr; }
  HWND Grid() { return ::FindWindowExA(::GetDlgItem(Calendar(), IDC_CALENDAR_FRAME), nullptr, nullptr, "CALENDAR"); }
  const vorta::CalendarGrid& Model() { return dialog_.Calendar().grid()->grid(); }
  bool CalendarButtonEnabled() const { return ::IsWindowEnabled(::GetDlgItem(dialog_.m_hWnd, IDC_CALENDAR)); }
  std::string Title() const { return WindowText(::GetDlgItem(dialog_.m_hWnd, IDC_TITLE_GROUP)); }

  // A click in the middle of the cell that holds `day`.
  void ClickDay(int day) {
    const vorta::CalendarGrid& grid = Model();
    for (int cell = vorta::kFirstDayCell; cell < vorta::kCalendarCells; ++cell) {
      if (grid.DayOfCell(cell) != day) continue;
      const vorta::CellRect frame = grid.FrameRect(cell);
      const LPARAM at = MAKELPARAM((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
      ::SendMessageA(Grid(), WM_LBUTTONDOWN, MK_LBUTTON, at);
      ::SendMessageA(Grid(), WM_LBUTTONUP, 0, at);
      return;
    }
    ADD_FAILURE() << "no cell holds day " << day;
  }

};

TEST_F(CalendarTest, OpensBesideTheJournalAndLocksItsButton) {
  OpenAt("200905", 15);
  ASSERT_TRUE(CalendarButtonEnabled());
  OpenCalendar();
  EXPECT_EQ(WindowText(Calendar()), "[2009年5月]");
  EXPECT_FALSE(CalendarButtonEnabled());
  EXPECT_EQ(::GetWindow(Calendar(), GW_OWNER), dialog_.m_hWnd);
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(Calendar(), IDCANCEL));

  // The grid fills the frame's client area; its class is registered once.
  HWND grid = Grid();
  ASSERT_NE(grid, nullptr);
  RECT frame{}, client{};
  ::GetClientRect(::GetDlgItem(Calendar(), IDC_CALENDAR_FRAME), &frame);
  ::GetWindowRect(grid, &client);
  EXPECT_EQ(client.right - client.left, frame.right);
  EXPECT_EQ(client.bottom - client.top, frame.bottom);
  EXPECT_EQ(::GetClassLongPtrA(grid, GCL_STYLE), CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC);
  EXPECT_EQ(::GetDlgCtrlID(grid), 0);

  // A second command of the button opens nothing more.
  HWND calendar = Calendar();
  Click(IDC_CALENDAR);
  EXPECT_EQ(Calendar(), calendar);
  EXPECT_EQ(Grid(), grid);

  // Closed by its button, the journal's editor has the focus, not the
  // first control in the tab order.
  ::SendMessageA(::GetDlgItem(Calendar(), IDCANCEL), BM_CLICK, 0, 0);
  ::SetFocus(::GetDlgItem(dialog_.m_hWnd, IDC_CALENDAR));
  OpenCalendar();
  ::SendMessageA(::GetDlgItem(Calendar(), IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_FALSE(dialog_.IsCalendarOpen());
  EXPECT_TRUE(CalendarButtonEnabled());
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR));

  // Opened again, it shows the same day.
  OpenCalendar();
  EXPECT_EQ(Model().current_cell(), 12 + 15 - 1);
}

TEST_F(CalendarTest, ButtonKeysAndCloseBoxCloseIt) {
  OpenAt("200905", 15);
  struct Way {
    const char* name;
    void (*close)(HWND calendar);
  };
  const Way ways[] = {
      {"button", [](HWND c) { ::SendMessageA(::GetDlgItem(c, IDCANCEL), BM_CLICK, 0, 0); }},
      {"Enter", [](HWND c) { ::PostMessageA(::GetDlgItem(c, IDCANCEL), WM_KEYDOWN, VK_RETURN, 1); }},
      {"Escape", [](HWND c) { ::PostMessageA(::GetDlgItem(c, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1); }},
      {"close box", [](HWND c) { ::SendMessageA(c, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    OpenCalendar();
    way.close(Calendar());
    Pump();
    EXPECT_FALSE(dialog_.IsCalendarOpen());
    EXPECT_TRUE(CalendarButtonEnabled());
    EXPECT_TRUE(::IsWindow(dialog_.m_hWnd));
  }
}

TEST_F(CalendarTest, PositionIsKeptAndPulledBackFromBeyondTheScreen) {
  OpenAt("200905", 15);
  dialog_.MoveWindow(120, 80, 500, 340);
  dialog_.m_nCalendarX = 300;
  dialog_.m_nCalendarY = 40;
  OpenCalendar();
  RECT rect{};
  ::GetWindowRect(Calendar(), &rect);
  EXPECT_EQ(rect.left, 300);
  EXPECT_EQ(rect.top, 40);

  // Moved by the user: kept in the journal's fields when it closes.
  ::MoveWindow(Calendar(), 210, 25, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  ::SendMessageA(Calendar(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(dialog_.m_nCalendarX, 210);
  EXPECT_EQ(dialog_.m_nCalendarY, 25);

  // Beyond the screen: the journal's corner, stored back at once.
  const struct {
    int x, y, wantX, wantY;
  } cases[] = {
      {::GetSystemMetrics(SM_CXSCREEN) + 1, 30, 120, 30},
      {30, ::GetSystemMetrics(SM_CYSCREEN) + 1, 30, 80},
      {0, 0, 0, 0},
      {-20, -10, -20, -10},  // not corrected
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    dialog_.m_nCalendarX = c.x;
    dialog_.m_nCalendarY = c.y;
    OpenCalendar();
    EXPECT_EQ(dialog_.m_nCalendarX, c.wantX);
    EXPECT_EQ(dialog_.m_nCalendarY, c.wantY);
    ::GetWindowRect(Calendar(), &rect);
    EXPECT_EQ(rect.left, c.wantX);
    EXPECT_EQ(rect.top, c.wantY);
    ::SendMessageA(Calendar(), WM_COMMAND, IDCANCEL, 0);
  }
}

TEST_F(CalendarTest, FollowsEveryDateChangeOfTheJournal) {
  OpenAt("200905", 15);
  OpenCalendar();
  const struct {
    const char* name;
    int button;
    const char* caption;
    int year, month, day;
  } steps[] = {
      {"next day", IDC_NEXT_DAY, "[2009年5月]", 2009, 5, 16},
      {"next month", IDC_NEXT_MONTH, "[2009年6月]", 2009, 6, 16},
      {"previous year", IDC_PREV_YEAR, "[2008年6月]", 2008, 6, 16},
      {"previous month", IDC_PREV_MONTH, "[2008年5月]", 2008, 5, 16},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    Click(s.button);
    EXPECT_EQ(WindowText(Calendar()), s.caption);
    const vorta::CalendarDate& shown = Model().shown();
    EXPECT_EQ(shown.year, s.year);
    EXPECT_EQ(shown.month, s.month);
    EXPECT_EQ(shown.day, s.day);
    EXPECT_EQ(Model().DayOfCell(Model().current_cell()), s.day);
  }

  // Today: back in today's month, today's cell is known.
  Click(IDC_TODAY);
  const SYSTEMTIME& today = dialog_.Today();
  char caption[32];
  std::snprintf(caption, sizeof caption, "[%d年%d月]", today.wYear, today.wMonth);
  EXPECT_EQ(WindowText(Calendar()), caption);
  EXPECT_EQ(Model().DayOfCell(Model().today_cell()), today.wDay);
  EXPECT_EQ(Model().today_cell(), Model().current_cell());
}

TEST_F(CalendarTest, AClickedDayBecomesTheJournalsDay) {
  OpenAt("200905", 15);
  OpenCalendar();
  ::SetDlgItemTextA(dialog_.m_hWnd, IDC_EDITOR, "十五日の日記");
  ClickDay(20);
  EXPECT_EQ(Title(), vorta::FormatTitleLine(2009, 5, 20, 3));
  EXPECT_EQ(dialog_.CurrentDate().wDayOfWeek, 3);
  EXPECT_EQ(WindowText(::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR)), "");
  EXPECT_EQ(Model().DayOfCell(Model().current_cell()), 20);
  // The 15th's entry went into the month and has its number drawn twice.
  EXPECT_EQ(dialog_.Month().days_with_text()[14], 1);

  // The current day, the header, an empty cell and a point past the grid
  // change nothing.
  ::SetDlgItemTextA(dialog_.m_hWnd, IDC_EDITOR, "二十日");
  ClickDay(20);
  const vorta::CellRect header = Model().FrameRect(3);
  ::SendMessageA(Grid(), WM_LBUTTONUP, 0, MAKELPARAM(header.left + 5, header.top + 5));
  const vorta::CellRect empty = Model().FrameRect(8);  // May 2009 starts on a Friday
  ::SendMessageA(Grid(), WM_LBUTTONUP, 0, MAKELPARAM(empty.left + 5, empty.top + 5));
  ::SendMessageA(Grid(), WM_LBUTTONUP, 0, MAKELPARAM(2000, 5));
  EXPECT_EQ(Title(), vorta::FormatTitleLine(2009, 5, 20, 3));
  EXPECT_EQ(WindowText(::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR)), "二十日");
}

TEST_F(CalendarTest, TheMarkShowsAtOnce) {
  OpenAt("200905", 15);
  OpenCalendar();
  EXPECT_EQ(Model().GroundOfDay(15), vorta::DayGround::kWhite);
  ::SendMessageA(::GetDlgItem(dialog_.m_hWnd, IDC_ANNIVERSARY), BM_SETCHECK, BST_CHECKED, 0);
  Click(IDC_ANNIVERSARY);
  EXPECT_EQ(Model().GroundOfDay(15), vorta::DayGround::kGreen);
  ::SendMessageA(::GetDlgItem(dialog_.m_hWnd, IDC_ANNIVERSARY), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(IDC_ANNIVERSARY);
  EXPECT_EQ(Model().GroundOfDay(15), vorta::DayGround::kWhite);
}

TEST_F(CalendarTest, ADayTheMonthCannotTakeKeepsTheFrameOnTheShownDay) {
  ASSERT_TRUE(WriteFullDamagedMonth(2009, 5));
  OpenAt("200905", 15);
  OpenCalendar();
  ::SetDlgItemTextA(dialog_.m_hWnd, IDC_EDITOR, "入らない日記");  // the 15th has no record yet
  const auto messages = boxes_.Run([&] { ClickDay(20); });
  EXPECT_EQ(messages, std::vector<std::string>{"データの書込みに失敗しました。"});
  EXPECT_EQ(dialog_.CurrentDate().wDay, 15);
  EXPECT_EQ(Model().DayOfCell(Model().current_cell()), 15);
}

TEST_F(CalendarTest, ClosingRecordsWhetherItWasOpen) {
  OpenAt("200905", 15);
  // The dialog is hosted modeless here: ending it only sets its result, so
  // both ways of closing can be tried in turn.
  const struct {
    const char* name;
    bool calendarOpen;
    void (*close)(CJournalDlg& journal);
  } cases[] = {
      {"close button, calendar open", true, [](CJournalDlg& j) { j.SendMessage(WM_COMMAND, IDOK, 0); }},
      {"close button, calendar closed", false, [](CJournalDlg& j) { j.SendMessage(WM_COMMAND, IDOK, 0); }},
      {"close box, calendar open", true, [](CJournalDlg& j) { j.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"close box, calendar closed", false, [](CJournalDlg& j) { j.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.calendarOpen && !Calendar()) OpenCalendar();
    if (!c.calendarOpen && Calendar()) ::SendMessageA(Calendar(), WM_COMMAND, IDCANCEL, 0);
    dialog_.m_bCalendarShown = c.calendarOpen ? 0 : 1;
    c.close(dialog_);
    EXPECT_EQ(dialog_.m_bCalendarShown, c.calendarOpen ? 1 : 0);
  }
}

TEST_F(CalendarTest, ReopensAtStartWhenItWasOpen) {
  OpenAt("200905", 15, 1);
  ASSERT_TRUE(dialog_.IsCalendarOpen());
  EXPECT_FALSE(CalendarButtonEnabled());
}

TEST_F(CalendarTest, AltCGivesItTheFocus) {
  OpenAt("200905", 15);
  HWND editor = ::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR);
  const LPARAM altC = 1 | (0x2E << 16) | (1 << 29);
  // Without a calendar the key is the button's mnemonic and opens it.
  ::SetFocus(editor);
  ::PostMessageA(editor, WM_SYSKEYDOWN, 'C', altC);
  Pump();
  ASSERT_TRUE(dialog_.IsCalendarOpen());

  ::SetFocus(editor);
  ASSERT_EQ(::GetFocus(), editor);
  ::PostMessageA(editor, WM_SYSKEYDOWN, 'C', altC);
  Pump();
  EXPECT_EQ(::GetAncestor(::GetFocus(), GA_ROOT), Calendar());
}

}  // namespace
