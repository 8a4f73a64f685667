// The journal program driven from outside, as a person would use it: started
// from a fresh folder, its window found by its title, its controls clicked
// and filled, its files and profile read afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/scoped_handle_win.h"
#include "harness/e2e.h"

#include "journal_fixture.h"

namespace {

using namespace e2e;

TEST_F(JournalTest, WithoutDataFolderItRefusesToStart) {
  Process& p = sandbox_.Start(exe_);
  ASSERT_TRUE(p.started());
  HWND box = WaitForJournalBox(p.id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GetText(box).value_or(""), kTitle);
  EXPECT_EQ(MessageBoxText(box).value_or(""),
            "ミルネが正常にセットアップされていません。\n"
            "もう一度セットアップを起動し上書きインストールしてください。");
  EXPECT_TRUE(AnswerMessageBox(box, kIdOk));
  EXPECT_EQ(p.WaitForExit(5000), std::optional<DWORD>(0));
  EXPECT_FALSE(FileExists(ProfilePath())) << "an early exit writes no setting";
}

TEST_F(JournalTest, FirstStartUsesTheTemplateSizeAndWritesTheSettingsBack) {
  MakeData();
  Launch();
  const RECT rect = WindowRect(main_);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  CloseAndWait();

  const struct { const char* section; const char* key; std::string value; } expected[] = {
      {"WINDOW", "X", "0"},
      {"WINDOW", "Y", "0"},
      {"WINDOW", "CX", std::to_string(rect.right - rect.left)},
      {"WINDOW", "CY", std::to_string(rect.bottom - rect.top)},
      {"CAL_WINDOW", "X", "0"},
      {"CAL_WINDOW", "Y", "0"},
      {"CAL_WINDOW", "Disp", "0"},
      {"FIND_WINDOW", "X", "0"},
      {"FIND_WINDOW", "Y", "0"},
      {"FONT", "SIZE", "64"},
  };
  for (const auto& e : expected)
    EXPECT_EQ(ReadProfileValue(e.section, e.key).value_or("(none)"), e.value) << e.section << "/" << e.key;
}

TEST_F(JournalTest, OversizedSavedWidthIsClampedToTheScreen) {
  MakeData();
  ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
  ASSERT_TRUE(WriteFileBytes(ProfilePath(), "[WINDOW]\r\nX=200\r\nY=10\r\nCX=99999\r\nCY=400\r\n"));
  Launch();
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  const RECT rect = WindowRect(main_);
  EXPECT_EQ(rect.right - rect.left, screen - 1);
  EXPECT_EQ(rect.left, 1) << "moved so that it ends at the right edge";
  EXPECT_EQ(rect.top, 10);
  EXPECT_EQ(rect.bottom - rect.top, 400);
}

TEST_F(JournalTest, SecondStartWakesTheRunningCopyAndEnds) {
  MakeData();
  Launch();
  Process& second = sandbox_.Start(exe_);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(8000), std::optional<DWORD>(0));
  EXPECT_EQ(FindTopWindow(kTitle, second.id()), nullptr);
  EXPECT_TRUE(process_->running());
  EXPECT_EQ(FindTopWindow(kTitle, process_->id()), main_);
}

TEST_F(JournalTest, SecondStartRestoresAMinimisedCopy) {
  MakeData();
  Launch();
  ASSERT_TRUE(PostMessageA(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, 3000));
  Process& second = sandbox_.Start(exe_);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(8000), std::optional<DWORD>(0));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(main_) && IsWindowVisible(main_); }, 3000)) << "still minimised";
  EXPECT_EQ(FindTopWindow(kTitle, second.id()), nullptr);
}

TEST_F(JournalTest, NextDayFromTheLastOfJanuaryWritesJanuary) {
  MakeData();
  Launch();
  NavigateTo({2005, 1, 31});
  const std::string text = "日記\r\n二行目";
  ASSERT_TRUE(SetControlText(main_, kEditor, text));
  ASSERT_TRUE(SetComboSelection(main_, kWeather, 1));
  ASSERT_TRUE(ClickButton(main_, kNextDay));

  EXPECT_EQ(TitleLine(), "2005年 2月 1日（火曜日）");
  EXPECT_EQ(EditorText(), "");
  EXPECT_EQ(File(MonthFileName(2005, 1)), MonthFile(1, Record(31, 1 << 11, text)));
  EXPECT_FALSE(File(MonthFileName(2005, 2)).has_value()) << "an empty month creates no file";
  EXPECT_EQ(FocusedWindow(), GetDlgItem(main_, kEditor)) << "the focus goes back to the editor";
}

TEST_F(JournalTest, NextMonthFromTheLastOfJanuaryClampsTheDay) {
  MakeData();
  Launch();
  NavigateTo({2005, 1, 31});
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(TitleLine(), "2005年 2月28日（月曜日）");
  ASSERT_TRUE(ClickButton(main_, kPrevYear));
  EXPECT_EQ(TitleLine(), "2004年 2月28日（土曜日）");
  ASSERT_TRUE(ClickButton(main_, kNextDay));
  ASSERT_TRUE(ClickButton(main_, kNextYear));
  EXPECT_EQ(TitleLine(), "2005年 2月28日（月曜日）") << "29 February into a common year";
}

TEST_F(JournalTest, EditingAnEarlierDayMovesItsRecordToTheEnd) {
  MakeData();
  ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(2005, 3)),
                             MonthFile(3, Record(1, 0, "one") + Record(3, 0, "three") + Record(5, 0, "five"))));
  Launch();
  NavigateTo({2005, 3, 3});
  EXPECT_EQ(EditorText(), "three");
  ASSERT_TRUE(SetControlText(main_, kEditor, "three, edited"));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(File(MonthFileName(2005, 3)),
            MonthFile(3, Record(1, 0, "one") + Record(5, 0, "five") + Record(3, 0, "three, edited")));
}

TEST_F(JournalTest, WeatherMoodAndMarkAreStoredInTheAttributeWord) {
  MakeData();
  Launch();
  NavigateTo({2005, 6, 10});
  ASSERT_TRUE(SetControlText(main_, kEditor, "x"));
  ASSERT_TRUE(SetComboSelection(main_, kWeather, 3));
  ASSERT_TRUE(SetComboSelection(main_, kMood, 2));
  ASSERT_TRUE(ClickButton(main_, kAnniversary));  // through the program: the checkbox handler runs
  EXPECT_EQ(GetCheck(main_, kAnniversary), std::optional<int>(BST_CHECKED));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  const auto file = File(MonthFileName(2005, 6));
  ASSERT_TRUE(file.has_value());
  ASSERT_GE(file->size(), 11u);
  EXPECT_EQ(static_cast<unsigned char>((*file)[9] ^ 0x6B), 0x40);
  EXPECT_EQ(static_cast<unsigned char>((*file)[10] ^ 0x6B), 0x19);

  // Back on the day, the pickers and the mark show what was stored.
  ASSERT_TRUE(ClickButton(main_, kPrevMonth));
  EXPECT_EQ(GetComboSelection(main_, kWeather), std::optional<int>(3));
  EXPECT_EQ(GetComboSelection(main_, kMood), std::optional<int>(2));
  EXPECT_EQ(GetCheck(main_, kAnniversary), std::optional<int>(BST_CHECKED));
}

TEST_F(JournalTest, ClearedEntriesDoNotComeBackFromTheOldFile) {
  MakeData();
  Launch();
  NavigateTo({2005, 7, 4});
  const std::string empty_month = MonthFile(0, "");

  // The only entry of a month, cleared: rewritten as an empty record.
  ASSERT_TRUE(SetControlText(main_, kEditor, "soon gone"));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  ASSERT_TRUE(ClickButton(main_, kPrevMonth));
  ASSERT_TRUE(SetControlText(main_, kEditor, ""));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(File(MonthFileName(2005, 7)), MonthFile(1, Record(4, 0, "")));
  // Left empty once more: the record goes and the month is written empty.
  ASSERT_TRUE(ClickButton(main_, kPrevMonth));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(File(MonthFileName(2005, 7)), empty_month);

  // A weather-only day set back to the first item: no stale weather on disk.
  ASSERT_TRUE(ClickButton(main_, kPrevMonth));
  ASSERT_TRUE(SetComboSelection(main_, kWeather, 5));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(File(MonthFileName(2005, 7)), MonthFile(1, Record(4, 5 << 11, "")));
  ASSERT_TRUE(ClickButton(main_, kPrevMonth));
  EXPECT_EQ(GetComboSelection(main_, kWeather), std::optional<int>(5));
  ASSERT_TRUE(SetComboSelection(main_, kWeather, 0));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(File(MonthFileName(2005, 7)), empty_month);
}

TEST_F(JournalTest, UnknownStoredWeatherIsKept) {
  MakeData();
  ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(2005, 8)), MonthFile(1, Record(9, 29 << 11 | 5 << 7, "later version"))));
  Launch();
  NavigateTo({2005, 8, 9});
  EXPECT_EQ(GetComboSelection(main_, kWeather), std::optional<int>(-1));
  EXPECT_EQ(GetComboSelection(main_, kMood), std::optional<int>(-1));
  ASSERT_TRUE(SetControlText(main_, kEditor, "edited"));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(File(MonthFileName(2005, 8)), MonthFile(1, Record(9, 29 << 11 | 5 << 7, "edited")));
}

TEST_F(JournalTest, OldFormatOfTheCurrentMonthIsRefused) {
  const struct { const char* name; std::string bytes; const char* message; } cases[] = {
      {"Q12", std::string("Q12\x01\x05\x00\x00\x00", 8) + "abcde", "Ver1.47以前のﾌｧｲﾙの形式です。"},
      {"short", "Q2", "Ver1.0以前のﾌｧｲﾙの形式 または ミルネのﾌｧｲﾙの形式ではありません。"},
  };
  const Date today = Today();
  MakeData();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(today.year, today.month)), c.bytes));
    Process& p = sandbox_.Start(exe_);
    HWND box = WaitForJournalBox(p.id());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box).value_or(""), c.message);
    EXPECT_TRUE(AnswerMessageBox(box, kIdOk));
    EXPECT_EQ(p.WaitForExit(5000), std::optional<DWORD>(0));
    EXPECT_EQ(File(MonthFileName(today.year, today.month)), c.bytes) << "the file is left alone";
  }
}

// Stepping into a month kept in an old format: the message, and the journal
// ends with the month it left written and the old file untouched.
TEST_F(JournalTest, StepIntoAMonthOfAnOldFormatEndsAfterSavingTheMonthLeft) {
  MakeData();
  const std::string old_format = std::string("Q12\x01\x05\x00\x00\x00", 8) + "abcde";
  ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(2005, 2)), old_format));
  Launch();
  NavigateTo({2005, 3, 1});  // from later months: February is never passed
  ASSERT_TRUE(SetControlText(main_, kEditor, "三月の初め"));
  ASSERT_TRUE(PressButton(main_, kPrevDay));
  HWND box = WaitForJournalBox(process_->id(), main_);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box).value_or(""), "Ver1.47以前のﾌｧｲﾙの形式です。");
  ASSERT_TRUE(AnswerMessageBox(box, kIdOk));
  EXPECT_EQ(process_->WaitForExit(5000), std::optional<DWORD>(0));
  EXPECT_EQ(File(MonthFileName(2005, 3)), MonthFile(1, Record(1, 0, "三月の初め")));
  EXPECT_EQ(File(MonthFileName(2005, 2)), old_format);
  EXPECT_TRUE(ReadProfileValue("WINDOW", "CX").has_value()) << "the settings are written whatever the result";
}

// A month file that is there but cannot be read (another program holds it)
// is never taken for an empty month that a save would then write over.
TEST_F(JournalTest, MonthThatCannotBeReadEndsTheJournal) {
  MakeData();
  const Date today = Today();
  const std::string bytes = MonthFile(1, Record(today.day, 0, "held"));
  const std::string path = Data(MonthFileName(today.year, today.month));
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  vorta::ScopedFileHandle held(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held.valid());
  Process& p = sandbox_.Start(exe_);
  HWND box = WaitForJournalBox(p.id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box).value_or(""), "データの読込みに失敗しました。");
  EXPECT_TRUE(AnswerMessageBox(box, kIdOk));
  EXPECT_EQ(p.WaitForExit(5000), std::optional<DWORD>(0));
  held.Close();
  EXPECT_EQ(File(MonthFileName(today.year, today.month)), bytes);
}

TEST_F(JournalTest, FailedWriteKeepsTheEntryUntilTheFileCanBeWritten) {
  MakeData();
  const std::string old_file = MonthFile(1, Record(2, 0, "old"));
  const std::string path = Data(MonthFileName(2005, 9));
  ASSERT_TRUE(WriteFileBytes(path, old_file));
  ASSERT_TRUE(SetReadOnly(path, true));
  Launch();
  NavigateTo({2005, 9, 2});
  ASSERT_TRUE(SetControlText(main_, kEditor, "must not be lost"));
  const std::string title = TitleLine();

  ASSERT_TRUE(PressButton(main_, kNextMonth));
  HWND box = WaitForJournalBox(process_->id(), main_);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box).value_or(""), "データの書込みに失敗しました。");
  ASSERT_TRUE(AnswerMessageBox(box, kIdOk));
  ASSERT_TRUE(WaitUntil([&] { return FindJournalBox(process_->id(), main_) == nullptr; }, 3000));
  EXPECT_EQ(TitleLine(), title) << "the step is abandoned";
  EXPECT_EQ(EditorText(), "must not be lost");
  EXPECT_EQ(File(MonthFileName(2005, 9)), old_file);

  // The user fixes the file and steps again.
  ASSERT_TRUE(SetReadOnly(path, false));
  ASSERT_TRUE(ClickButton(main_, kNextMonth));
  EXPECT_EQ(TitleLine(), "2005年10月 2日（日曜日）");
  EXPECT_EQ(File(MonthFileName(2005, 9)), MonthFile(1, Record(2, 0, "must not be lost")));
}

TEST_F(JournalTest, FailedWriteWhileClosingKeepsTheWindowUntilTheUserGivesUp) {
  MakeData();
  const Date today = Today();
  const std::string path = Data(MonthFileName(today.year, today.month));
  const std::string old_file = MonthFile(0, "");
  ASSERT_TRUE(WriteFileBytes(path, old_file));
  ASSERT_TRUE(SetReadOnly(path, true));
  Launch();
  ASSERT_TRUE(SetControlText(main_, kEditor, "typed today"));

  auto expect_box = [&](const char* text, int answer) {
    HWND box = WaitForJournalBox(process_->id(), main_);
    ASSERT_NE(box, nullptr) << text;
    EXPECT_EQ(MessageBoxText(box).value_or(""), text);
    ASSERT_TRUE(AnswerMessageBox(box, answer));
  };

  // First failing close: the message, and the window stays.
  ASSERT_TRUE(PressButton(main_, kClose));
  expect_box("データの書込みに失敗しました。", kIdOk);
  Sleep(300);
  EXPECT_TRUE(process_->running());
  EXPECT_EQ(EditorText(), "typed today");

  // Second failing close (by the close box): asked, and "No" keeps it open.
  ASSERT_TRUE(PostSysClose(main_));
  expect_box("データの書込みに失敗しました。", kIdOk);
  expect_box("保存せずに終了しますか?", kIdNo);
  Sleep(300);
  EXPECT_TRUE(process_->running());

  // Again, and "Yes" closes without saving.
  ASSERT_TRUE(PressButton(main_, kClose));
  expect_box("データの書込みに失敗しました。", kIdOk);
  expect_box("保存せずに終了しますか?", kIdYes);
  EXPECT_TRUE(process_->WaitForExit(5000).has_value());
  EXPECT_EQ(File(MonthFileName(today.year, today.month)), old_file);
}

TEST_F(JournalTest, CloseBoxSavesAndAPlainCloseDoesNot) {
  MakeData();
  const Date today = Today();
  Launch();
  ASSERT_TRUE(SetControlText(main_, kEditor, "kept"));
  CloseAndWait();
  const std::string saved = MonthFile(1, Record(today.day, 0, "kept"));
  EXPECT_EQ(File(MonthFileName(today.year, today.month)), saved);

  Launch();
  EXPECT_EQ(EditorText(), "kept");
  ASSERT_TRUE(SetControlText(main_, kEditor, "dropped"));
  ASSERT_TRUE(PostClose(main_));
  ASSERT_TRUE(process_->WaitForExit(5000).has_value());
  EXPECT_EQ(File(MonthFileName(today.year, today.month)), saved);
}

TEST_F(JournalTest, CloseButtonSaves) {
  MakeData();
  const Date today = Today();
  Launch();
  ASSERT_TRUE(SetControlText(main_, kEditor, "by the button"));
  ASSERT_TRUE(PressButton(main_, kClose));
  ASSERT_TRUE(process_->WaitForExit(5000).has_value());
  EXPECT_EQ(File(MonthFileName(today.year, today.month)), MonthFile(1, Record(today.day, 0, "by the button")));
}

TEST_F(JournalTest, EscapeNeverClosesTheWindow) {
  MakeData();
  Launch();
  ASSERT_TRUE(SetControlText(main_, kEditor, "still here"));
  // An ordinary key first, as when typing: it puts the editor in dialog mode,
  // in which a multi-line edit answers Escape by closing its dialog.
  ASSERT_TRUE(PostKey(GetDlgItem(main_, kEditor), VK_END));
  for (HWND target : {GetDlgItem(main_, kEditor), main_, GetDlgItem(main_, kToday), GetDlgItem(main_, kWeather)})
    ASSERT_TRUE(PostKey(target, VK_ESCAPE));
  Sleep(500);
  EXPECT_TRUE(process_->running());
  EXPECT_TRUE(IsWindowVisible(main_));
  EXPECT_EQ(EditorText(), "still here");
}

// Alt+Right and Alt+Left step the day whichever control has the key.
TEST_F(JournalTest, AltArrowsStepTheDayFromAnyControl) {
  MakeData();
  Launch();
  NavigateTo({2005, 1, 31});
  ASSERT_TRUE(SetControlText(main_, kEditor, "end of January"));
  for (int id : {kEditor, kToday, kAnniversary, kWeather, kMood, kClose, kNextYear}) {
    SCOPED_TRACE(id);
    HWND control = GetDlgItem(main_, id);
    ASSERT_TRUE(PostKeyDown(control, VK_RIGHT, true));
    EXPECT_TRUE(WaitUntil([&] { return TitleLine() == "2005年 2月 1日（火曜日）"; }, 3000)) << TitleLine();
    ASSERT_TRUE(PostKeyUp(control, VK_RIGHT, true));
    ASSERT_TRUE(PostKeyDown(control, VK_LEFT, true));
    EXPECT_TRUE(WaitUntil([&] { return TitleLine() == "2005年 1月31日（月曜日）"; }, 3000)) << TitleLine();
    ASSERT_TRUE(PostKeyUp(control, VK_LEFT, true));
    EXPECT_EQ(EditorText(), "end of January");
  }
  EXPECT_EQ(File(MonthFileName(2005, 1)), MonthFile(1, Record(31, 0, "end of January")));
}

// A new size moves the right column and the size grip with the right and
// bottom edges and gives the difference to the title box and the editor, pixel
// for pixel, so that going back to the first size gives the first layout again.
TEST_F(JournalTest, ResizingKeepsTheRightColumnAtTheEdge) {
  MakeData();
  Launch();
  auto child_rect = [&](int id) {
    RECT r = WindowRect(GetDlgItem(main_, id));
    MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  enum class Moves { kNot, kRight, kRightAndDown, kGrows };
  const struct {
    int id;
    Moves moves;
  } controls[] = {
      {kClose, Moves::kRight},      {kHelp, Moves::kRight},      {57671, Moves::kRight},     {1020, Moves::kRight},
      {kCalendar, Moves::kRight},   {kNavGroup, Moves::kRight},  {kPrevYear, Moves::kRight}, {1049, Moves::kRight},
      {kNextYear, Moves::kRight},   {kPrevMonth, Moves::kRight}, {1050, Moves::kRight},      {kNextMonth, Moves::kRight},
      {kPrevDay, Moves::kRight},    {1051, Moves::kRight},       {kNextDay, Moves::kRight},  {kToday, Moves::kRight},
      {kSizeGrip, Moves::kRightAndDown}, {kTitleGroup, Moves::kGrows}, {kEditor, Moves::kGrows},
      {kWeather, Moves::kNot},      {kMood, Moves::kNot},        {kAnniversary, Moves::kNot},
  };
  const RECT start = WindowRect(main_);
  const LONG width = start.right - start.left, height = start.bottom - start.top;
  std::map<int, RECT> opened;
  for (const auto& c : controls) opened[c.id] = child_rect(c.id);
  for (const auto& [dx, dy] : {std::pair{200, 120}, std::pair{37, 23}, std::pair{0, 0}}) {
    SCOPED_TRACE("grown by " + std::to_string(dx) + " x " + std::to_string(dy));
    ASSERT_TRUE(ResizeWindow(main_, width + dx, height + dy));
    for (const auto& c : controls) {
      SCOPED_TRACE(c.id);
      RECT expected = opened[c.id];
      switch (c.moves) {
        case Moves::kNot: break;
        case Moves::kRight: OffsetRect(&expected, dx, 0); break;
        case Moves::kRightAndDown: OffsetRect(&expected, dx, dy); break;
        case Moves::kGrows: expected.right += dx; expected.bottom += dy; break;
      }
      const RECT now = child_rect(c.id);
      EXPECT_TRUE(EqualRect(&now, &expected)) << now.left << "," << now.top << "-" << now.right << "," << now.bottom;
    }
    // Measured from the Close button (margin M to the right edge) and the grip:
    // the title box ends M before the column, the editor 2M before it; both
    // end 2 pixels below the grip's top, the editor another M higher.
    const RECT client = ClientRect(main_), close = child_rect(kClose), grip = child_rect(kSizeGrip);
    const LONG margin = client.right - close.right;
    EXPECT_EQ(grip.right, client.right);
    EXPECT_EQ(grip.bottom, client.bottom);
    EXPECT_EQ(child_rect(kTitleGroup).right, close.left - margin);
    EXPECT_EQ(child_rect(kEditor).right, close.left - 2 * margin);
    EXPECT_EQ(child_rect(kTitleGroup).bottom, grip.top + 2);
    EXPECT_EQ(child_rect(kEditor).bottom, grip.top + 2 - margin);
    if (dx == 200) CaptureWindow(main_, "enlarged");
    if (dx == 37) CaptureWindow(main_, "shrunk");
  }

  // Shrinking stops at the minimum size, whatever is asked: the checkbox, two
  // grips and the navigation box side by side; the Close button and three grips
  // (less 2) down.
  const RECT check = opened[kAnniversary], group = opened[kNavGroup], grip = opened[kSizeGrip];
  const LONG min_width = check.right + 2 * (grip.right - grip.left) + (group.right - group.left);
  const LONG min_height = opened[kClose].bottom + 3 * (grip.bottom - grip.top) - 2;
  ASSERT_TRUE(ResizeWindow(main_, 10, 10));
  const RECT smallest = WindowRect(main_);
  EXPECT_EQ(smallest.right - smallest.left, min_width);
  EXPECT_EQ(smallest.bottom - smallest.top, min_height);
  EXPECT_GT(child_rect(kClose).left, child_rect(kAnniversary).right) << "the column never covers the checkbox";
}

TEST_F(JournalTest, Captures) {
  MakeData();
  const Date today = Today();
  ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(today.year, today.month)),
                             MonthFile(1, Record(today.day, 10 << 11 | 0 << 7 | 1 << 6,
                                                 "今日は朝から晴れ。\r\n午後は曇り。\r\n\r\n夜、日記を書く。"))));
  Launch();
  EXPECT_EQ(GetComboSelection(main_, kWeather), std::optional<int>(10));
  EXPECT_EQ(GetCheck(main_, kAnniversary), std::optional<int>(BST_CHECKED));
  EXPECT_FALSE(CaptureWindow(main_, "main").empty());
  EXPECT_FALSE(CaptureComboDropDown(main_, kWeather, "weather-list").empty());
  EXPECT_FALSE(CaptureComboDropDown(main_, kMood, "mood-list").empty());
  const Image image = GrabWindow(main_);
  EXPECT_FALSE(image.IsUniform());
}

// The Help button and F1 in the editor open the help file beside the program.
// Here there is none, and the help viewer says so in a box of its own; the
// journal keeps running.
TEST_F(JournalTest, HelpAsksTheViewerForTheFileBesideTheProgram) {
  MakeData();
  Launch();
  const std::pair<const char*, std::function<bool()>> askers[] = {
      {"Help button", [&] { return PressButton(main_, kHelp); }},
      // F1 comes from the keyboard: the system turns it into a request for help.
      {"F1 in the editor",
       [&] {
         SetForegroundWindow(main_);
         if (!WaitUntil([&] { return GetForegroundWindow() == main_; }, 3000)) return false;
         INPUT keys[2] = {};
         for (INPUT& key : keys) {
           key.type = INPUT_KEYBOARD;
           key.ki.wVk = VK_F1;
         }
         keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
         return SendInput(2, keys, sizeof(INPUT)) == 2;
       }},
  };
  for (const auto& [name, ask] : askers) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(ask());
    HWND viewer_box = nullptr;
    WaitUntil(
        [&] {
          viewer_box = nullptr;
          EnumWindows(
              [](HWND hwnd, LPARAM found) -> BOOL {
                char cls[32] = {}, title[256] = {};
                GetClassNameA(hwnd, cls, sizeof cls);
                GetWindowTextA(hwnd, title, sizeof title);
                if (!IsWindowVisible(hwnd) || std::string(cls) != "#32770" || std::string(title) == kTitle) return TRUE;
                *reinterpret_cast<HWND*>(found) = hwnd;
                return FALSE;
              },
              reinterpret_cast<LPARAM>(&viewer_box));
          return viewer_box != nullptr;
        },
        8000);
    ASSERT_NE(viewer_box, nullptr) << "no help viewer";
    const std::string text = MessageBoxText(viewer_box).value_or("");
    EXPECT_NE(text.find(sandbox_.Join("vorta.HLP")), std::string::npos) << "the viewer was asked for the help file";
    for (int id : {IDNO, IDOK, IDCANCEL})
      if (GetDlgItem(viewer_box, id)) {
        PostMessageA(GetDlgItem(viewer_box, id), BM_CLICK, 0, 0);
        break;
      }
    EXPECT_TRUE(WaitForWindowGone(viewer_box, 5000));
    EXPECT_TRUE(process_->running());
  }
  EXPECT_TRUE(ClickButton(main_, kNextDay)) << "the journal still answers";
}

// Waits for a process while answering the messages sent to this thread's
// windows (a foreign window of ours is asked by the journal).
std::optional<DWORD> PumpUntilExit(const Process& p, DWORD timeout) {
  const ULONGLONG end = GetTickCount64() + timeout;
  while (GetTickCount64() < end) {
    HANDLE handle = p.handle();
    if (MsgWaitForMultipleObjects(1, &handle, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return p.WaitForExit(0);
}

// A top-level window of the test's own that happens to carry the journal's title.
struct ForeignWindow {
  ForeignWindow() {
    hwnd = CreateWindowExA(0, "STATIC", kTitle, WS_POPUP | WS_VISIBLE, 600, 600, 100, 50, nullptr, nullptr, nullptr, nullptr);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  ~ForeignWindow() { DestroyWindow(hwnd); }
  HWND hwnd;
};

TEST_F(JournalTest, ForeignWindowWithTheTitleIsPassedOver) {
  MakeData();
  Launch();
  ForeignWindow foreign;
  ASSERT_EQ(FindWindowA(nullptr, kTitle), foreign.hwnd) << "the foreign window lies above the journal";
  Process& second = sandbox_.Start(exe_);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(PumpUntilExit(second, 10000), std::optional<DWORD>(0)) << "the running copy below was woken";
  EXPECT_EQ(FindTopWindow(kTitle, second.id()), nullptr);
}

TEST_F(JournalTest, ForeignWindowAndNoAnsweringCopyStartsNormally) {
  MakeData();
  // The name is taken, as by a copy that shows no window, and only a foreign
  // window carries the title: the new copy starts beside them.
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "Mutex_VortaInstance");
  ForeignWindow foreign;
  Process& p = sandbox_.Start(exe_);
  ASSERT_TRUE(p.started());
  HWND window = nullptr;
  const ULONGLONG end = GetTickCount64() + 10000;
  while (!window && GetTickCount64() < end) {
    PumpUntilExit(p, 100);
    window = FindTopWindow(kTitle, p.id());
  }
  EXPECT_NE(window, nullptr);
  EXPECT_TRUE(p.running());
  CloseHandle(mutex);
}

TEST_F(JournalTest, PositionIsRecordedWhenMinimisedAndKeptWhenClosedMinimised) {
  MakeData();
  Launch();
  ASSERT_TRUE(MoveWindowTo(main_, 120, 60, 600, 400));
  ASSERT_TRUE(PostMessageA(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0));
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, 3000));
  CloseAndWait();
  EXPECT_EQ(ReadProfileValue("WINDOW", "X").value_or(""), "120");
  EXPECT_EQ(ReadProfileValue("WINDOW", "Y").value_or(""), "60");
  EXPECT_EQ(ReadProfileValue("WINDOW", "CX").value_or(""), "600");
  EXPECT_EQ(ReadProfileValue("WINDOW", "CY").value_or(""), "400");

  // The next start opens where the window was.
  Launch();
  const RECT rect = WindowRect(main_);
  EXPECT_EQ(rect.left, 120);
  EXPECT_EQ(rect.top, 60);
  EXPECT_EQ(rect.right - rect.left, 600);
}

}  // namespace
