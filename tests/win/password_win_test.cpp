// The password value kept consistent at start, between the settings file and
// its backup in the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/ini_file_win.h"
#include "common/registry_win.h"
#include "framework/framework.h"
#include "journal/data/password_value.h"
#include "journal/window/password_dlg.h"
#include "tests/win/dialog_test_support.h"

namespace {

constexpr char kBackupKey[] = "Software\\tavelo-soft\\vorta95";

class PasswordUpkeepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_ = UseTemporaryProfile("upkeep-test");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
  }
  void TearDown() override {
    ::DeleteFileA(profile_.c_str());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
  }

  std::optional<std::string> Profile(const char* key) {
    vorta::IniStore store;
    vorta::LoadIniFile(profile_, &store);
    const std::string value = store.GetString("init", key, "\x01");
    if (value == "\x01") return std::nullopt;
    return value;
  }
  void SetProfile(const std::string& value) { AfxGetApp()->WriteProfileString("init", "data1", value.c_str()); }
  std::optional<std::string> Backup() {
    std::string bytes;
    if (!vorta::ReadRegistryValue(HKEY_CURRENT_USER, kBackupKey, "Password", &bytes)) return std::nullopt;
    return bytes;
  }
  void SetBackup(const std::string& bytes) {
    ASSERT_TRUE(vorta::WriteRegistryBinary(HKEY_CURRENT_USER, kBackupKey, "Password", bytes));
  }

  std::string profile_;
};

TEST_F(PasswordUpkeepTest, KeepsTheValueAndItsBackupConsistent) {
  const std::string noPassword = vorta::NoPasswordValue();
  const std::string abc = vorta::ScramblePassword("abc");
  const std::string xyz = vorta::ScramblePassword("xyz");
  const std::string z(1, '\0');
  struct Case {
    const char* name;
    std::optional<std::string> profile, backup;  // before; nullopt: none
    std::string wantProfile;
    std::optional<std::string> wantBackup;
  } cases[] = {
      {"a first start: no settings, no backup; the backup is not written", std::nullopt, std::nullopt, noPassword,
       std::nullopt},
      {"settings lost: the backup brings the password back", std::nullopt, abc + z, abc, abc + z},
      {"a backup of a wrong length resets both, even a good profile value", abc, "short" + z, noPassword,
       noPassword + z},
      {"a damaged profile value with no backup: reset, and backed up in a new key", "garbled", std::nullopt,
       noPassword, noPassword + z},
      {"a good value with no backup stays, and no backup is written", abc, std::nullopt, abc, std::nullopt},
      {"both good: nothing changes, even when they differ", abc, xyz + z, abc, xyz + z},
      {"an old string backup is read too", std::nullopt, abc, abc, abc},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileA(profile_.c_str());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kBackupKey);
    if (c.profile) SetProfile(*c.profile);
    if (c.backup) SetBackup(*c.backup);

    KeepPasswordValue();

    EXPECT_EQ(Profile("data1"), c.wantProfile);
    EXPECT_EQ(Backup(), c.wantBackup);
    if (c.wantProfile != c.profile) {
      EXPECT_EQ(Profile("data2"), "2") << "written with the value";
    }
  }
}

}  // namespace
