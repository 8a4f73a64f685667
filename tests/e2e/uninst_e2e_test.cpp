// uninst.exe driven from outside: what it removes, what it keeps and says,
// the batch that deletes it after it has ended, and where it refuses to run.
//
// Most tests lay out an installation themselves (the files, DATA, the group,
// the shortcut, the keys and the profile as setup and the journal leave them);
// one runs setup, the journal and uninst one after the other and compares the
// Wine prefix before and after.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "harness/e2e.h"
#include "install_fixture.h"
#include "month_bytes.h"

namespace {

using namespace e2e;

constexpr char kCaption[] = "ミルネ アンインストール";
constexpr char kDone[] = "ミルネ アンインストールを完了しました。";
constexpr char kSomeLeft[] = "いくつかのファイル 又は フォルダが削除できませんでした。";
constexpr char kMakerKey[] = "Software\\tavelo-soft";

bool KeyExists(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Removes the keys a test made, after the programs have ended.
class MakerKeyGuard {
 public:
  MakerKeyGuard() { RegDeleteTreeA(HKEY_CURRENT_USER, kMakerKey); }
  ~MakerKeyGuard() { RegDeleteTreeA(HKEY_CURRENT_USER, kMakerKey); }
};

class UninstTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(install_.valid());
    batchesBefore_ = Batches("C:\\");
  }

  const std::string& Folder() const { return install_.path(); }
  std::string In(const std::string& relative) const { return install_.Join(relative); }

  // An installation as setup and a few days of use leave it.
  void LayOut(const std::string& uninstName = "uninst.exe") {
    uninst_ = install_.Install(E2E_PROGRAM_UNINST, uninstName);
    ASSERT_FALSE(uninst_.empty());
    for (const char* name : {"vorta.exe", "vorta.hlp", "vorta.GID", "vorta.cnt", "readme.txt"})
      ASSERT_TRUE(WriteFileBytes(In(name), std::string("installed ") + name));
    ASSERT_FALSE(install_.dir().MakeSubdir("DATA\\写真").empty());
    ASSERT_TRUE(WriteFileBytes(In("DATA\\202601.DAY"), MonthFile(1, Record(1, 0, "元日"))));
    ASSERT_TRUE(WriteFileBytes(In("DATA\\202602.DAY"), MonthFile(0, "")));
    ASSERT_TRUE(WriteFileBytes(In("DATA\\写真\\a.bmp"), "BM"));
    ASSERT_TRUE(MakeDirectories(GroupFolder()));
    for (const char* link : {"ミルネ.lnk", "ヘルプ.lnk"})
      ASSERT_TRUE(WriteFileBytes(JoinPath(GroupFolder(), link), "shortcut"));
    ASSERT_TRUE(WriteFileBytes(DesktopShortcut(), "shortcut"));
    WritePathValue({REG_SZ, Folder()});
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE scrambled[] = {0x12, 0x00, 0x9F, 0x41};
    RegSetValueExA(key, "Password", 0, REG_BINARY, scrambled, sizeof scrambled);
    RegCloseKey(key);
    ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
    ASSERT_TRUE(WriteFileBytes(ProfilePath(), "[Window]\r\nCalendar=1\r\n"));
  }

  void StartUninst(const std::string& exe) {
    process_ = &install_.Start(exe);
    ASSERT_TRUE(process_->started());
    dialog_ = WaitForWindow(kCaption, process_->id());
    ASSERT_NE(dialog_, nullptr) << "no uninstall dialog";
  }
  void StartUninst() { StartUninst(uninst_); }

  // Waits for uninst's next message box, checks its text and presses OK.
  void Expect(const std::string& text) {
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindProgramBox(process_->id(), kCaption, dialog_)) != nullptr; },
                          kDefaultTimeoutMs))
        << "no message box; expected: " << text;
    EXPECT_EQ(MessageBoxText(box).value_or("?"), text);
    ASSERT_TRUE(AnswerMessageBox(box, kIdOk));
  }

  // "はい", then the messages given, then the end with exit code 1.
  void Confirm(const std::vector<std::string>& messages) {
    ASSERT_TRUE(PressButton(dialog_, IDOK));
    for (const std::string& text : messages) Expect(text);
    EXPECT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(1));
  }

  // Waits until the batch has deleted uninst (and the folder when asked) and
  // itself, and nothing it started runs any more.
  void WaitForTheBatch(bool folderGone) {
    EXPECT_TRUE(WaitUntil(
        [&] {
          return !FileExists(uninst_) && (!folderGone || !DirectoryExists(Folder())) &&
                 Batches("C:\\") == batchesBefore_ && process_->ActiveProcessCount() == 0;
        },
        30000))
        << "uninst.exe " << (FileExists(uninst_) ? "still there" : "gone") << ", folder "
        << (DirectoryExists(Folder()) ? "still there" : "gone") << ", batches: " << Batches("C:\\").size() << " (before: " << batchesBefore_.size() << ")";
  }

  // Nothing of the installation outside its folder is left.
  void ExpectNothingOutside() const {
    EXPECT_FALSE(DirectoryExists(GroupFolder()));
    EXPECT_FALSE(FileExists(DesktopShortcut()));
    EXPECT_FALSE(KeyExists(kMakerKey));
    EXPECT_FALSE(FileExists(ProfilePath()));
    EXPECT_FALSE(DirectoryExists(ProfileDirectory()));
    EXPECT_FALSE(DirectoryExists(DirectoryPart(ProfileDirectory()))) << "the maker's folder";
  }

  InstallTraces traces_;  // destroyed last: the saved "Path" comes back
  MakerKeyGuard keys_;
  ProfileGuard profile_;
  Sandbox install_{"uninst"};
  std::string uninst_;
  Process* process_ = nullptr;
  HWND dialog_ = nullptr;
  std::vector<std::string> batchesBefore_;  // left by someone else; not ours to judge
};

// Files a test puts where it must not leave them, removed however it ends.
class PlacedFiles {
 public:
  ~PlacedFiles() {
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it) {
      SetReadOnly(*it, false);
      if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
    }
  }
  void Add(const std::string& path) { paths_.push_back(path); }

 private:
  std::vector<std::string> paths_;
};

TEST_F(UninstTest, YesRemovesEverythingAndThenItself) {
  LayOut();
  ASSERT_TRUE(WriteFileBytes("C:\\windows\\vorta.ini", "[old]\r\n"));
  StartUninst();
  EXPECT_FALSE(CaptureWindow(dialog_, "dialog").empty());
  Confirm({kDone});
  for (const char* name : {"vorta.exe", "vorta.hlp", "vorta.GID", "vorta.cnt", "readme.txt", "DATA"})
    EXPECT_FALSE(FileExists(In(name)) || DirectoryExists(In(name))) << name;
  EXPECT_FALSE(FileExists("C:\\windows\\vorta.ini"));
  ExpectNothingOutside();
  WaitForTheBatch(true);
}

TEST_F(UninstTest, NoEnterAndTheCloseBoxTouchNothing) {
  LayOut();
  const struct {
    const char* way;
    bool (*leave)(HWND dialog);
  } ways[] = {
      {"いいえ", [](HWND dialog) { return PressButton(dialog, IDCANCEL); }},
      // Enter answers with the default button, "いいえ".
      {"Enter", [](HWND dialog) { return PostKeyDown(dialog, VK_RETURN); }},
      {"close box", [](HWND dialog) { return PostSysClose(dialog); }},
  };
  for (const auto& w : ways) {
    SCOPED_TRACE(w.way);
    StartUninst();
    ASSERT_TRUE(w.leave(dialog_));
    EXPECT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(2));
    for (const char* name : {"uninst.exe", "vorta.exe", "DATA\\202601.DAY"}) EXPECT_TRUE(FileExists(In(name))) << name;
    EXPECT_TRUE(FileExists(JoinPath(GroupFolder(), "ミルネ.lnk")));
    EXPECT_TRUE(FileExists(DesktopShortcut()));
    EXPECT_TRUE(KeyExists(kRegistryKey));
    EXPECT_TRUE(FileExists(ProfilePath()));
  }
}

TEST_F(UninstTest, AFileOfTheUsersKeepsTheFolderButUninstGoes) {
  LayOut();
  ASSERT_TRUE(WriteFileBytes(In("メモ.txt"), "mine"));
  StartUninst();
  Confirm({kSomeLeft});
  WaitForTheBatch(false);
  EXPECT_EQ(ReadFileBytes(In("メモ.txt")), std::optional<std::string>("mine"));
  EXPECT_FALSE(FileExists(In("vorta.exe")));
  EXPECT_FALSE(DirectoryExists(In("DATA")));
  ExpectNothingOutside();
}

TEST_F(UninstTest, ARenamedUninstallerAndReadOnlyFilesGoToo) {
  LayOut("けす.exe");
  ASSERT_TRUE(SetReadOnly(uninst_, true));  // as copied from a read-only medium
  ASSERT_TRUE(SetReadOnly(In("vorta.exe"), true));
  ASSERT_TRUE(SetReadOnly(In("DATA\\202601.DAY"), true));
  ASSERT_TRUE(DeleteFileA(In("readme.txt").c_str())) << "a file deleted by hand is no failure";
  StartUninst();
  Confirm({kDone});
  WaitForTheBatch(true);
}

TEST_F(UninstTest, AnEntryBeginningWithADotKeepsData) {
  LayOut();
  ASSERT_TRUE(WriteFileBytes(In("DATA\\.sync"), "another program's"));
  StartUninst();
  Confirm({kSomeLeft});
  WaitForTheBatch(false);
  EXPECT_TRUE(FileExists(In("DATA\\.sync")));
  EXPECT_FALSE(FileExists(In("DATA\\202601.DAY")));
  EXPECT_FALSE(DirectoryExists(In("DATA\\写真")));
}

TEST_F(UninstTest, WithoutGroupAndShortcutNothingIsSaidAboutThem) {
  LayOut();
  ASSERT_TRUE(RemoveTree(GroupFolder()));
  ASSERT_TRUE(DeleteFileA(DesktopShortcut().c_str()));
  StartUninst();
  Confirm({kDone});
  WaitForTheBatch(true);
}

TEST_F(UninstTest, AGroupThatStaysIsReportedAndTheFolderStillGoes) {
  LayOut();
  ASSERT_TRUE(WriteFileBytes(JoinPath(GroupFolder(), ".hidden"), "x"));
  StartUninst();
  Confirm({"プログラムグループが削除できませんでした。"});  // and no completion message
  WaitForTheBatch(true);
  EXPECT_FALSE(FileExists(JoinPath(GroupFolder(), "ミルネ.lnk")));
  RemoveTree(GroupFolder());
}

TEST_F(UninstTest, TheMakersKeyStaysWhileAnotherProgramKeepsOneUnderIt) {
  LayOut();
  HKEY other = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\tavelo-soft\\other", 0, nullptr, 0, KEY_WRITE, nullptr,
                            &other, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(other);
  StartUninst();
  ASSERT_TRUE(PressButton(dialog_, IDOK));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = FindProgramBox(process_->id(), kCaption, dialog_)) != nullptr; },
                        kDefaultTimeoutMs));
  // The error Windows gives for a key that still has keys under it.
  EXPECT_EQ(MessageBoxText(box).value_or("?"), "\"tavelo-soft\"レジストリの削除に失敗しました。(5)");
  ASSERT_TRUE(AnswerMessageBox(box, kIdOk));
  Expect(kDone);
  EXPECT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(1));
  WaitForTheBatch(true);
  EXPECT_FALSE(KeyExists(kRegistryKey));
  EXPECT_TRUE(KeyExists("Software\\tavelo-soft\\other"));
}

TEST_F(UninstTest, ASecondUninstWakesTheFirstAndEnds) {
  LayOut();
  StartUninst();
  ASSERT_TRUE(MinimizeUntilItStays(dialog_));
  Process& second = install_.Start(uninst_);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(8000), std::optional<DWORD>(0));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(dialog_) && IsWindowVisible(dialog_); }, 3000)) << "still minimised";
  EXPECT_EQ(FindTopWindow(kCaption, second.id()), nullptr);
  EXPECT_TRUE(FileExists(In("vorta.exe"))) << "the second one touched nothing";
  ASSERT_TRUE(PressButton(dialog_, IDCANCEL));
  EXPECT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(2));
}

TEST_F(UninstTest, RefusesToRunFromADriveRootOrTheWindowsFolder) {
  char windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  for (const std::string& folder : {std::string("C:\\"), std::string(windows)}) {
    SCOPED_TRACE(folder);
    const std::string exe = JoinPath(folder, "uninst-e2e.exe");
    const std::string data = JoinPath(folder, "DATA");
    ASSERT_FALSE(DirectoryExists(data)) << "a DATA folder of someone else's";
    PlacedFiles placed;  // declared before the runner: the program ends first
    Sandbox runner{"refused"};
    placed.Add(exe);
    ASSERT_TRUE(CopyFileA(WinePathFromUnix(E2E_PROGRAM_UNINST).c_str(), exe.c_str(), FALSE));
    placed.Add(data);
    ASSERT_TRUE(MakeDirectories(data));
    placed.Add(JoinPath(data, "202601.DAY"));
    ASSERT_TRUE(WriteFileBytes(JoinPath(data, "202601.DAY"), MonthFile(0, "")));
    process_ = &runner.Start(exe);
    ASSERT_TRUE(process_->started());
    Expect("この場所からはアンインストールできません。");
    EXPECT_EQ(process_->WaitForExit(10000), std::optional<DWORD>(1));
    EXPECT_TRUE(FileExists(JoinPath(data, "202601.DAY")));
    EXPECT_TRUE(FileExists(exe));
  }
}

TEST_F(UninstTest, SetupThenUninstLeaveThePrefixAsItWas) {
  FixedFolder vorta("C:\\VORTA");
  std::set<std::string> filesBefore, keysBefore;
  ListTree("C:\\", &filesBefore);
  ListKeys(HKEY_CURRENT_USER, "Software", &keysBefore);

  // Install with both shortcuts, from a folder of the programs as built.
  Sandbox source{"lifecycle"};
  const std::string setup = source.Install(E2E_PROGRAM_SETUP);
  ASSERT_FALSE(source.Install(E2E_PROGRAM_VORTA).empty());
  ASSERT_FALSE(source.Install(E2E_PROGRAM_UNINST).empty());
  for (const char* name : {"vorta.hlp", "vorta.cnt", "readme.txt"})
    ASSERT_TRUE(WriteFileBytes(source.Join(name), std::string("stand-in for ") + name));
  Process& installer = source.Start(setup);
  const HWND setupDialog = WaitForWindow("ミルネ セットアップ", installer.id());
  ASSERT_NE(setupDialog, nullptr);
  ASSERT_TRUE(SetControlText(setupDialog, 1000, "C:\\VORTA"));
  ASSERT_TRUE(PressButton(setupDialog, IDOK));
  for (int answer : {kIdYes, kIdOk}) {
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (box = FindProgramBox(installer.id(), "ミルネ セットアップ", setupDialog)) != nullptr; },
        kDefaultTimeoutMs));
    ASSERT_TRUE(AnswerMessageBox(box, answer));
  }
  EXPECT_EQ(installer.WaitForExit(10000), std::optional<DWORD>(1));
  ASSERT_TRUE(FileExists(DesktopShortcut()));

  // A day written in the installed journal: its month file and its profile.
  Sandbox runner{"installed"};  // ends the journal before C:\VORTA is cleaned
  Process& journal = runner.Start("C:\\VORTA\\vorta.exe");
  const HWND main = WaitForWindow("ミルネ2000", journal.id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(SetControlText(main, 1000, "インストールした日"));
  ASSERT_TRUE(PostSysClose(main));
  ASSERT_TRUE(journal.WaitForExit(10000).has_value());
  ASSERT_TRUE(FileExists(ProfilePath()));

  uninst_ = "C:\\VORTA\\uninst.exe";
  StartUninst();
  Confirm({kDone});
  EXPECT_TRUE(WaitUntil([&] { return !DirectoryExists("C:\\VORTA") && Batches("C:\\") == batchesBefore_; }, 30000))
      << "C:\\VORTA or the batch is still there";
  EXPECT_TRUE(WaitUntil([&] { return process_->ActiveProcessCount() == 0; }, 10000));

  std::set<std::string> filesAfter, keysAfter;
  ListTree("C:\\", &filesAfter);
  ListKeys(HKEY_CURRENT_USER, "Software", &keysAfter);
  // The sandboxes made by this test in the temporary folder are not of setup's.
  std::vector<std::string> files = Difference(filesBefore, filesAfter);
  std::erase_if(files, [&](const std::string& p) { return p.starts_with(source.path()) || p.starts_with(runner.path()); });
  EXPECT_TRUE(files.empty()) << "files differ, e.g. " << (files.empty() ? "" : files.front()) << " ("
                             << files.size() << ")";
  const std::vector<std::string> keys = Difference(keysBefore, keysAfter);
  EXPECT_TRUE(keys.empty()) << "keys differ, e.g. " << (keys.empty() ? "" : keys.front()) << " (" << keys.size()
                            << ")";
}

}  // namespace
