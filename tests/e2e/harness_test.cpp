// The harness's own tests: pure helpers on tables of cases, then the whole
// chain against a small window program (fixture/fixture_app.cpp) started from a
// fresh folder under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/e2e.h"

namespace e2e {
namespace {

// ---- Paths -------------------------------------------------------------------

TEST(PathTest, WinePathsFromUnixPaths) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"/work/build/x.exe", "Z:\\work\\build\\x.exe"},
      {"Z:/work/build/x.exe", "Z:\\work\\build\\x.exe"},  // what E2E_PROGRAM_* holds
      {"C:\\users\\Temp", "C:\\users\\Temp"},
      {"/", "Z:\\"},
      {"/a/表示/b", "Z:\\a\\表示\\b"},  // "表" ends in the byte 0x5C
  };
  for (const auto& c : cases) EXPECT_EQ(WinePathFromUnix(c.in), c.out) << c.in;
}

// CP932 trail bytes can be 0x5C ('\'): "表" and "ソ" end in one.
TEST(PathTest, SplitsAndJoinsAtSeparatorsOnly) {
  EXPECT_EQ(FileNamePart("C:\\a\\表"), "表");
  EXPECT_EQ(FileNamePart("Z:/x/y.exe"), "y.exe");
  EXPECT_EQ(FileNamePart("y.exe"), "y.exe");
  EXPECT_EQ(DirectoryPart("C:\\a\\ソ"), "C:\\a");
  EXPECT_EQ(DirectoryPart("C:\\ソ\\b.exe"), "C:\\ソ");
  EXPECT_EQ(DirectoryPart("y.exe"), "");

  EXPECT_EQ(JoinPath("C:\\a", "b"), "C:\\a\\b");
  EXPECT_EQ(JoinPath("C:\\a\\", "b"), "C:\\a\\b");
  EXPECT_EQ(JoinPath("C:\\a", "\\b"), "C:\\a\\b");
  EXPECT_EQ(JoinPath("C:\\表", "b"), "C:\\表\\b");
}

// ---- Files ---------------------------------------------------------------------

TEST(FilesTest, TempDirHoldsFilesAndGoesAwayWithThem) {
  std::string kept;
  {
    TempDir dir("e2e-self");
    ASSERT_TRUE(dir.valid());
    kept = dir.path();
    EXPECT_TRUE(DirectoryExists(kept));
    EXPECT_NE(TempDir("e2e-self").path(), kept);

    const std::string sub = dir.MakeSubdir("DATA\\200001");
    ASSERT_EQ(sub, dir.Join("DATA\\200001"));
    ASSERT_TRUE(DirectoryExists(sub));

    // NUL, CR LF, a lone LF and a trail byte 0x5C must all survive.
    const std::string bytes("a\0b\r\nc\n表\x1a", 11);
    const std::string file = JoinPath(sub, "X.DAY");
    ASSERT_TRUE(WriteFileBytes(file, bytes));
    EXPECT_EQ(ReadFileBytes(file), bytes);

    // Left read-only on purpose: the folder must go all the same.
    ASSERT_TRUE(SetReadOnly(file, true));
    EXPECT_TRUE(IsReadOnly(file));
  }
  EXPECT_FALSE(DirectoryExists(kept));
  EXPECT_EQ(ReadFileBytes(JoinPath(kept, "DATA\\200001\\X.DAY")), std::nullopt);
}

TEST(FilesTest, ReadOnlyCanBeClearedAgain) {
  TempDir dir("e2e-self");
  const std::string file = dir.Join("a.txt");
  ASSERT_TRUE(WriteFileBytes(file, "1"));
  ASSERT_TRUE(SetReadOnly(file, true));
  ASSERT_TRUE(SetReadOnly(file, false));
  EXPECT_FALSE(IsReadOnly(file));
  EXPECT_TRUE(WriteFileBytes(file, "2"));
  EXPECT_EQ(ReadFileBytes(file), "2");
  EXPECT_FALSE(SetReadOnly(dir.Join("missing.txt"), true));
}

// ---- INI profile ---------------------------------------------------------------

TEST(IniValueTest, FindsValuesBySectionAndKey) {
  const std::string ini =
      "; written by hand\r\n"
      "[Window]\r\n"
      "Left = 10 \r\n"
      "Top=20\r\n"
      "Empty=\r\n"
      "\r\n"
      "[Data]\r\n"
      "Folder=C:\\日記\\表\r\n"
      "left=99\r\n"
      "Pair=a=b\r\n"
      "[window]\r\n"
      "Width=5\r\n"
      "[ア]\r\n"
      "キー=値\r\n";
  const struct {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"Window", "Left", "10"},
      {"WINDOW", "left", "10"},
      {"window", "TOP", "20"},
      {"Window", "Empty", ""},
      {"Data", "Folder", "C:\\日記\\表"},
      {"Data", "Left", "99"},  // a key of another section
      {"Data", "Pair", "a=b"},
      {"Window", "Width", std::nullopt},  // only the first [Window] counts
      {"Window", "Folder", std::nullopt},
      {"Missing", "Left", std::nullopt},
      {"ア", "キー", "値"},
      {"ヂ", "キー", std::nullopt},  // 0x83 0x61 is not 0x83 0x41 in another case
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IniValue(ini, c.section, c.key), c.value) << c.section << " / " << c.key;
  }
  EXPECT_EQ(IniValue("[A]\nk=1\n[B]\nk=2", "B", "k"), "2");  // LF only, no final newline
}

TEST(ProfileTest, GuardStartsEmptyAndPutsTheOldProfileBack) {
  ProfileGuard outer;  // whatever this prefix had stays as it was
  const std::string path = ProfilePath();
  ASSERT_NE(path.find("\\tavelo-soft\\vorta95\\vorta.INI"), std::string::npos) << path;
  EXPECT_FALSE(FileExists(path));

  ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
  ASSERT_TRUE(WriteFileBytes(path, "[Main]\r\nDay=before\r\n"));
  {
    ProfileGuard guard;
    EXPECT_FALSE(FileExists(path));
    ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
    ASSERT_TRUE(WriteFileBytes(path, "[Main]\r\nDay=during\r\n"));
    EXPECT_EQ(ReadProfileValue("main", "day"), "during");
  }
  EXPECT_EQ(ReadProfileValue("Main", "Day"), "before");

  ASSERT_TRUE(RemoveProfile());
  {
    ProfileGuard guard;
    ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
    ASSERT_TRUE(WriteFileBytes(path, "[Main]\r\nDay=left over\r\n"));
  }
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(DirectoryExists(ProfileDirectory()));
  EXPECT_EQ(ReadProfileValue("Main", "Day"), std::nullopt);
}

// ---- Bitmaps -------------------------------------------------------------------

TEST(BmpTest, SavedBitmapReadsBackPixelForPixel) {
  // Width 3: every row of the file is padded to 12 bytes.
  Image image;
  image.width = 3;
  image.height = 2;
  image.bgr = {0, 0, 255, 0, 255, 0, 255, 0, 0,   // red green blue
               1, 2, 3, 4, 5, 6, 7, 8, 9};
  TempDir dir("e2e-self");
  const std::string path = dir.Join("x.bmp");
  ASSERT_TRUE(SaveBmp(image, path));
  const std::optional<std::string> bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 54u + 2 * 12);
  EXPECT_EQ(bytes->substr(0, 2), "BM");
  // Bottom-up: the file's first row is the image's last.
  EXPECT_EQ(static_cast<unsigned char>((*bytes)[54]), 1u);

  const std::optional<Image> back = LoadBmp(path);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 3);
  EXPECT_EQ(back->height, 2);
  EXPECT_EQ(back->bgr, image.bgr);
  EXPECT_EQ(back->Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(back->Pixel(2, 0), RGB(0, 0, 255));
  EXPECT_EQ(back->Pixel(0, 1), RGB(3, 2, 1));
  EXPECT_FALSE(back->IsUniform());
  EXPECT_EQ(LoadBmp(dir.Join("missing.bmp")), std::nullopt);
}

TEST(CaptureTest, NamesFilesAfterTheTestInTheChosenFolder) {
  TempDir dir("e2e-self");
  char old[MAX_PATH * 2];
  const DWORD had = GetEnvironmentVariableA("E2E_CAPTURE_DIR", old, sizeof old);
  ASSERT_TRUE(SetEnvironmentVariableA("E2E_CAPTURE_DIR", dir.Join("shots").c_str()));
  const std::string path = CapturePath("main:after resize");
  const std::string folder = CaptureDirectory();
  SetEnvironmentVariableA("E2E_CAPTURE_DIR", had > 0 && had < sizeof old ? old : nullptr);

  EXPECT_EQ(folder, dir.Join("shots"));
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_EQ(path, JoinPath(folder, "CaptureTest.NamesFilesAfterTheTestInTheChosenFolder-"
                                   "main_after resize.bmp"));
}

// ---- The fixture program -------------------------------------------------------

constexpr char kTitle[] = "E2E Fixture";
constexpr char kChildTitle[] = "E2E Fixture Child";
constexpr char kConfirmCaption[] = "終了の確認";
constexpr int kEditId = 101, kComboId = 102, kCheckId = 103, kFinishId = 104, kKeysId = 105,
              kSizeId = 106;

class FixtureAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(box_.valid());
    exe_ = box_.Install(E2E_PROGRAM_E2E_FIXTURE_APP);
    ASSERT_FALSE(exe_.empty()) << E2E_PROGRAM_E2E_FIXTURE_APP;
  }

  // Starts the fixture and waits for its window; nullptr on failure.
  HWND StartWindow(Process** process = nullptr, std::string_view args = {}) {
    Process& app = box_.Start(exe_, args);
    if (process) *process = &app;
    if (!app.started()) {
      ADD_FAILURE() << "start failed, error " << app.start_error();
      return nullptr;
    }
    HWND window = WaitForWindow(kTitle, app.id());
    if (!window) ADD_FAILURE() << "no window \"" << kTitle << "\"";
    return window;
  }

  Sandbox box_{"e2e-fixture"};
  std::string exe_;
};

TEST_F(FixtureAppTest, DrivesControlsAndAnswersTheMessageBox) {
  Process* app = nullptr;
  HWND window = StartWindow(&app);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowProcessId(window), app->id());
  EXPECT_EQ(GetText(window), kTitle);

  const std::string text = "表ソ日記";  // two trail bytes 0x5C
  ASSERT_TRUE(SetControlText(window, kEditId, text));
  EXPECT_EQ(GetControlText(window, kEditId), text);

  EXPECT_EQ(GetComboCount(window, kComboId), 4);
  EXPECT_EQ(GetComboItemText(window, kComboId, 2), "雨");
  EXPECT_EQ(GetComboSelection(window, kComboId), 0);
  ASSERT_TRUE(SetComboSelection(window, kComboId, 2));
  EXPECT_EQ(GetComboSelection(window, kComboId), 2);
  EXPECT_FALSE(SetComboSelection(window, kComboId, 9));
  EXPECT_EQ(GetComboSelection(window, kComboId), 2);

  // A synchronous click has toggled the box by the time it returns.
  ASSERT_TRUE(ClickButton(window, kCheckId));
  EXPECT_EQ(GetCheck(window, kCheckId), BST_CHECKED);

  ASSERT_TRUE(PressButton(window, kFinishId));
  HWND box = WaitForMessageBox(kConfirmCaption, app->id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "「表ソ日記」で終了しますか？");
  EXPECT_FALSE(CaptureWindow(box, "confirm").empty());
  ASSERT_TRUE(AnswerMessageBox(box, kIdNo));
  EXPECT_EQ(app->WaitForExit(100), std::nullopt);

  // The program reads the check box when it ends: the change made now counts.
  ASSERT_TRUE(SetCheck(window, kCheckId, BST_UNCHECKED));
  ASSERT_TRUE(PressButton(window, kFinishId));
  box = WaitForMessageBox(kConfirmCaption, app->id());
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(AnswerMessageBox(box, kIdYes));
  EXPECT_EQ(app->WaitForExit(kDefaultTimeoutMs), 1030u);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(FixtureAppTest, RefusesButtonsAUserCouldNotClick) {
  Process* app = nullptr;
  HWND window = StartWindow(&app);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(ClickButton(window, 999));
  EXPECT_FALSE(PressButton(window, 999));
  EnableWindow(GetDlgItem(window, kFinishId), FALSE);
  EXPECT_FALSE(PressButton(window, kFinishId));
  EXPECT_FALSE(ClickButton(window, kFinishId));
  EXPECT_EQ(WaitForMessageBox(kConfirmCaption, app->id(), 300), nullptr);
  EXPECT_EQ(GetControlText(window, 999), std::nullopt);
  EXPECT_FALSE(SetControlText(window, 999, "x"));
}

TEST_F(FixtureAppTest, PostedKeysCarryTheBitsOfARealKeyboard) {
  HWND window = StartWindow();
  ASSERT_NE(window, nullptr);
  HWND edit = GetDlgItem(window, kEditId);

  // Each entry: message, key, repeat count, bits 24 (extended), 29 (Alt),
  // 30 (was down) and 31 (going up).
  std::string expected = "KD 74 1 0 0 0 0;KU 74 1 0 0 1 1;";
  ASSERT_TRUE(PostKey(edit, VK_F5));
  EXPECT_TRUE(WaitUntil([&] { return GetControlText(window, kKeysId) == expected; }, 2000))
      << GetControlText(window, kKeysId).value_or("(no answer)");

  expected += "KD 22 1 1 0 0 0;KU 22 1 1 0 1 1;";
  ASSERT_TRUE(PostKey(edit, VK_NEXT));
  EXPECT_TRUE(WaitUntil([&] { return GetControlText(window, kKeysId) == expected; }, 2000))
      << GetControlText(window, kKeysId).value_or("(no answer)");

  // Alt+S reaches the check box's mnemonic through the program's own loop.
  ASSERT_EQ(GetCheck(window, kCheckId), BST_UNCHECKED);
  expected += "SD 53 1 0 1 0 0;SU 53 1 0 1 1 1;";
  ASSERT_TRUE(PostKey(edit, 'S', true));
  EXPECT_TRUE(WaitUntil([&] { return GetControlText(window, kKeysId) == expected; }, 2000))
      << GetControlText(window, kKeysId).value_or("(no answer)");
  EXPECT_TRUE(WaitUntil([&] { return GetCheck(window, kCheckId) == BST_CHECKED; }, 2000));
}

TEST_F(FixtureAppTest, ExitCodesTimeOutsAndClosing) {
  Process& quick = box_.Start(exe_, "/exit 7");
  ASSERT_TRUE(quick.started());
  EXPECT_EQ(quick.WaitForExit(kDefaultTimeoutMs), 7u);
  Process& wide = box_.Start(exe_, "/exit 300");  // more than the 8 bits a shell sees
  EXPECT_EQ(wide.WaitForExit(kDefaultTimeoutMs), 300u);

  Process* app = nullptr;
  HWND window = StartWindow(&app);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(app->WaitForExit(50), std::nullopt);
  EXPECT_TRUE(app->running());
  ASSERT_TRUE(PostSysClose(window));
  EXPECT_EQ(app->WaitForExit(kDefaultTimeoutMs), 0u);
  EXPECT_TRUE(WaitForWindowGone(window, 1000));

  Process missing = Process::Start(box_.Join("missing.exe"));
  EXPECT_FALSE(missing.started());
  EXPECT_EQ(missing.start_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FixtureAppTest, FindsTheWindowOfTheRightProcess) {
  Process* first = nullptr;
  Process* second = nullptr;
  HWND a = StartWindow(&first);
  HWND b = StartWindow(&second);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(WindowProcessId(a), first->id());
  EXPECT_EQ(WindowProcessId(b), second->id());
  EXPECT_EQ(FindTopWindow(kTitle, GetCurrentProcessId()), nullptr);
  EXPECT_EQ(WaitForWindow("E2E Fixtur", 0, 100), nullptr);  // titles match exactly
}

TEST(ProcessTest, KillEndsTheProgramAndWhatItStarted) {
  std::string folder;
  HWND main_window = nullptr;
  HWND child_window = nullptr;
  {
    Sandbox box("e2e-kill");
    const std::string exe = box.Install(E2E_PROGRAM_E2E_FIXTURE_APP);
    ASSERT_FALSE(exe.empty());
    folder = box.path();
    Process& app = box.Start(exe, "/spawn");
    ASSERT_TRUE(app.started());
    main_window = WaitForWindow(kTitle, app.id());
    ASSERT_NE(main_window, nullptr);
    std::vector<DWORD> running;
    ASSERT_TRUE(WaitUntil([&] { return (running = ProcessesRunningFrom(folder)).size() == 2; }, 2000));
    const DWORD child = running[0] == app.id() ? running[1] : running[0];
    EXPECT_NE(child, app.id());
    child_window = WaitForWindow(kChildTitle, child);
    ASSERT_NE(child_window, nullptr);
    EXPECT_EQ(app.ActiveProcessCount(), 2u);
  }
  // Both ended before the folder (with the running .exe in it) was removed.
  EXPECT_TRUE(ProcessesRunningFrom(folder).empty());
  EXPECT_FALSE(IsWindow(main_window));
  EXPECT_FALSE(IsWindow(child_window));
  EXPECT_FALSE(DirectoryExists(folder));
}

TEST_F(FixtureAppTest, MovesAndResizesTheWindow) {
  HWND window = StartWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(MoveWindowTo(window, 100, 120, 450, 260));
  RECT r = WindowRect(window);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(r.right - r.left, 450);
  EXPECT_EQ(r.bottom - r.top, 260);

  ASSERT_TRUE(ResizeWindow(window, 520, 300));
  r = WindowRect(window);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right - r.left, 520);
  EXPECT_EQ(r.bottom - r.top, 300);
  // The program saw the new size (its WM_SIZE shows the client size).
  const RECT client = ClientRect(window);
  EXPECT_EQ(GetControlText(window, kSizeId),
            std::to_string(client.right) + "x" + std::to_string(client.bottom));
}

TEST_F(FixtureAppTest, CapturesShowTheWindowAndTheDroppedList) {
  HWND window = StartWindow();
  ASSERT_NE(window, nullptr);
  const std::string path = CaptureWindow(window, "window");
  ASSERT_FALSE(path.empty());
  const std::optional<Image> image = LoadBmp(path);
  ASSERT_TRUE(image);
  const RECT frame = WindowRect(window);
  EXPECT_EQ(image->width, frame.right - frame.left);
  EXPECT_EQ(image->height, frame.bottom - frame.top);
  EXPECT_FALSE(image->IsUniform());

  // The fixture's colour marks, red above blue, found where the client area is.
  const auto pixel_at_client = [&](int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    return image->Pixel(p.x - frame.left, p.y - frame.top);
  };
  EXPECT_EQ(pixel_at_client(390, 20), RGB(255, 0, 0));
  EXPECT_EQ(pixel_at_client(390, 160), RGB(0, 0, 255));

  const std::string list_path = CaptureComboDropDown(window, kComboId, "weather-list");
  ASSERT_FALSE(list_path.empty());
  const std::optional<Image> with_list = LoadBmp(list_path);
  ASSERT_TRUE(with_list);
  EXPECT_FALSE(with_list->IsUniform());
  // The list covers what lies below the combo box.
  EXPECT_NE(with_list->bgr, image->bgr);
  EXPECT_EQ(SendMessageA(GetDlgItem(window, kComboId), CB_GETDROPPEDSTATE, 0, 0), FALSE);
}

}  // namespace
}  // namespace e2e
