// What the tests that host the journal's dialogs in their own process share:
// the DATA folder beside the test program, month files, and an answerer for
// the message boxes the dialogs show.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "framework/app.h"
#include "journal/data/month_buffer.h"
#include "journal/data/month_codec.h"
#include "journal/data/month_file_win.h"
#include "journal/res/resource.h"
#include "journal/window/journal_dlg.h"

namespace {

inline std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

// Hands the messages waiting on this thread to the program's loop steps.
inline void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!AfxGetApp()->PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
}

inline std::string WindowText(HWND hwnd) {
  char text[256] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// Starts the framework for the test program and points the profile at a fresh
// file of the test's own in the temporary folder; gives its path.
inline std::string UseTemporaryProfile(const std::string& name) {
  AfxWinInit(::GetModuleHandleA(nullptr));
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string path =
      std::string(temp) + "vorta-" + name + "-" + std::to_string(::GetCurrentProcessId()) + ".INI";
  ::DeleteFileA(path.c_str());
  AfxGetApp()->m_pszProfileName = path;
  return path;
}

inline std::string MonthPath(int year, int month) { return vorta::MonthFilePath(ProgramFolder(), year, month); }

inline std::optional<std::string> ReadBytes(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes(::GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

inline bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  ::CloseHandle(file);
  return ok;
}

// The text of `day` in the month file, or nullopt when the file or the day is not there.
inline std::optional<std::string> StoredText(int year, int month, int day) {
  const auto bytes = ReadBytes(MonthPath(year, month));
  if (!bytes) return std::nullopt;
  vorta::MonthBuffer buffer;
  if (vorta::DecodeMonthFile(std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()),
                             &buffer) != vorta::MonthFileFormat::kCurrent)
    return std::nullopt;
  vorta::DayRecord record;
  if (buffer.GetDayRecord(day, &record) == 0) return std::nullopt;
  return record.text;
}

// Answers every message box that comes up on this thread while it runs (a
// box nobody expected is answered too, so that a fault fails the test rather
// than hanging it); each box's text is kept until taken.
class BoxAnswerer {
 public:
  void Start() { timer_ = ::SetTimer(nullptr, 0, 30, OnTimer); }
  void Stop() {
    if (timer_) ::KillTimer(nullptr, timer_);
    timer_ = 0;
  }
  std::vector<std::string> Take() { return std::exchange(s_texts, {}); }

  // Runs `action` and gives the texts of the boxes it showed, answered with
  // `answer`; `whileUp` runs once while the first one is showing.
  std::vector<std::string> Run(const std::function<void()>& action, int answer = IDOK,
                               std::function<void()> whileUp = nullptr) {
    Take();
    s_answer = answer;
    s_whileUp = std::move(whileUp);
    action();
    s_answer = IDOK;
    s_whileUp = nullptr;
    return Take();
  }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM found) -> BOOL {
          char cls[16] = {};
          ::GetClassNameA(hwnd, cls, sizeof cls);
          // The journal's own dialogs share the class; a message box has its text in 0xFFFF.
          if (std::string(cls) != "#32770" || !::IsWindowVisible(hwnd) || !::GetDlgItem(hwnd, 0xFFFF)) return TRUE;
          *reinterpret_cast<HWND*>(found) = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    s_texts.push_back(text);
    if (s_whileUp) {
      auto whileUp = std::move(s_whileUp);
      s_whileUp = nullptr;
      whileUp();
    }
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(s_answer, BN_CLICKED), 0);
  }

  static inline std::vector<std::string> s_texts;
  static inline int s_answer = IDOK;
  static inline std::function<void()> s_whileUp;
  UINT_PTR timer_ = 0;
};

// A damaged month that counts 255 records, the most a month file can count:
// days 1 to 10 with the text "x", then records of a day no month has.
inline bool WriteFullDamagedMonth(int year, int month) {
  std::vector<std::uint8_t> payload;
  for (int i = 0; i < 255; ++i) {
    const std::uint8_t day = static_cast<std::uint8_t>(i < 10 ? i + 1 : 200);
    payload.insert(payload.end(), {day, 0, 0, 2, 0, 'x', 0});
  }
  vorta::MonthBuffer full;
  full.Assign(payload, 255);
  return WriteBytes(MonthPath(year, month), vorta::EncodeMonthFile(full));
}

// The journal's main dialog hosted in the test's own process, with a profile
// of its own and the DATA folder beside the test program, emptied afterwards.
// Message boxes are answered (and any nobody expected fails the test).
class HostedJournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_ = UseTemporaryProfile(::testing::UnitTest::GetInstance()->current_test_suite()->name());
    data_ = ProgramFolder() + "DATA";
    ::CreateDirectoryA(data_.c_str(), nullptr);
    boxes_.Start();
  }
  void TearDown() override {
    EXPECT_EQ(boxes_.Take(), std::vector<std::string>{}) << "messages nobody expected";
    boxes_.Stop();
    AfxGetApp()->m_pMainWnd = nullptr;
    if (dialog_.m_hWnd) dialog_.DestroyWindow();
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((data_ + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ::DeleteFileA((data_ + "\\" + found.cFileName).c_str());
      } while (::FindNextFileA(find, &found));
      ::FindClose(find);
    }
    ::RemoveDirectoryA(data_.c_str());
    ::DeleteFileA(profile_.c_str());
  }

  // Opens the journal at a date ("YYYYMM" and the day); the calendar too
  // when `calendarShown` is 1.
  void OpenJournalAt(const char* yearMonth, WORD day, int calendarShown = 0) {
    dialog_.m_nFontSizeItem = IDM_FONT_MEDIUM;
    dialog_.m_bCalendarShown = calendarShown;
    ASSERT_TRUE(dialog_.Create(IDD_JOURNAL));
    AfxGetApp()->m_pMainWnd = &dialog_;
    dialog_.GoToDate(yearMonth, day);
  }
  // A click on a button of `dialog`, as the button reports it.
  static void Click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
  }

  std::string profile_;
  std::string data_;
  CJournalDlg dialog_;
  BoxAnswerer boxes_;
};

}  // namespace
