// The password lock driven from outside: a password made in the version
// dialog is asked for at the next start; the right one opens the journal, a
// wrong one or Cancel closes it after saving the entry on screen; the lock is
// switched off by the check box or by an abandoned change; a second start
// during the prompt wakes it; awkward passwords come back whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ini_store.h"
#include "journal/data/password_value.h"
#include "journal_fixture.h"

namespace {

using namespace e2e;

constexpr char kBackupKey[] = "Software\\tavelo-soft\\vorta95";

// The registry backup of the value, as stored.
std::optional<std::string> Backup() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kBackupKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  char bytes[400];
  DWORD size = sizeof bytes, type = 0;
  const LONG status = RegQueryValueExA(key, "Password", nullptr, &type, reinterpret_cast<BYTE*>(bytes), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return std::string(bytes, size);
}

class PasswordTest : public JournalTest {
 protected:
  void SetUp() override {
    JournalTest::SetUp();
    RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
    MakeData();
  }
  void TearDown() override {
    // A backup left behind would lock the journal of every later test.
    RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
  }

  // The profile's value of the password, byte for byte.
  std::string StoredValue() const {
    const auto bytes = ReadFileBytes(ProfilePath());
    return vorta::IniStore::Parse(bytes.value_or("")).GetString("init", "data1", "(none)");
  }
  // A profile holding the value of `password`, the journal at (20, 20).
  void WriteLockedProfile(const std::string& password) {
    ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
    vorta::IniStore store;
    store.SetString("WINDOW", "X", "20");
    store.SetString("WINDOW", "Y", "20");
    store.SetString("init", "data1", vorta::ScramblePassword(password));
    store.SetString("init", "data2", "2");
    ASSERT_TRUE(WriteFileBytes(ProfilePath(), store.Serialize()));
  }

  // Starts the journal and waits for the start-up prompt instead of its window.
  HWND LaunchToPrompt() {
    process_ = &sandbox_.Start(exe_);
    HWND prompt = nullptr;
    WaitUntil([&] { return (prompt = FindPasswordDialog(process_->id())) != nullptr; }, kDefaultTimeoutMs);
    return prompt;
  }
  // Types `text` into a password dialog and presses OK.
  void Enter(HWND dialog, const std::string& text) {
    ASSERT_TRUE(SetControlText(dialog, kPasswordEdit, text));
    ASSERT_TRUE(PressButton(dialog, IDOK));
  }
  // Answers the message box that comes up with OK and gives its text.
  std::string AnswerBox() {
    HWND box = WaitForJournalBox(process_->id());
    if (!box) return "(no box)";
    const std::string text = MessageBoxText(box).value_or("");
    AnswerMessageBox(box, kIdOk);
    return text;
  }
  // After the right password: the journal's own window, shown and filled.
  void WaitForJournalWindow(HWND prompt) {
    ASSERT_TRUE(WaitForWindowGone(prompt));
    ASSERT_TRUE(WaitUntil(
        [&] {
          main_ = FindTopWindow(kTitle, process_->id(), "#32770");
          return main_ && GetDlgItem(main_, kTitleGroup) && IsWindowVisible(main_) && !IsIconic(main_) &&
                 !TitleLine().empty();
        },
        5000))
        << "the journal did not open";
  }
  void CloseAbout(HWND about) {
    ASSERT_TRUE(ClickButton(about, IDOK));
    ASSERT_TRUE(WaitForWindowGone(about));
  }
  HWND OpenAbout() {
    PostMessageA(main_, WM_SYSCOMMAND, kAboutCommand, 0);
    return WaitForWindow(kAboutTitle, process_->id());
  }
  // Makes `password` the lock through the version dialog, which stays open.
  void CreatePassword(HWND about, const std::string& password) {
    if (GetCheck(about, kUse) != BST_CHECKED) {
      ASSERT_TRUE(ClickButton(about, kUse));
    }
    ASSERT_TRUE(PressButton(about, kChange));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindPasswordDialog(process_->id())) != nullptr; }, 3000));
    Enter(dialog, password);
    EXPECT_EQ(AnswerBox(), "新規にパスワードを作成します。");
    ASSERT_TRUE(WaitUntil([&] { return GetControlText(dialog, kPrompt) == "確認のためパスワードを再入力してください。"; }, 3000));
    Enter(dialog, password);
    ASSERT_TRUE(WaitForWindowGone(dialog));
  }
};

TEST_F(PasswordTest, APasswordMadeInTheVersionDialogIsAskedForAtTheNextStart) {
  Launch();
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetCheck(about, kUse), BST_UNCHECKED) << "no lock at first";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(about, kChange)));
  CaptureWindow(about, "about");
  CreatePassword(about, "abc");
  EXPECT_EQ(StoredValue(), vorta::ScramblePassword("abc"));
  EXPECT_EQ(Backup(), vorta::ScramblePassword("abc") + std::string(1, '\0')) << "all 252 bytes backed up";
  CloseAbout(about);
  CloseAndWait();

  HWND prompt = LaunchToPrompt();
  ASSERT_NE(prompt, nullptr) << "no password prompt at start";
  EXPECT_EQ(GetText(prompt), "ミルネ2000");
  EXPECT_EQ(GetControlText(prompt, kPrompt), "パスワードを入力してください。");
  CaptureWindow(prompt, "password_prompt");
  Enter(prompt, "abc");
  WaitForJournalWindow(prompt);
  CloseAndWait();
}

TEST_F(PasswordTest, AWrongPasswordOrCancelClosesAfterSavingTheEntry) {
  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "Cancel" : "wrong password");
    const Date today = Today();
    ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(today.year, today.month)), MonthFile(1, Record(today.day, 0, "日記"))));
    WriteLockedProfile("abc");
    HWND prompt = LaunchToPrompt();
    ASSERT_NE(prompt, nullptr);
    if (cancel) {
      ASSERT_TRUE(PressButton(prompt, IDCANCEL));
    } else {
      Enter(prompt, "abd");
      EXPECT_EQ(AnswerBox(), "パスワードが正しくありません。");
    }
    ASSERT_TRUE(process_->WaitForExit(8000).has_value()) << "the journal did not end";
    // The entry shown was written back; the window's place was not recorded,
    // but every setting was written back (FIND_WINDOW was not there before).
    EXPECT_EQ(File(MonthFileName(today.year, today.month)), MonthFile(1, Record(today.day, 0, "日記")));
    EXPECT_EQ(ReadProfileValue("WINDOW", "X"), "20");
    EXPECT_EQ(ReadProfileValue("FIND_WINDOW", "X"), "0");
    EXPECT_EQ(StoredValue(), vorta::ScramblePassword("abc")) << "the lock stays";
  }
}

TEST_F(PasswordTest, ADifferingConfirmationStartsAgainFromTheFirstEntry) {
  Launch();
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(ClickButton(about, kUse));
  ASSERT_TRUE(PressButton(about, kChange));
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = FindPasswordDialog(process_->id())) != nullptr; }, 3000));
  Enter(dialog, "first");
  EXPECT_EQ(AnswerBox(), "新規にパスワードを作成します。");
  Enter(dialog, "other");
  EXPECT_EQ(AnswerBox(), "入力されたパスワードは正しくありません。");
  EXPECT_EQ(GetControlText(dialog, kPrompt), "パスワードを入力してください。");
  EXPECT_EQ(GetControlText(dialog, kPasswordEdit), "first") << "the first entry is back";
  DWORD_PTR selection = 0;
  SendMessageTimeoutA(GetDlgItem(dialog, kPasswordEdit), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &selection);
  EXPECT_EQ(LOWORD(selection), 0);
  EXPECT_EQ(HIWORD(selection), 5) << "and selected";
  // Cancel at the first stage abandons the change: the lock is off.
  ASSERT_TRUE(PressButton(dialog, IDCANCEL));
  ASSERT_TRUE(WaitForWindowGone(dialog));
  EXPECT_TRUE(WaitUntil([&] { return StoredValue() == vorta::NoPasswordValue(); }, 3000)) << "the lock is off";
  EXPECT_EQ(GetCheck(about, kUse), BST_CHECKED) << "the box is not updated";
  CloseAbout(about);
}

TEST_F(PasswordTest, TheCheckBoxSwitchesTheLockOffAtOnceAndTheBackupStays) {
  Launch();
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  CreatePassword(about, "abc");
  CloseAbout(about);
  about = OpenAbout();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetCheck(about, kUse), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(about, kChange)));
  ASSERT_TRUE(ClickButton(about, kUse));
  EXPECT_EQ(StoredValue(), vorta::NoPasswordValue()) << "off at once";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(about, kChange)));
  EXPECT_EQ(Backup(), vorta::ScramblePassword("abc") + std::string(1, '\0')) << "the backup keeps the old value";
  CloseAbout(about);
  CloseAndWait();
  Launch();  // no prompt
  CloseAndWait();
}

TEST_F(PasswordTest, ASecondStartDuringThePromptWakesItAndEnds) {
  WriteLockedProfile("abc");
  HWND prompt = LaunchToPrompt();
  ASSERT_NE(prompt, nullptr);
  Process& second = sandbox_.Start(exe_);
  EXPECT_TRUE(second.WaitForExit(8000).has_value()) << "the second copy should end";
  EXPECT_TRUE(IsWindowVisible(prompt));
  Enter(prompt, "abc");
  WaitForJournalWindow(prompt);
  CloseAndWait();
}

TEST_F(PasswordTest, ASecondStartDuringTheVersionDialogBringsTheDialogForward) {
  Launch();
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  Process& second = sandbox_.Start(exe_);
  EXPECT_TRUE(second.WaitForExit(8000).has_value()) << "the second copy should end";
  // The journal cannot take input behind its modal dialog: the dialog is
  // the active window, not the journal.
  auto activeWindow = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info);
    return info.hwndActive;
  };
  EXPECT_TRUE(WaitUntil([&] { return activeWindow() == about; }, 3000)) << "active: " << activeWindow();
  CloseAbout(about);
  CloseAndWait();
}

TEST_F(PasswordTest, AwkwardPasswordsComeBackWhole) {
  const std::vector<std::string> passwords = {
      "\xb1\xb2\xb3\xb4\xb5\xb6\xb7\xb8\xb9\xba",          // ｱｲｳｴｵｶｷｸｹｺ: ten half-width kana
      "\x83\x70\x83\x58\x83\x8f\x81\x5b\x83\x68",          // パスワード: ten bytes of double-byte characters
      "abc ",                                              // a blank at the end
      "a\"b",                                              // a double quote
      "a\\b",                                              // a backslash
      "a\x7f\xfc\x40",                                     // 0x7F and 0xFC
  };
  for (const std::string& password : passwords) {
    SCOPED_TRACE(password);
    Launch();
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    CreatePassword(about, password);
    CloseAbout(about);
    CloseAndWait();
    EXPECT_EQ(StoredValue(), vorta::ScramblePassword(password));

    HWND prompt = LaunchToPrompt();
    ASSERT_NE(prompt, nullptr) << "the lock was lost";
    Enter(prompt, password);
    WaitForJournalWindow(prompt);
    // Off again for the next one.
    about = OpenAbout();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickButton(about, kUse));
    CloseAbout(about);
    CloseAndWait();
  }
}

}  // namespace
