// Folders made one level at a time and shortcuts read back as the shell reads them.
#include "common/shell_win.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    base_ = std::string(temp) + "vorta-shell-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(base_.c_str(), nullptr);
    ::CoInitialize(nullptr);
  }
  void TearDown() override {
    ::CoUninitialize();
    for (const char* path : {"\\A\\B", "\\A", "\\X\\Y", "\\X", "\\shortcut.lnk"}) {
      ::RemoveDirectoryA((base_ + path).c_str());
      ::DeleteFileA((base_ + path).c_str());
    }
    ::RemoveDirectoryA(base_.c_str());
  }
  bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::string base_;
};

TEST_F(ShellTest, EnsureParentFolderMakesOneLevelOnly) {
  EXPECT_TRUE(vorta::EnsureParentFolder(base_ + "\\A\\B")) << "the parent A is made";
  EXPECT_TRUE(IsFolder(base_ + "\\A"));
  EXPECT_FALSE(IsFolder(base_ + "\\A\\B")) << "the folder itself is not";
  EXPECT_TRUE(vorta::EnsureParentFolder(base_ + "\\A\\B\\")) << "a final backslash changes nothing";
  EXPECT_FALSE(vorta::EnsureParentFolder(base_ + "\\X\\Y\\Z")) << "two levels missing";
  EXPECT_FALSE(IsFolder(base_ + "\\X"));
  EXPECT_TRUE(vorta::EnsureParentFolder(base_ + "\\C")) << "an existing parent";
  EXPECT_FALSE(vorta::EnsureParentFolder("VORTA")) << "no parent at all";
}

TEST_F(ShellTest, AShortcutStartsTheProgramInItsFolder) {
  const std::string folder = base_ + "\\";
  const std::string lnk = base_ + "\\shortcut.lnk";
  ASSERT_EQ(vorta::CreateShortcut(folder, "vorta.exe", lnk), S_OK);
  ASSERT_EQ(vorta::CreateShortcut(folder, "vorta.exe", lnk), S_OK) << "an existing shortcut is replaced";

  IShellLinkA* link = nullptr;
  ASSERT_EQ(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               reinterpret_cast<void**>(&link)),
            S_OK);
  IPersistFile* file = nullptr;
  ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
  wchar_t wide[MAX_PATH] = {};
  ::MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
  ASSERT_EQ(file->Load(wide, STGM_READ), S_OK);
  char target[MAX_PATH] = {}, working[MAX_PATH] = {};
  link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
  link->GetWorkingDirectory(working, MAX_PATH);
  file->Release();
  link->Release();
  EXPECT_STRCASEEQ(target, (folder + "vorta.exe").c_str());
  EXPECT_STRCASEEQ(working, base_.c_str());
}

}  // namespace
