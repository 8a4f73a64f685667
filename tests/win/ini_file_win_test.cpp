#include "common/ini_file_win.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vorta {
namespace {

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Names in `folder`, "." and ".." left out.
std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

void RemoveTree(const std::string& path) {
  for (const std::string& name : ListFolder(path)) {
    const std::string child = path + "\\" + name;
    if (IsDirectory(child)) {
      RemoveTree(child);
    } else {
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(child.c_str());
    }
  }
  RemoveDirectoryA(path.c_str());
}

bool ReadBytes(const std::string& path, std::string* bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buffer[4096];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr)) && read > 0) {
    bytes->append(buffer, read);
  }
  CloseHandle(file);
  return ok;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

// Each test works in a folder of its own under the temp folder, removed after.
class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof temp, temp);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof temp);
    static int serial = 0;
    root_ = std::string(temp) + "vorta_ini_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(GetTickCount64()) + "_" + std::to_string(++serial);
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
  }
  void TearDown() override {
    if (!root_.empty()) RemoveTree(root_);
  }

  std::string root_;
};

TEST_F(IniFileTest, SavesThroughMissingFoldersAndReadsBackExactly) {
  // "表" is 95 5C: a folder name whose second byte looks like a separator.
  const std::string app = root_ + "\\tavelo-soft";
  const std::string folder = app + "\\表示\\vorta95";
  const std::string path = folder + "\\vorta.INI";

  std::string password;
  for (int b = 0xFF; b >= 0x20; --b) password += static_cast<char>(b);
  password += "\x81\x20" "\x85\x40" " \"=;[ " "\xFC";
  IniStore store;
  ASSERT_TRUE(store.SetString("Settings", "Password", password));
  ASSERT_TRUE(store.SetString("Settings", "Name", "  \"日記\"  "));
  ASSERT_TRUE(store.SetInt("Find History", "Find Count", -12));
  ASSERT_TRUE(store.SetString("検索履歴", "ソフト", "表示ゾーン"));

  ASSERT_TRUE(SaveIniFile(path, store));
  EXPECT_TRUE(IsDirectory(folder));
  EXPECT_EQ(ListFolder(app), std::vector<std::string>{"表示"});
  EXPECT_EQ(ListFolder(folder), std::vector<std::string>{"vorta.INI"});

  std::string on_disk;
  ASSERT_TRUE(ReadBytes(path, &on_disk));
  EXPECT_EQ(on_disk, store.Serialize());

  IniStore loaded;
  ASSERT_TRUE(LoadIniFile(path, &loaded));
  EXPECT_EQ(loaded.Serialize(), store.Serialize());
  EXPECT_EQ(loaded.GetString("settings", "password", ""), password);
  EXPECT_EQ(loaded.GetString("Settings", "Name", ""), "  \"日記\"  ");
  EXPECT_EQ(loaded.GetInt("FIND HISTORY", "find count", 0), -12);
  EXPECT_EQ(loaded.GetString("検索履歴", "ソフト", ""), "表示ゾーン");
}

TEST_F(IniFileTest, SavingAgainReplacesTheWholeFile) {
  const std::string path = root_ + "\\vorta.INI";
  IniStore big;
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(big.SetInt("Many", "Key" + std::to_string(i), i));
  ASSERT_TRUE(SaveIniFile(path, big));

  IniStore small;
  ASSERT_TRUE(small.SetString("Few", "One", "1"));
  ASSERT_TRUE(SaveIniFile(path, small));

  std::string on_disk;
  ASSERT_TRUE(ReadBytes(path, &on_disk));
  EXPECT_EQ(on_disk, "[Few]\r\nOne=1\r\n");
  EXPECT_EQ(ListFolder(root_), std::vector<std::string>{"vorta.INI"});
}

TEST_F(IniFileTest, NamesWhoseSecondByteIs5C) {
  const std::string path = root_ + "\\設定\\表.INI";  // 95 5C before the dot
  IniStore store;
  ASSERT_TRUE(store.SetString("S", "k", "v"));
  ASSERT_TRUE(SaveIniFile(path, store));
  EXPECT_EQ(ListFolder(root_ + "\\設定"), std::vector<std::string>{"表.INI"});
  IniStore loaded;
  ASSERT_TRUE(LoadIniFile(path, &loaded));
  EXPECT_EQ(loaded.GetString("S", "k", ""), "v");
}

TEST_F(IniFileTest, MissingFileLoadsAsAnEmptyStore) {
  for (const std::string& path : {root_ + "\\vorta.INI", root_ + "\\no\\such\\vorta.INI"}) {
    SCOPED_TRACE(path);
    IniStore store = IniStore::Parse("[S]\r\nk=v\r\n");
    ASSERT_TRUE(LoadIniFile(path, &store));
    EXPECT_TRUE(store.empty());
  }
  EXPECT_TRUE(ListFolder(root_).empty());
}

TEST_F(IniFileTest, LoadsAFileWrittenByHand) {
  const std::string path = root_ + "\\vorta.INI";
  ASSERT_TRUE(WriteBytes(path, "; by hand\n[Find History]\nFind Count = 2\nFind1=  'x' \x81"));
  IniStore store;
  ASSERT_TRUE(LoadIniFile(path, &store));
  EXPECT_EQ(store.GetInt("Find History", "Find Count", 0), 2);
  EXPECT_EQ(store.GetString("Find History", "Find1", ""), "  'x' \x81");
  EXPECT_EQ(store.Serialize(), "; by hand\r\n[Find History]\r\nFind Count = 2\r\nFind1=  'x' \x81\r\n");
}

TEST_F(IniFileTest, FailuresLeaveNothingBehind) {
  IniStore store;
  ASSERT_TRUE(store.SetString("S", "k", "v"));

  // A file stands where a folder is needed.
  const std::string blocker = root_ + "\\blocker";
  ASSERT_TRUE(WriteBytes(blocker, "not a folder"));
  EXPECT_FALSE(SaveIniFile(blocker + "\\sub\\vorta.INI", store));

  // A folder stands where the file goes: the move fails after the write.
  const std::string folder = root_ + "\\taken";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_FALSE(SaveIniFile(folder, store));

  std::vector<std::string> names = ListFolder(root_);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"blocker", "taken"}));

  // A folder cannot be read as a file: the store stays as it was.
  IniStore kept = IniStore::Parse("[S]\r\nk=kept\r\n");
  EXPECT_FALSE(LoadIniFile(folder, &kept));
  EXPECT_EQ(kept.GetString("S", "k", ""), "kept");
}

TEST(IniFilePath, IsInTheApplicationDataFolder) {
  char appdata[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appdata)));
  EXPECT_EQ(ProfilePath(), std::string(appdata) + "\\tavelo-soft\\vorta95\\vorta.INI");
}

}  // namespace
}  // namespace vorta
