// The whole life of an installation, from the folder a user downloads: setup
// into a Program Files folder with Japanese names, taking over the diary of an
// old version; the journal started from the desktop shortcut; days written in
// two months; the calendar and the search; a password; a restart behind it;
// the help file in the help viewer; and uninst, after which the Wine prefix
// holds nothing of ours. Every window on the way is captured.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "calendar_fixture.h"
#include "install_fixture.h"
#include "journal_fixture.h"

namespace {

using namespace e2e;

constexpr char kUninstCaption[] = "ミルネ アンインストール";
constexpr int kSearch = 1020, kFindText = 1038, kResultList = 1037, kView = 3;

// "C:\Program Files\タベロ ソフト\ミルネ2000": ソ ends in the byte of a backslash.
const std::string kMaker = "C:\\Program Files\\タベロ ソフト";
const std::string kFolder = kMaker + "\\ミルネ2000";

// An old month file ("Q12"): the current records with the attribute word
// shifted left by one bit.
std::string LegacyMonth(int day, unsigned attributes, const std::string& text) {
  std::string record = Record(day, attributes << 1, text);
  return MonthFile(1, record).replace(0, 3, "Q12");
}

// The journal installed by setup, started as the desktop shortcut starts it.
class LifeCycleTest : public JournalTest {
 protected:
  // A message box of `pid` with `caption`, other than `dialog`; its text, after
  // pressing `answer`.
  std::string Answer(DWORD pid, const char* caption, HWND dialog, int answer = kIdOk,
                     const char* capture = nullptr) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindProgramBox(pid, caption, dialog)) != nullptr; }, kDefaultTimeoutMs))
      return "(no box)";
    const std::string text = MessageBoxText(box).value_or("?");
    if (capture) CaptureWindow(box, capture);
    AnswerMessageBox(box, answer);
    return text;
  }

  void WriteDay(Date date, const std::string& text) {
    NavigateTo(date);
    ASSERT_TRUE(SetControlText(main_, kEditor, text));
  }
};

TEST_F(LifeCycleTest, FromTheDownloadToNothingLeft) {
  FixedFolder maker(kMaker);
  std::set<std::string> filesBefore, keysBefore;
  ListTree("C:\\", &filesBefore);
  ListKeys(HKEY_CURRENT_USER, "Software", &keysBefore);
  const std::vector<std::string> batchesBefore = Batches("C:\\");

  // The folder of an old version, with two months of its diary.
  ASSERT_TRUE(MakeDirectories(kFolder));
  ASSERT_TRUE(WriteFileBytes(kFolder + "\\199912.day", LegacyMonth(31, 0x0880, "大晦日。2000年問題に備える。")));
  ASSERT_TRUE(WriteFileBytes(kFolder + "\\200001.day", LegacyMonth(1, 0x0800, "新しい千年の散歩")));

  // ---- setup.exe from the release folder --------------------------------------
  Sandbox runner{"lifecycle"};  // ends every program before the folders are checked
  // The journal runs from the fixture's sandbox, which outlives this body.
  struct EndJournalFirst {
    Sandbox& sandbox;
    ~EndJournalFirst() { sandbox.KillAll(); }
  } endJournalFirst{sandbox_};
  const std::string release = WinePathFromUnix(VORTA_RELEASE_FOLDER);
  Process& setup = runner.Start(JoinPath(release, "setup.exe"));
  ASSERT_TRUE(setup.started());
  const HWND setupDialog = WaitForWindow("ミルネ セットアップ", setup.id());
  ASSERT_NE(setupDialog, nullptr);
  ASSERT_TRUE(SetControlText(setupDialog, 1000, kFolder));
  CaptureWindow(setupDialog, "1-setup");
  ASSERT_TRUE(PressButton(setupDialog, IDOK));
  EXPECT_EQ(Answer(setup.id(), "ミルネ セットアップ", setupDialog), "以前のバージョンのデータをコンバートします。");
  EXPECT_EQ(Answer(setup.id(), "ミルネ セットアップ", setupDialog, kIdOk, "2-converted"), "2 個のﾌｧｲﾙを変換しました。");
  EXPECT_EQ(Answer(setup.id(), "ミルネ セットアップ", setupDialog), "インストールが完了しました。");
  ASSERT_EQ(setup.WaitForExit(10000), std::optional<DWORD>(1));
  for (const char* name : {"vorta.exe", "vorta.hlp", "vorta.cnt", "readme.txt", "uninst.exe"})
    EXPECT_EQ(ReadFileBytes(kFolder + "\\" + name), ReadFileBytes(JoinPath(release, name))) << name;
  EXPECT_TRUE(FileExists(kFolder + "\\DATA\\199912.DAY"));
  EXPECT_FALSE(FileExists(kFolder + "\\199912.day"));

  // ---- the journal, from the desktop shortcut's target --------------------------
  const auto shortcut = ReadShortcut(DesktopShortcut());
  ASSERT_TRUE(shortcut.has_value());
  EXPECT_STRCASEEQ(shortcut->target.c_str(), (kFolder + "\\vorta.exe").c_str());
  exe_ = shortcut->target;
  ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
  ASSERT_TRUE(WriteFileBytes(ProfilePath(), "[WINDOW]\r\nX=20\r\nY=20\r\n[CAL_WINDOW]\r\nX=640\r\nY=20\r\n"
                                            "[FIND_WINDOW]\r\nX=620\r\nY=300\r\n"));
  Launch();
  NavigateTo({2000, 1, 1});
  EXPECT_EQ(EditorText(), "新しい千年の散歩") << "the old diary, converted";
  WriteDay({2026, 11, 3}, "文化の日。公園を散歩した。");
  WriteDay({2026, 11, 23}, "勤労感謝の日。");
  WriteDay({2026, 12, 5}, "初雪。夕方に散歩。");

  // The calendar beside it; a click chooses a day.
  ASSERT_TRUE(ClickButton(main_, kCalendar));
  const HWND calendar = WaitForWindow("[2026年12月]", process_->id(), kDefaultTimeoutMs, "#32770");
  ASSERT_NE(calendar, nullptr);
  const HWND grid = GridOf(calendar);
  ASSERT_NE(grid, nullptr);
  const vorta::CalendarGrid model = ModelOf(grid, 2026, 12, 5);
  ASSERT_TRUE(ClickCell(grid, model, CellOfDay(model, 24)));
  EXPECT_TRUE(WaitUntil([&] { return Shown().day == 24; }, 3000));
  // The two side by side, as a person sees them.
  BringToTop(main_);
  BringToTop(calendar);
  RECT both = WindowRect(main_);
  const RECT beside = WindowRect(calendar);
  UnionRect(&both, &both, &beside);
  SaveBmp(GrabScreen(both), CapturePath("3-journal-and-calendar"));

  // The search finds the walks; 表示 shows the first one.
  ASSERT_TRUE(ClickButton(main_, kSearch));
  const HWND search = WaitForWindow("検索", process_->id(), kDefaultTimeoutMs, "#32770");
  ASSERT_NE(search, nullptr);
  ASSERT_TRUE(SetControlText(search, kFindText, "散歩"));
  ASSERT_TRUE(ClickButton(search, kSearch));
  const auto rows = GetListViewRows(GetDlgItem(search, kResultList), 2);
  ASSERT_TRUE(rows.has_value());
  EXPECT_EQ(rows->size(), 3u) << "two days written now and one from the old version";
  CaptureWindow(search, "5-search");
  ASSERT_TRUE(ClickButton(search, kView));
  EXPECT_TRUE(WaitUntil([&] { return EditorText().find("散歩") != std::string::npos; }, 3000));
  ASSERT_TRUE(ClickButton(search, IDCANCEL));
  ASSERT_TRUE(WaitForWindowGone(search));

  // A password, made in the version dialog.
  PostMessageA(main_, WM_SYSCOMMAND, kAboutCommand, 0);
  const HWND about = WaitForWindow(kAboutTitle, process_->id());
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(ClickButton(about, kUse));
  ASSERT_TRUE(PressButton(about, kChange));
  for (const char* expected : {static_cast<const char*>("新規にパスワードを作成します。"), static_cast<const char*>(nullptr)}) {
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = FindPasswordDialog(process_->id())) != nullptr; }, 3000));
    ASSERT_TRUE(SetControlText(dialog, kPasswordEdit, "sakura"));
    ASSERT_TRUE(PressButton(dialog, IDOK));
    if (expected) {
      EXPECT_EQ(Answer(process_->id(), "ミルネ2000", main_), expected);
      ASSERT_TRUE(WaitUntil([&] { return GetControlText(dialog, kPrompt) == "確認のためパスワードを再入力してください。"; },
                            3000));
    } else {
      ASSERT_TRUE(WaitForWindowGone(dialog));
    }
  }
  CaptureWindow(about, "6-version");
  ASSERT_TRUE(ClickButton(about, IDOK));
  ASSERT_TRUE(WaitForWindowGone(about));
  CloseAndWait();

  // ---- a restart: the password first -----------------------------------------------
  process_ = &sandbox_.Start(exe_);
  HWND prompt = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (prompt = FindPasswordDialog(process_->id())) != nullptr; }, kDefaultTimeoutMs))
      << "no password prompt";
  CaptureWindow(prompt, "7-password");
  ASSERT_TRUE(SetControlText(prompt, kPasswordEdit, "sakura"));
  ASSERT_TRUE(PressButton(prompt, IDOK));
  ASSERT_TRUE(WaitUntil(
      [&] {
        main_ = FindTopWindow(kTitle, process_->id(), "#32770");
        return main_ && GetDlgItem(main_, kTitleGroup) && IsWindowVisible(main_) && !TitleLine().empty();
      },
      5000))
      << "the journal did not open";

  // Help opens the help viewer on our file, at its contents.
  ASSERT_TRUE(PressButton(main_, kHelp));
  HWND viewer = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] { return (viewer = FindWindowA("MS_WINHELP", nullptr)) != nullptr && IsWindowVisible(viewer); },
      kDefaultTimeoutMs))
      << "no help viewer";
  CaptureWindow(viewer, "8-help");
  PostClose(viewer);
  WaitForWindowGone(viewer);
  CloseAndWait();
  EXPECT_TRUE(FileExists(kFolder + "\\DATA\\202611.DAY"));
  EXPECT_TRUE(FileExists(kFolder + "\\DATA\\202612.DAY"));

  // ---- uninst.exe from the install folder ------------------------------------------
  Process& uninst = runner.Start(kFolder + "\\uninst.exe");
  ASSERT_TRUE(uninst.started());
  const HWND uninstDialog = WaitForWindow(kUninstCaption, uninst.id());
  ASSERT_NE(uninstDialog, nullptr);
  CaptureWindow(uninstDialog, "9-uninst");
  ASSERT_TRUE(PressButton(uninstDialog, IDOK));
  EXPECT_EQ(Answer(uninst.id(), kUninstCaption, uninstDialog), "ミルネ アンインストールを完了しました。");
  EXPECT_EQ(uninst.WaitForExit(10000), std::optional<DWORD>(1));
  EXPECT_TRUE(WaitUntil(
      [&] { return !DirectoryExists(kFolder) && Batches("C:\\") == batchesBefore && uninst.ActiveProcessCount() == 0; },
      30000))
      << "the install folder or the batch is still there";
  // The maker's folder was ours (the old version's); uninst left it empty.
  EXPECT_TRUE(RemoveDirectoryA(kMaker.c_str()));

  std::set<std::string> filesAfter, keysAfter;
  ListTree("C:\\", &filesAfter);
  ListKeys(HKEY_CURRENT_USER, "Software", &keysAfter);
  std::vector<std::string> files = Difference(filesBefore, filesAfter);
  std::erase_if(files, [&](const std::string& p) { return p.starts_with(runner.path()) || p.starts_with(sandbox_.path()); });
  EXPECT_TRUE(files.empty()) << "files differ, e.g. " << (files.empty() ? "" : files.front()) << " (" << files.size()
                             << ")";
  std::vector<std::string> keys = Difference(keysBefore, keysAfter);
  // Wine keeps settings of its own there (the help viewer's colours).
  std::erase_if(keys, [](const std::string& k) { return k.starts_with("Software\\Wine\\"); });
  EXPECT_TRUE(keys.empty()) << "keys differ, e.g. " << (keys.empty() ? "" : keys.front()) << " (" << keys.size() << ")";
}

}  // namespace
