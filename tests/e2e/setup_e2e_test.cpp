// setup.exe driven from outside: the dialog, the folder it proposes and
// refuses, the copies, the shortcuts, the DATA folder, the conversion of old
// month files, and what Cancel and a second copy leave alone.
//
// The programs to install come from a fresh source folder: setup.exe and
// vorta.exe as built, and small files of our own standing in for the others.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "harness/e2e.h"
#include "install_fixture.h"
#include "month_bytes.h"

namespace {

using namespace e2e;

constexpr char kCaption[] = "ミルネ セットアップ";
constexpr int kFolderEdit = 1000, kBrowse = 3, kStartMenu = 1001, kDesktop = 1002;

constexpr const char* kProgramFiles[] = {"vorta.exe", "vorta.hlp", "vorta.cnt", "readme.txt", "uninst.exe"};

// An old month file ("Q12") from plain records in the current layout: the
// attribute word of each is stored shifted left by one bit.
std::string LegacyMonthFile(const std::vector<std::string>& records) {
  std::string plain;
  for (std::string record : records) {
    const unsigned attributes = static_cast<unsigned char>(record[1]) | static_cast<unsigned char>(record[2]) << 8;
    const unsigned legacy = (attributes << 1) & 0xFFFF;
    record[1] = static_cast<char>(legacy & 0xFF);
    record[2] = static_cast<char>(legacy >> 8);
    plain += record;
  }
  return MonthFile(static_cast<int>(records.size()), plain).replace(0, 3, "Q12");
}

class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(source_.valid());
    ASSERT_TRUE(target_.valid());
    setup_ = source_.Install(E2E_PROGRAM_SETUP);
    ASSERT_FALSE(setup_.empty());
    ASSERT_FALSE(source_.Install(E2E_PROGRAM_VORTA).empty());
    for (const char* name : {"vorta.hlp", "vorta.cnt", "readme.txt", "uninst.exe"})
      ASSERT_TRUE(WriteFileBytes(source_.Join(name), std::string("stand-in for ") + name + "\r\n"));
  }

  // Starts setup and waits for its dialog.
  void StartSetup() {
    process_ = &source_.Start(setup_);
    ASSERT_TRUE(process_->started());
    dialog_ = WaitForWindow(kCaption, process_->id());
    ASSERT_NE(dialog_, nullptr) << "no setup dialog";
    ASSERT_NE(GetDlgItem(dialog_, kFolderEdit), nullptr);
  }

  std::string FolderField() const { return GetControlText(dialog_, kFolderEdit).value_or("?"); }

  // A message box of setup (its dialog has the same caption and class).
  HWND FindBox() const { return FindProgramBox(process_->id(), kCaption, dialog_); }

  // Waits for setup's next message box, checks its text and presses `answer`.
  void Expect(const std::string& text, int answer = kIdOk, const char* capture = nullptr) {
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindBox()) != nullptr; }, kDefaultTimeoutMs))
        << "no message box; expected: " << text;
    EXPECT_EQ(MessageBoxText(box).value_or("?"), text);
    if (capture) {
      EXPECT_FALSE(CaptureWindow(box, capture).empty());
    }
    ASSERT_TRUE(AnswerMessageBox(box, answer));
  }

  // Types the folder, sets both boxes and presses OK.
  void Choose(const std::string& folder, bool startMenu, bool desktop) {
    ASSERT_TRUE(SetControlText(dialog_, kFolderEdit, folder));
    ASSERT_TRUE(SetCheck(dialog_, kStartMenu, startMenu ? BST_CHECKED : BST_UNCHECKED));
    ASSERT_TRUE(SetCheck(dialog_, kDesktop, desktop ? BST_CHECKED : BST_UNCHECKED));
    ASSERT_TRUE(PressButton(dialog_, IDOK));
  }

  std::optional<DWORD> ExitCode() const { return process_->WaitForExit(10000); }

  // Each of the five program files in `folder` equals its source.
  void ExpectProgramFiles(const std::string& folder) const {
    for (const char* name : kProgramFiles) {
      const auto copied = ReadFileBytes(JoinPath(folder, name));
      ASSERT_TRUE(copied.has_value()) << name << " not copied";
      EXPECT_TRUE(*copied == ReadFileBytes(source_.Join(name)).value_or("")) << name << " differs from its source";
    }
  }

  // Installs into `folder`, which exists, with the boxes as given; checks the
  // closing message and the exit code.
  void InstallInto(const std::string& folder, bool startMenu, bool desktop) {
    StartSetup();
    Choose(folder, startMenu, desktop);
    Expect("インストールが完了しました。");
    EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));
  }

  InstallTraces traces_;  // first: cleaned after the programs have ended
  Sandbox source_{"setupsrc"};
  Sandbox target_{"setupdst"};
  std::string setup_;
  Process* process_ = nullptr;
  HWND dialog_ = nullptr;
};

TEST_F(SetupTest, FreshInstallIntoTheProposedFolder) {
  ProfileGuard profile;  // the installed journal is started at the end
  FixedFolder vorta("C:\\VORTA");
  StartSetup();
  // Nothing stored yet: the drive of the Windows folder and "\VORTA", all
  // selected, both boxes ticked.
  EXPECT_EQ(FolderField(), "C:\\VORTA");
  DWORD selection = 0;
  SendMessageTimeoutA(GetDlgItem(dialog_, kFolderEdit), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                      reinterpret_cast<PDWORD_PTR>(&selection));
  EXPECT_EQ(LOWORD(selection), 0);
  EXPECT_EQ(HIWORD(selection), 8);
  EXPECT_EQ(GetCheck(dialog_, kStartMenu), std::optional<int>(BST_CHECKED));
  EXPECT_EQ(GetCheck(dialog_, kDesktop), std::optional<int>(BST_CHECKED));
  EXPECT_FALSE(CaptureWindow(dialog_, "dialog").empty());

  ASSERT_TRUE(PressButton(dialog_, IDOK));
  Expect("フォルダが存在しません。フォルダを作成しますか?", kIdYes, "folder-question");
  Expect("インストールが完了しました。", kIdOk, "complete");
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));

  ExpectProgramFiles(vorta.path());
  EXPECT_TRUE(DirectoryExists("C:\\VORTA\\DATA"));
  const auto value = ReadPathValue();
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(value->bytes.c_str()), "C:\\VORTA");

  struct Expected {
    std::string shortcut, target;
  };
  for (const Expected& e : {Expected{JoinPath(GroupFolder(), "ミルネ.lnk"), "C:\\VORTA\\vorta.exe"},
                            Expected{JoinPath(GroupFolder(), "ヘルプ.lnk"), "C:\\VORTA\\vorta.hlp"},
                            Expected{DesktopShortcut(), "C:\\VORTA\\vorta.exe"}}) {
    const auto link = ReadShortcut(e.shortcut);
    ASSERT_TRUE(link.has_value()) << e.shortcut;
    EXPECT_STRCASEEQ(link->target.c_str(), e.target.c_str()) << e.shortcut;
    EXPECT_STRCASEEQ(link->working.c_str(), "C:\\VORTA") << e.shortcut;
  }

  // The desktop shortcut starts the installed journal (which ends with the
  // runner, before the folder and the profile are cleaned).
  const auto desktop = ReadShortcut(DesktopShortcut());
  ASSERT_TRUE(desktop.has_value());
  Sandbox runner{"installed"};
  Process& journal = runner.Start(desktop->target, {}, desktop->working);
  ASSERT_TRUE(journal.started());
  const HWND main = WaitForWindow("ミルネ2000", journal.id());
  ASSERT_NE(main, nullptr) << "the installed journal did not open";
  EXPECT_FALSE(CaptureWindow(main, "installed-journal").empty());
  ASSERT_TRUE(PostSysClose(main));
  EXPECT_TRUE(journal.WaitForExit(5000).has_value());
}

TEST_F(SetupTest, SecondInstallOverwritesTheFilesAndKeepsTheDiary) {
  const std::string folder = target_.path();
  InstallInto(folder, true, true);
  const std::string month = MonthFile(1, Record(3, 0x0800, "残す日記"));
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "DATA\\202001.DAY"), month));
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "DATA\\ふせん.txt"), "mine"));
  ASSERT_TRUE(WriteFileBytes(source_.Join("vorta.hlp"), "a newer help file"));
  ASSERT_TRUE(WriteFileBytes(JoinPath(GroupFolder(), "ヘルプ.lnk"), "spoiled"));

  StartSetup();
  EXPECT_EQ(FolderField(), folder) << "the folder of the last installation";
  Choose(folder, true, true);
  Expect("インストールが完了しました。");
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));
  ExpectProgramFiles(folder);
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "DATA\\202001.DAY")), std::optional<std::string>(month));
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "DATA\\ふせん.txt")), std::optional<std::string>("mine"));
  const auto help = ReadShortcut(JoinPath(GroupFolder(), "ヘルプ.lnk"));
  ASSERT_TRUE(help.has_value()) << "the shortcut is written again";
  EXPECT_STRCASEEQ(help->target.c_str(), JoinPath(folder, "vorta.hlp").c_str());
}

TEST_F(SetupTest, SetupStartedFromTheInstallFolderInstallsThere) {
  // The files to copy are already where they go.
  const std::string folder = source_.path();
  InstallInto(folder, false, false);
  ExpectProgramFiles(folder);
  EXPECT_TRUE(DirectoryExists(source_.Join("DATA")));
}

TEST_F(SetupTest, CancelEscAndTheCloseBoxWriteNothing) {
  const std::string folder = target_.Join("new");
  const struct {
    const char* way;
    bool (*leave)(HWND dialog);
  } ways[] = {
      {"Cancel", [](HWND dialog) { return PressButton(dialog, IDCANCEL); }},
      // The key-down alone: the dialog may be gone before a key-up could be posted.
      {"Esc", [](HWND dialog) { return PostKeyDown(GetDlgItem(dialog, kFolderEdit), VK_ESCAPE); }},
      {"close box", [](HWND dialog) { return PostSysClose(dialog); }},
  };
  for (const auto& w : ways) {
    SCOPED_TRACE(w.way);
    StartSetup();
    ASSERT_TRUE(SetControlText(dialog_, kFolderEdit, folder));
    ASSERT_TRUE(w.leave(dialog_));
    EXPECT_EQ(ExitCode(), std::optional<DWORD>(2));
    EXPECT_FALSE(DirectoryExists(folder));
    EXPECT_FALSE(ReadPathValue().has_value());
    EXPECT_FALSE(DirectoryExists(GroupFolder()));
    EXPECT_FALSE(FileExists(DesktopShortcut()));
  }
}

TEST_F(SetupTest, AMissingFileStopsTheCopiesWithItsName) {
  ASSERT_TRUE(DeleteFileA(source_.Join("readme.txt").c_str()));
  const std::string folder = target_.path();
  StartSetup();
  Choose(folder, true, true);
  Expect("ファイル 'readme.txt' が見つかりません。");
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));
  for (const char* name : {"vorta.exe", "vorta.hlp", "vorta.cnt"})
    EXPECT_TRUE(FileExists(JoinPath(folder, name))) << name;
  EXPECT_FALSE(FileExists(JoinPath(folder, "uninst.exe"))) << "nothing after the failure";
  EXPECT_FALSE(DirectoryExists(JoinPath(folder, "DATA")));
  EXPECT_FALSE(DirectoryExists(GroupFolder()));
  EXPECT_EQ(StoredPath(), std::optional<std::string>(folder)) << "the value is written before the copies";
}

TEST_F(SetupTest, AFileThatCannotBeReplacedIsNamed) {
  // A folder where the contents file goes.
  const std::string folder = target_.path();
  ASSERT_FALSE(target_.dir().MakeSubdir("vorta.cnt").empty());
  StartSetup();
  Choose(folder, false, false);
  Expect("ファイル 'vorta.cnt' のコピーに失敗しました。");
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));
  EXPECT_TRUE(FileExists(JoinPath(folder, "vorta.hlp")));
  EXPECT_FALSE(FileExists(JoinPath(folder, "readme.txt")));
}

TEST_F(SetupTest, StoredFolderIsOfferedWithoutItsBackslashAndTypedOneIsKept) {
  const std::string folder = target_.path();
  WritePathValue({REG_SZ, folder + "\\"});
  StartSetup();
  EXPECT_EQ(FolderField(), folder);
  // With both boxes cleared no shortcut is written.
  Choose(folder + "\\", false, false);
  Expect("インストールが完了しました。");
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));
  EXPECT_EQ(StoredPath(), std::optional<std::string>(folder + "\\"));
  ExpectProgramFiles(folder);
  EXPECT_TRUE(DirectoryExists(JoinPath(folder, "DATA")));
  EXPECT_FALSE(DirectoryExists(GroupFolder()));
  EXPECT_FALSE(FileExists(DesktopShortcut()));
}

TEST_F(SetupTest, AnAbsentFolderIsCreatedOnlyWhenAsked) {
  const std::string absent = target_.Join("日記\\ミルネ");  // one level below an absent one
  const std::string deep = target_.Join("a\\b\\c");
  StartSetup();

  Choose(absent, false, false);
  Expect("フォルダが存在しません。フォルダを作成しますか?", kIdNo);
  EXPECT_TRUE(IsWindowVisible(dialog_)) << "No keeps the dialog";
  EXPECT_FALSE(DirectoryExists(target_.Join("日記")));

  Choose(deep, false, false);
  Expect("フォルダが存在しません。フォルダを作成しますか?", kIdYes);
  Expect("フォルダの作成に失敗しました。");
  EXPECT_TRUE(IsWindowVisible(dialog_)) << "the dialog stays";
  EXPECT_FALSE(DirectoryExists(target_.Join("a"))) << "only the parent would be made, and it cannot be";
  EXPECT_FALSE(ReadPathValue().has_value()) << "nothing stored while the dialog is open";

  Choose(absent, false, false);
  Expect("フォルダが存在しません。フォルダを作成しますか?", kIdYes);
  Expect("インストールが完了しました。");
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));
  ExpectProgramFiles(absent);
  EXPECT_TRUE(DirectoryExists(JoinPath(absent, "DATA")));
}

TEST_F(SetupTest, AMalformedFolderIsRefusedInTheDialog) {
  // A drive letter that this system does not have.
  const DWORD drives = GetLogicalDrives();
  char missing = 0;
  for (char letter = 'Y'; letter > 'D' && !missing; --letter)
    if (!(drives & (1u << (letter - 'A')))) missing = letter;
  ASSERT_NE(missing, 0);
  ASSERT_TRUE(WriteFileBytes(target_.Join("a file"), "x"));
  const std::string refused[] = {
      "",
      "VORTA",
      "C:VORTA",
      "\\VORTA",
      target_.Join("a\\\\b"),
      target_.Join("a?b"),
      target_.Join(".b"),
      std::string(1, missing) + ":\\VORTA",
      target_.Join("a file"),  // a file, not a folder
      target_.Join("a file") + "\\",
  };
  StartSetup();
  for (const std::string& folder : refused) {
    SCOPED_TRACE(folder);
    Choose(folder, true, true);
    Expect("正しい場所を選択してください。");
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_TRUE(process_->running());
  }
  ASSERT_TRUE(PressButton(dialog_, IDCANCEL));
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(2));
  EXPECT_FALSE(ReadPathValue().has_value());
  EXPECT_FALSE(DirectoryExists(GroupFolder()));
}

TEST_F(SetupTest, OldMonthFilesAreConvertedIntoData) {
  const std::string folder = target_.path();
  const std::vector<std::string> january = {Record(1, 0x1940, "元日。晴れ"), Record(15, 0x0000, "")};
  const std::vector<std::string> february = {Record(28, 0x0880, "ソ十表")};  // 0x5C second bytes
  const std::vector<std::string> march = {};
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "199801.day"), LegacyMonthFile(january)));
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "199802.day"), LegacyMonthFile(february)));
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "199803.DAY"), LegacyMonthFile(march)));
  ASSERT_TRUE(SetReadOnly(JoinPath(folder, "199803.DAY"), true));
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "memo.day"), "not a month file"));

  StartSetup();
  Choose(folder, false, false);
  Expect("以前のバージョンのデータをコンバートします。");
  Expect("3 個のﾌｧｲﾙを変換しました。");
  Expect("インストールが完了しました。");
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));

  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "DATA\\199801.DAY")),
            std::optional<std::string>(MonthFile(2, january[0] + january[1])));
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "DATA\\199802.DAY")), std::optional<std::string>(MonthFile(1, february[0])));
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "DATA\\199803.DAY")), std::optional<std::string>(MonthFile(0, "")));
  for (const char* old : {"199801.day", "199802.day", "199803.DAY"})
    EXPECT_FALSE(FileExists(JoinPath(folder, old))) << old << " is deleted once converted";
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "memo.day")), std::optional<std::string>("not a month file"));
}

TEST_F(SetupTest, AnOldFileThatCannotBeConvertedSafelyIsKept) {
  const std::string folder = target_.path();
  // Its record says 200 bytes of text, its payload holds 12.
  std::string damaged = LegacyMonthFile({Record(2, 0, "壊れた")});
  damaged[8 + 3] = static_cast<char>(200 ^ 0x6B);
  // DATA already holds entries written for that month since.
  const std::string written = MonthFile(1, Record(5, 0, "新しい日記"));
  ASSERT_FALSE(target_.dir().MakeSubdir("DATA").empty());
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "DATA\\199805.DAY"), written));
  const std::string may = LegacyMonthFile({Record(5, 0, "古い日記")});
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "199804.day"), damaged));
  ASSERT_TRUE(WriteFileBytes(JoinPath(folder, "199805.day"), may));

  StartSetup();
  Choose(folder, false, false);
  Expect("以前のバージョンのデータをコンバートします。");
  Expect("変換エラーです。");
  Expect("インストールが完了しました。");
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "199804.day")), std::optional<std::string>(damaged));
  EXPECT_FALSE(FileExists(JoinPath(folder, "DATA\\199804.DAY")));
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "199805.day")), std::optional<std::string>(may));
  EXPECT_EQ(ReadFileBytes(JoinPath(folder, "DATA\\199805.DAY")), std::optional<std::string>(written));
}

TEST_F(SetupTest, FailuresAfterTheCopiesEndWithTheirMessage) {
  // Something that is not a folder where a folder must be made.
  const std::string folder = target_.path();
  struct Case {
    const char* name;
    bool startMenu, desktop;
    std::string blocker;  // made as a file, or as a folder when it ends in ".lnk"
    const char* message;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"group", true, true, GroupFolder() + "\\ミルネ.lnk", "グループの登録に失敗しました。", 1},
      {"desktop", false, true, DesktopShortcut(), "デスクトップのショートカット作成に失敗しました。", 1},
      {"DATA", false, false, JoinPath(folder, "DATA"), "フォルダの作成に失敗しました。", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstallTraces::Clear();
    RemoveTree(JoinPath(folder, "DATA"));
    DeleteFileA(JoinPath(folder, "DATA").c_str());
    if (c.blocker.ends_with(".lnk")) {
      ASSERT_TRUE(MakeDirectories(c.blocker));
    } else {
      ASSERT_TRUE(WriteFileBytes(c.blocker, "a file"));
    }
    StartSetup();
    Choose(folder, c.startMenu, c.desktop);
    Expect(c.message);
    EXPECT_EQ(ExitCode(), std::optional<DWORD>(c.exitCode));
    EXPECT_FALSE(DirectoryExists(JoinPath(folder, "DATA")));
    if (std::string(c.name) == "group") {
      EXPECT_FALSE(FileExists(DesktopShortcut())) << "nothing after the group";
    }
  }
  DeleteFileA(JoinPath(folder, "DATA").c_str());
}

TEST_F(SetupTest, ASecondSetupWakesTheFirstAndEnds) {
  StartSetup();
  ASSERT_TRUE(MinimizeUntilItStays(dialog_));
  Process& second = source_.Start(setup_);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(8000), std::optional<DWORD>(0));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(dialog_) && IsWindowVisible(dialog_); }, 3000)) << "still minimised";
  EXPECT_EQ(FindTopWindow(kCaption, second.id()), nullptr);

  // Past its dialog the first one still keeps a second one out.
  Choose(target_.path(), false, false);
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (box = FindBox()) != nullptr; }, kDefaultTimeoutMs));
  Process& third = source_.Start(setup_);
  ASSERT_TRUE(third.started());
  EXPECT_EQ(third.WaitForExit(8000), std::optional<DWORD>(0));
  EXPECT_EQ(MessageBoxText(box).value_or("?"), "インストールが完了しました。");
  ASSERT_TRUE(AnswerMessageBox(box, kIdOk));
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(1));
}

// The folder browser of the setup dialog: a visible dialog of setup's that
// holds a tree.
HWND FindBrowser(DWORD pid) {
  return FindVisibleWindow(pid, [](HWND hwnd) { return FindWindowExA(hwnd, nullptr, "SysTreeView32", nullptr) != nullptr; });
}

TEST_F(SetupTest, BrowseOpensAtTheTypedFolderAndLeavesTheCaretAtTheEnd) {
  const std::string folder = target_.dir().MakeSubdir("選んだ場所");
  ASSERT_FALSE(folder.empty());
  StartSetup();
  ASSERT_TRUE(SetControlText(dialog_, kFolderEdit, folder));

  auto caret = [&] {
    DWORD_PTR selection = 0;
    SendMessageTimeoutA(GetDlgItem(dialog_, kFolderEdit), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                        &selection);
    return std::make_pair(LOWORD(selection), HIWORD(selection));
  };

  // Cancel changes nothing.
  ASSERT_TRUE(PressButton(dialog_, kBrowse));
  HWND browser = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (browser = FindBrowser(process_->id())) != nullptr; }, kDefaultTimeoutMs));
  EXPECT_FALSE(CaptureWindow(browser, "browser").empty());
  ASSERT_TRUE(PressButton(browser, IDCANCEL));
  ASSERT_TRUE(WaitForWindowGone(browser));
  EXPECT_EQ(FolderField(), folder);
  // The edit control counts characters, not bytes.
  const auto length = static_cast<WORD>(MultiByteToWideChar(CP_ACP, 0, folder.data(), static_cast<int>(folder.size()), nullptr, 0));
  EXPECT_TRUE(WaitUntil([&] { return caret() == std::make_pair(length, length); }, 3000));

  // OK takes the folder it opened at.
  ASSERT_TRUE(SetControlText(dialog_, kFolderEdit, folder));
  ASSERT_TRUE(PressButton(dialog_, kBrowse));
  ASSERT_TRUE(WaitUntil([&] { return (browser = FindBrowser(process_->id())) != nullptr; }, kDefaultTimeoutMs));
  ASSERT_TRUE(PressButton(browser, IDOK));
  ASSERT_TRUE(WaitForWindowGone(browser));
  EXPECT_STRCASEEQ(FolderField().c_str(), folder.c_str());
  EXPECT_TRUE(WaitUntil([&] { return caret() == std::make_pair(length, length); }, 3000));

  ASSERT_TRUE(PressButton(dialog_, IDCANCEL));
  EXPECT_EQ(ExitCode(), std::optional<DWORD>(2));
}

}  // namespace
