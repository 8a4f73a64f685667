// The journal program started from a fresh folder and driven from outside:
// the fixture the end-to-end tests of its windows share, with month files
// made from plain records.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "harness/e2e.h"
#include "month_bytes.h"

namespace {

using namespace e2e;

constexpr char kTitle[] = "ミルネ2000";

// Controls of the main window.
constexpr int kEditor = 1000, kPrevDay = 1002, kNextDay = 1003, kToday = 1004, kPrevMonth = 1005,
              kNextMonth = 1006, kWeather = 1007, kPrevYear = 1008, kMood = 1009, kNextYear = 1010,
              kAnniversary = 1016, kCalendar = 1018, kTitleGroup = 1019, kSizeGrip = 1021, kNavGroup = 1048,
              kHelp = 57670, kClose = IDOK;

struct Date {
  int year, month, day;
};

inline Date Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

inline std::string MonthFileName(int year, int month) {
  char name[32];
  std::snprintf(name, sizeof name, "DATA\\%04d%02d.DAY", year, month);
  return name;
}

// The message boxes of the journal have the same class and caption as its main
// window; they are told apart by their message text control.
inline HWND FindJournalBox(DWORD pid, HWND main) {
  return FindVisibleWindow(pid, [main](HWND hwnd) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    return hwnd != main && std::string(cls) == "#32770" && GetDlgItem(hwnd, 0xFFFF) && !GetDlgItem(hwnd, 1019);
  });
}

inline HWND WaitForJournalBox(DWORD pid, HWND main = nullptr, DWORD timeout = kDefaultTimeoutMs) {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindJournalBox(pid, main)) != nullptr; }, timeout);
  return box;
}

// The password prompt (at start and for a new password) and the version
// dialog with its lock controls.
constexpr int kPrompt = 1010, kPasswordEdit = 1000, kUse = 1045, kChange = 1044;
constexpr UINT kAboutCommand = 16;
constexpr char kAboutTitle[] = "バージョン情報";

// A dialog of the journal's process titled like the journal and holding the
// password prompt.
inline HWND FindPasswordDialog(DWORD pid) {
  return FindVisibleWindow(pid, [](HWND hwnd) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    // The journal's window has a control 1010 too, and its title group.
    return std::string(cls) == "#32770" && GetDlgItem(hwnd, kPrompt) && !GetDlgItem(hwnd, kTitleGroup);
  });
}

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sandbox_.valid());
    exe_ = sandbox_.Install(E2E_PROGRAM_VORTA);
    ASSERT_FALSE(exe_.empty());
  }

  std::string Data(const std::string& relative) const { return sandbox_.Join(relative); }
  void MakeData() { ASSERT_FALSE(sandbox_.dir().MakeSubdir("DATA").empty()); }

  // Starts the journal and waits for its window.
  void Launch() {
    process_ = &sandbox_.Start(exe_);
    ASSERT_TRUE(process_->started());
    main_ = WaitForWindow(kTitle, process_->id());
    ASSERT_NE(main_, nullptr) << "no journal window";
    ASSERT_TRUE(WaitUntil([&] { return !TitleLine().empty(); }, 3000));
  }

  std::string TitleLine() const { return GetControlText(main_, kTitleGroup).value_or(""); }
  std::string EditorText() const { return GetControlText(main_, kEditor).value_or(""); }

  // The date the window shows, read from its title line "yyyy年mm月dd日（w曜日）".
  Date Shown() const {
    const std::string t = TitleLine();
    if (t.size() < 14) return {0, 0, 0};
    return {std::stoi(t.substr(0, 4)), std::stoi(t.substr(6, 2)), std::stoi(t.substr(10, 2))};
  }

  // Steps with the buttons to a date, as a person would.
  void NavigateTo(Date target) {
    for (int guard = 0; guard < 20000 && Shown().year != target.year; ++guard)
      ASSERT_TRUE(ClickButton(main_, Shown().year < target.year ? kNextYear : kPrevYear));
    for (int guard = 0; guard < 24 && Shown().month != target.month; ++guard)
      ASSERT_TRUE(ClickButton(main_, Shown().month < target.month ? kNextMonth : kPrevMonth));
    for (int guard = 0; guard < 62 && Shown().day != target.day; ++guard)
      ASSERT_TRUE(ClickButton(main_, Shown().day < target.day ? kNextDay : kPrevDay));
    const Date shown = Shown();
    ASSERT_EQ(shown.year * 10000 + shown.month * 100 + shown.day, target.year * 10000 + target.month * 100 + target.day);
  }

  // Closes with the close box and waits for the program to end.
  void CloseAndWait() {
    ASSERT_TRUE(PostSysClose(main_));
    ASSERT_TRUE(process_->WaitForExit(5000).has_value()) << "the journal did not end";
  }

  // The window with the keyboard focus in the journal's thread.
  HWND FocusedWindow() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info)) return nullptr;
    return info.hwndFocus;
  }

  std::optional<std::string> File(const std::string& relative) const { return ReadFileBytes(Data(relative)); }

  ProfileGuard profile_;  // before the sandbox: the programs end first
  Sandbox sandbox_{"journal"};
  std::string exe_;
  Process* process_ = nullptr;
  HWND main_ = nullptr;
};

}  // namespace
