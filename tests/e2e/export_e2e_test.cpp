// The journal's "書き出し" command driven from outside: the system-menu item,
// the standard Save dialog driven by its controls, the bytes of the file
// written, the closing message, and a write that fails.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "journal_fixture.h"

namespace {

using namespace e2e;

constexpr UINT kExportCommand = 112;
// Controls of the standard file dialog: the type list and the file name
// (an edit of its own, or the edit of a combo box, depending on the style).
constexpr int kTypeList = 0x470, kNameCombo = 0x47C, kNameEdit = 0x480;

// The export writes UTF-8; this file's literals are CP932, so the expected
// bytes are spelt with u8 literals.
std::string U8(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

// A question of the journal's process with a Yes button (the Save dialog's
// "replace it?").
HWND FindYesNoBox(DWORD pid) {
  return FindVisibleWindow(pid, [](HWND hwnd) { return GetDlgItem(hwnd, IDYES) != nullptr; });
}

// The names in a folder.
void ListFolder(const std::string& folder, std::set<std::string>* names) {
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names->insert(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

// The Save dialog of the journal: a dialog of its process with a type list.
HWND FindSaveDialog(DWORD pid) {
  return FindVisibleWindow(pid, [](HWND hwnd) { return GetDlgItem(hwnd, kTypeList) != nullptr; });
}

class ExportTest : public JournalTest {
 protected:
  // July 2009 with two days, and the journal on the 21st with an entry typed
  // and not yet saved.
  void SetUp() override {
    JournalTest::SetUp();
    MakeData();
    ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(2009, 7)),
                               MonthFile(2, Record(20, (4u << 11) | (2u << 7) | (1u << 6), "雨のち晴れ\r\n虹を見た") +
                                                Record(5, 0, "散歩"))));
    Launch();
    NavigateTo({2009, 7, 21});
    ASSERT_TRUE(SetControlText(main_, kEditor, "まだ保存していない日記"));
  }

  // Chooses the command and waits for the Save dialog.
  HWND OpenSaveDialog() {
    PostMessageA(main_, WM_SYSCOMMAND, kExportCommand, 0);
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindSaveDialog(process_->id())) != nullptr; }, kDefaultTimeoutMs);
    return dialog;
  }

  // Types the file name and presses Save.
  void Save(HWND dialog, const std::string& path) {
    const int name = GetDlgItem(dialog, kNameCombo) ? kNameCombo : kNameEdit;
    ASSERT_TRUE(SetControlText(dialog, name, path));
    ASSERT_TRUE(PressButton(dialog, IDOK));
  }

  // The next message box of the journal: its text, after OK.
  std::string Answer(int button = kIdOk) {
    HWND box = WaitForJournalBox(process_->id(), main_);
    if (!box) return "(no box)";
    const std::string text = MessageBoxText(box).value_or("?");
    AnswerMessageBox(box, button);
    return text;
  }
};

const std::string kExpectedText = U8(
    u8"\uFEFF"
    u8"2009年7月5日（日）\r\n晴　笑顔\r\n散歩\r\n\r\n"
    u8"2009年7月20日（月）\r\n晴時々曇　落ち込み　記念日\r\n雨のち晴れ\r\n虹を見た\r\n\r\n"
    u8"2009年7月21日（火）\r\n晴　笑顔\r\nまだ保存していない日記\r\n\r\n");

TEST_F(ExportTest, WritesTheWholeDiaryAsTextWithTheEntryOnScreen) {
  const HWND dialog = OpenSaveDialog();
  ASSERT_NE(dialog, nullptr) << "no Save dialog";
  EXPECT_EQ(GetControlText(dialog, GetDlgItem(dialog, kNameCombo) ? kNameCombo : kNameEdit), "ミルネ日記.txt");
  CaptureWindow(dialog, "save-dialog");
  const std::string path = Data("日記.txt");
  Save(dialog, path);
  EXPECT_EQ(Answer(), "3日分を書き出しました。");
  EXPECT_EQ(ReadFileBytes(path), std::optional<std::string>(kExpectedText));
  // The entry on screen went into its month file first.
  std::string masked;
  for (char c : std::string("まだ保存していない日記")) masked += static_cast<char>(c ^ 0x6B);
  EXPECT_NE(File(MonthFileName(2009, 7)).value_or("").find(masked), std::string::npos);
  CloseAndWait();
}

TEST_F(ExportTest, TheJsonLinesTypeWritesOneObjectADay) {
  const HWND dialog = OpenSaveDialog();
  ASSERT_NE(dialog, nullptr);
  // The type list, as a click would choose it.
  const HWND types = GetDlgItem(dialog, kTypeList);
  ASSERT_TRUE(SetComboSelection(dialog, kTypeList, 1));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kTypeList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
  const std::string path = Data("diary.jsonl");
  Save(dialog, path);
  EXPECT_EQ(Answer(), "3日分を書き出しました。");
  const std::string expected = U8(
      u8"{\"date\":\"2009-07-05\",\"weather\":0,\"weather_text\":\"晴\",\"mood\":0,\"mood_text\":\"笑顔\","
      u8"\"anniversary\":false,\"text\":\"散歩\"}\n"
      u8"{\"date\":\"2009-07-20\",\"weather\":4,\"weather_text\":\"晴時々曇\",\"mood\":2,\"mood_text\":\"落ち込み\","
      u8"\"anniversary\":true,\"text\":\"雨のち晴れ\\n虹を見た\"}\n"
      u8"{\"date\":\"2009-07-21\",\"weather\":0,\"weather_text\":\"晴\",\"mood\":0,\"mood_text\":\"笑顔\","
      u8"\"anniversary\":false,\"text\":\"まだ保存していない日記\"}\n");
  EXPECT_EQ(ReadFileBytes(path), std::optional<std::string>(expected));
  CloseAndWait();
}

TEST_F(ExportTest, AFailedWriteLeavesTheOldFileAndSaysSo) {
  const std::string path = Data("日記.txt");
  ASSERT_TRUE(WriteFileBytes(path, "an older export"));
  // Another program holds the file and shares nothing.
  const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const HWND dialog = OpenSaveDialog();
  ASSERT_NE(dialog, nullptr);
  Save(dialog, path);
  // The dialog asks before it lets a file be replaced.
  HWND replace = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (replace = FindYesNoBox(process_->id())) != nullptr; }, kDefaultTimeoutMs));
  ASSERT_TRUE(AnswerMessageBox(replace, kIdYes));
  EXPECT_EQ(Answer(), "書き出しに失敗しました。\n" + path);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(path), std::optional<std::string>("an older export"));
  // Nothing half-written beside it.
  std::set<std::string> files;
  ListFolder(sandbox_.path(), &files);
  EXPECT_EQ(files, (std::set<std::string>{"DATA", "vorta.exe", "日記.txt"}));
  CloseAndWait();
}

}  // namespace
