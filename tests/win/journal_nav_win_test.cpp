// Moving the main dialog between dates in the test's own process: the
// operations the calendar and search windows call, the Today button, failed
// writes and the end of the session, with the month files in a DATA folder
// beside the test program.
#include "journal/window/journal_dlg.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "journal/data/calendar.h"
#include "journal/data/month_codec.h"
#include "journal/data/month_file_win.h"
#include "journal/res/resource.h"
#include "tests/win/dialog_test_support.h"

namespace {

constexpr char kWriteFailed[] = "データの書込みに失敗しました。";

bool FailingSave() { return false; }

struct Date {
  int year, month, day, weekday;
};

class JournalNavigationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_ = UseTemporaryProfile("nav-test");
    data_ = ProgramFolder() + "DATA";
    ::CreateDirectoryA(data_.c_str(), nullptr);
    RemoveMonthFiles();
    boxes_.Start();
  }
  void TearDown() override {
    EXPECT_EQ(boxes_.Take(), std::vector<std::string>{}) << "messages nobody expected";
    boxes_.Stop();
    vorta::SetSaveHookForTesting(nullptr);
    if (dialog_.m_hWnd) dialog_.DestroyWindow();
    RemoveMonthFiles();
    ::RemoveDirectoryA(data_.c_str());
    ::DeleteFileA(profile_.c_str());
  }
  void RemoveMonthFiles() {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((data_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      const std::string path = data_ + "\\" + found.cFileName;
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      }
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }

  void Open() {
    dialog_.m_nFontSizeItem = IDM_FONT_MEDIUM;
    ASSERT_TRUE(dialog_.Create(IDD_JOURNAL));
  }
  // Opens the dialog and goes to a known date.
  void OpenAt(const char* yearMonth, WORD day) {
    Open();
    dialog_.GoToDate(yearMonth, day);
  }

  HWND Item(int id) const { return ::GetDlgItem(dialog_.m_hWnd, id); }
  std::string Text(int id) const {
    std::string text(6000, '\0');
    text.resize(static_cast<size_t>(::GetDlgItemTextA(dialog_.m_hWnd, id, text.data(), static_cast<int>(text.size()))));
    return text;
  }
  void Type(const char* text) { ::SetDlgItemTextA(dialog_.m_hWnd, IDC_EDITOR, text); }
  void Click(int id) { dialog_.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id))); }

  void ExpectShown(const Date& date) {
    const SYSTEMTIME& shown = dialog_.CurrentDate();
    EXPECT_EQ(shown.wYear, date.year);
    EXPECT_EQ(shown.wMonth, date.month);
    EXPECT_EQ(shown.wDay, date.day);
    EXPECT_EQ(shown.wDayOfWeek, date.weekday);
    EXPECT_EQ(Text(IDC_TITLE_GROUP), vorta::FormatTitleLine(date.year, date.month, date.day, date.weekday));
  }

  std::string profile_;
  std::string data_;
  CJournalDlg dialog_;
  BoxAnswerer boxes_;
};

// From any date to any other: the weekday is carried along by the steps.
TEST_F(JournalNavigationTest, GoToDateReachesTheDateWithItsWeekday) {
  Open();
  const struct {
    const char* yearMonth;
    WORD day;
    Date expected;
  } cases[] = {
      {"200907", 15, {2009, 7, 15, 3}},
      {"200103", 31, {2001, 3, 31, 6}},  // 8 years back, 4 months back, 16 days on
      {"200002", 31, {2000, 2, 29, 2}},  // a day past the month's end: its last day
      {"190002", 29, {1900, 2, 28, 3}},  // no 29th in 1900
      {"2005011", 0, {2005, 1, 1, 6}},   // only six characters count; day 0 is the 1st
      {"999912", 31, {9999, 12, 31, 5}},
      {"200501", 31, {2005, 1, 31, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.yearMonth) + " day " + std::to_string(c.day));
    dialog_.GoToDate(c.yearMonth, c.day);
    ExpectShown(c.expected);
  }
}

// At the first and last dates the steps that would leave them change nothing.
TEST_F(JournalNavigationTest, StepsStopAtTheFirstAndLastDates) {
  Open();
  const struct {
    const char* yearMonth;
    WORD day;
    int button;
    Date expected;
  } cases[] = {
      {"999912", 31, IDC_NEXT_DAY, {9999, 12, 31, 5}},
      {"999912", 31, IDC_NEXT_MONTH, {9999, 12, 31, 5}},
      {"999912", 31, IDC_NEXT_YEAR, {9999, 12, 31, 5}},
      {"999911", 30, IDC_NEXT_YEAR, {9999, 11, 30, 2}},
      {"000101", 1, IDC_PREV_DAY, {1, 1, 1, 1}},
      {"000101", 1, IDC_PREV_MONTH, {1, 1, 1, 1}},
      {"000101", 1, IDC_PREV_YEAR, {1, 1, 1, 1}},
      {"000102", 1, IDC_PREV_YEAR, {1, 2, 1, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.yearMonth) + " button " + std::to_string(c.button));
    dialog_.GoToDate(c.yearMonth, c.day);
    Type("端の日");
    Click(c.button);
    ExpectShown(c.expected);
    EXPECT_EQ(Text(IDC_EDITOR), "端の日");
    Type("");
  }
}

TEST_F(JournalNavigationTest, SelectDayStaysInTheMonthAndKeepsTheEntry) {
  OpenAt("200907", 15);
  Type("十五日の日記");
  dialog_.SelectDay(4);
  ExpectShown({2009, 7, 4, 6});
  EXPECT_EQ(Text(IDC_EDITOR), "");
  // The month is written only when it is left.
  EXPECT_FALSE(ReadBytes(MonthPath(2009, 7)).has_value());

  // Days the month does not have, and the day shown, change nothing.
  for (WORD day : {0, 32, 4}) {
    dialog_.SelectDay(day);
    ExpectShown({2009, 7, 4, 6});
  }
  dialog_.SelectDay(31);
  ExpectShown({2009, 7, 31, 5});
  dialog_.SelectDay(15);
  EXPECT_EQ(Text(IDC_EDITOR), "十五日の日記");

  dialog_.GoToDate("200908", 1);
  EXPECT_EQ(StoredText(2009, 7, 15), "十五日の日記");
}

TEST_F(JournalNavigationTest, SaveAndReloadWritesTheEntryOnScreen) {
  OpenAt("201012", 24);
  Type("聖夜");
  ::SendMessageA(Item(IDC_WEATHER), CB_SETCURSEL, 5, 0);
  EXPECT_EQ(dialog_.SaveAndReload(), 1);
  EXPECT_EQ(StoredText(2010, 12, 24), "聖夜");
  EXPECT_EQ(Text(IDC_EDITOR), "聖夜");
  EXPECT_EQ(::SendMessageA(Item(IDC_WEATHER), CB_GETCURSEL, 0, 0), 5);

  // When the month cannot be written, the entry is not read over with the old file.
  vorta::SetSaveHookForTesting(FailingSave);
  Type("聖夜、書き足し");
  std::vector<std::string> messages = boxes_.Run([&] { EXPECT_EQ(dialog_.SaveAndReload(), 1); });
  EXPECT_EQ(messages, std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(StoredText(2010, 12, 24), "聖夜");
  EXPECT_EQ(Text(IDC_EDITOR), "聖夜、書き足し");
  vorta::SetSaveHookForTesting(nullptr);
  EXPECT_EQ(dialog_.SaveAndReload(), 1);
  EXPECT_EQ(StoredText(2010, 12, 24), "聖夜、書き足し");
}

TEST_F(JournalNavigationTest, TodayButtonComesBackFromAnotherMonth) {
  Open();
  const SYSTEMTIME today = dialog_.Today();
  const Date todayDate{today.wYear, today.wMonth, today.wDay, today.wDayOfWeek};
  ExpectShown(todayDate);
  Type("今日の日記");

  dialog_.GoToDate("198804", 10);
  EXPECT_EQ(StoredText(today.wYear, today.wMonth, today.wDay), "今日の日記");
  Type("昔の日記");
  Click(IDC_TODAY);
  ExpectShown(todayDate);
  EXPECT_EQ(Text(IDC_EDITOR), "今日の日記");
  EXPECT_EQ(StoredText(1988, 4, 10), "昔の日記");

  // Within today's month nothing is written: the entry waits in the buffer.
  const WORD otherDay = today.wDay == 1 ? 2 : 1;
  dialog_.SelectDay(otherDay);
  Type("同じ月の別の日");
  Click(IDC_TODAY);
  ExpectShown(todayDate);
  EXPECT_EQ(StoredText(today.wYear, today.wMonth, otherDay), std::nullopt);
  dialog_.SelectDay(otherDay);
  EXPECT_EQ(Text(IDC_EDITOR), "同じ月の別の日");
}

// Every command that leaves the month, with the write failing: the message,
// then the same day with its entry, as if the command had not been given.
TEST_F(JournalNavigationTest, AFailedWriteAbandonsEveryStep) {
  const struct {
    const char* name;
    std::function<void()> step;
  } steps[] = {
      {"next day", [this] { Click(IDC_NEXT_DAY); }},
      {"next month", [this] { Click(IDC_NEXT_MONTH); }},
      {"previous year", [this] { Click(IDC_PREV_YEAR); }},
      {"today", [this] { Click(IDC_TODAY); }},
      {"go to date", [this] { dialog_.GoToDate("200908", 1); }},
  };
  Open();
  dialog_.GoToDate("200907", 31);
  for (const auto& s : steps) {
    SCOPED_TRACE(s.name);
    Type("三十一日の日記");
    ::SetFocus(Item(IDC_NEXT_DAY));  // where a click leaves it
    vorta::SetSaveHookForTesting(FailingSave);
    const auto messages = boxes_.Run(s.step);
    EXPECT_EQ(messages, std::vector<std::string>{kWriteFailed});
    ExpectShown({2009, 7, 31, 5});
    EXPECT_EQ(Text(IDC_EDITOR), "三十一日の日記");
    EXPECT_EQ(::GetFocus(), Item(IDC_EDITOR));
    EXPECT_FALSE(ReadBytes(MonthPath(2009, 7)).has_value());
  }
  // The disk is back: the next step writes the entry.
  vorta::SetSaveHookForTesting(nullptr);
  Click(IDC_NEXT_DAY);
  ExpectShown({2009, 8, 1, 6});
  EXPECT_EQ(StoredText(2009, 7, 31), "三十一日の日記");
}

TEST_F(JournalNavigationTest, EndOfSessionSavesTheEntryOnScreen) {
  OpenAt("201101", 2);
  Type("仕事始め");
  dialog_.SendMessage(WM_ENDSESSION, FALSE, 0);  // the session goes on
  EXPECT_FALSE(ReadBytes(MonthPath(2011, 1)).has_value());
  dialog_.SendMessage(WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(StoredText(2011, 1, 2), "仕事始め");
}

// The session ends while the write-failure message of a day step is up: the
// entry belongs to the day still shown, in its own month.
TEST_F(JournalNavigationTest, EndOfSessionDuringAFailedStepSavesIntoTheShownMonth) {
  OpenAt("200907", 31);
  Type("月末の日記");
  vorta::SetSaveHookForTesting(FailingSave);
  const auto messages = boxes_.Run([&] { Click(IDC_NEXT_DAY); }, IDOK, [&] {
    vorta::SetSaveHookForTesting(nullptr);
    dialog_.SendMessage(WM_ENDSESSION, TRUE, 0);
  });
  EXPECT_EQ(messages, std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(StoredText(2009, 7, 31), "月末の日記");
  EXPECT_FALSE(ReadBytes(MonthPath(2009, 8)).has_value());
  ExpectShown({2009, 7, 31, 5});
}

// A damaged month that already counts 255 records takes no new day: the entry
// stays on screen with the write-failure message; days it has still change.
TEST_F(JournalNavigationTest, AFullDamagedMonthKeepsANewEntryOnScreen) {
  ASSERT_TRUE(WriteFullDamagedMonth(2009, 7));

  OpenAt("200907", 20);
  Type("新しい日");
  const auto messages = boxes_.Run([&] { Click(IDC_NEXT_DAY); });
  EXPECT_EQ(messages, std::vector<std::string>{kWriteFailed});
  ExpectShown({2009, 7, 20, 1});
  EXPECT_EQ(Text(IDC_EDITOR), "新しい日");

  // A mark the month cannot take comes off the box again.
  Type("");
  ::SendMessageA(Item(IDC_ANNIVERSARY), BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(boxes_.Run([&] { Click(IDC_ANNIVERSARY); }), std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(::SendMessageA(Item(IDC_ANNIVERSARY), BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // A day the month already holds can still be rewritten; before a search
  // the month is written with it even while the new day is refused.
  dialog_.SelectDay(3);
  Type("三日を書き直す");
  dialog_.SelectDay(20);
  Type("新しい日");
  EXPECT_EQ(boxes_.Run([&] { EXPECT_EQ(dialog_.SaveAndReload(), 1); }), std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(StoredText(2009, 7, 3), "三日を書き直す");
  ExpectShown({2009, 7, 20, 1});
  EXPECT_EQ(Text(IDC_EDITOR), "新しい日");
  // When the month cannot be written either, one message tells of both.
  vorta::SetSaveHookForTesting(FailingSave);
  EXPECT_EQ(boxes_.Run([&] { EXPECT_EQ(dialog_.SaveAndReload(), 1); }), std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(boxes_.Run([&] { Click(IDOK); }), std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(Text(IDC_EDITOR), "新しい日");
}

// Closing on a day the full month cannot take: the other days are written
// all the same, and the second close asks before it ends without the day.
TEST_F(JournalNavigationTest, ClosingWithADayTheFullMonthCannotTakeKeepsTheOtherDays) {
  ASSERT_TRUE(WriteFullDamagedMonth(2009, 7));

  OpenAt("200907", 3);
  Type("三日を書き直す");
  dialog_.SelectDay(20);
  Type("新しい日");
  EXPECT_EQ(boxes_.Run([&] { Click(IDOK); }), std::vector<std::string>{kWriteFailed});
  EXPECT_EQ(StoredText(2009, 7, 3), "三日を書き直す");
  EXPECT_EQ(Text(IDC_EDITOR), "新しい日");

  // The session ends: no message holds up the write.
  dialog_.SendMessage(WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(boxes_.Take(), std::vector<std::string>{});
  EXPECT_EQ(StoredText(2009, 7, 3), "三日を書き直す");

  EXPECT_EQ(boxes_.Run([&] { Click(IDOK); }, IDYES),
            (std::vector<std::string>{kWriteFailed, "保存せずに終了しますか?"}));
}

}  // namespace
