// The scrambled password kept where the journal keeps it: the registry copy and
// the profile, byte for byte.
#include "common/ini_file_win.h"
#include "common/ini_store.h"
#include "common/registry_win.h"
#include "journal/data/password_value.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorta {
namespace {

struct Awkward {
  const char* name;
  std::string text;
};

// Passwords whose scrambled values hold bytes that text round trips tend to
// lose: double-byte characters, half-width kana, quotes, backslashes, blanks.
std::vector<Awkward> AwkwardPasswords() {
  return {
      {"half-width kana", "ｱｲｳｴｵｶｷｸｹｺ"},
      {"double-byte characters", "パスワード"},
      {"trailing blank", "abc "},
      {"leading blank", " abc"},
      {"double quote", "\""},
      {"quotes around", "\"abc\""},
      {"backslash", "\\"},
      {"quote and backslashes", "a\"b\\c"},
      {"7F and FC", "\x7F\xFC"},
      {"a lone lead byte", "\x81"},
      {"scrambles to a line feed", "\x85" "A"},
      {"high bytes", "\xFF\xFE\xFD\xA0\x9F\x81\x7F\x40\x01\x5C"},
  };
}

// A key of its own under HKEY_CURRENT_USER for each test, deleted after.
class PasswordStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    key_ = std::string(kTestRoot) + "\\" + std::to_string(GetCurrentProcessId()) + "_" +
           std::to_string(GetTickCount64()) + "_" + std::to_string(++serial);
    subkey_ = key_ + "\\tavelo-soft\\vorta95";
    ASSERT_FALSE(KeyExists(key_)) << key_;
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestRoot);  // only when no other run uses it
    EXPECT_FALSE(KeyExists(key_));
  }

  static bool KeyExists(const std::string& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  // Writes a value with the plain Windows call, as older versions did.
  void WriteRaw(const std::string& subkey, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const LONG result = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    ASSERT_EQ(result, ERROR_SUCCESS);
  }

  DWORD TypeOf(const std::string& subkey, const char* name) {
    DWORD type = REG_NONE;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, subkey.c_str(), name, RRF_RT_ANY, &type, nullptr,
                           nullptr),
              ERROR_SUCCESS);
    return type;
  }

  static constexpr const char* kTestRoot = "Software\\tavelo-soft-test";
  std::string key_;     // this test's own key
  std::string subkey_;  // where the journal's key would be, inside it
};

TEST_F(PasswordStoreTest, JapaneseLiteralsAreTheCp932Bytes) {
  EXPECT_EQ(std::string("ｱｲｳｴｵｶｷｸｹｺ"), "\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA");
  EXPECT_EQ(std::string("パスワード"), "\x83\x70\x83\x58\x83\x8F\x81\x5B\x83\x68");
}

TEST_F(PasswordStoreTest, RegistryKeepsEveryByteOfTheValue) {
  for (const Awkward& password : AwkwardPasswords()) {
    SCOPED_TRACE(password.name);
    const std::string value = ScramblePassword(password.text);
    ASSERT_EQ(value.size(), kPasswordValueLength);
    // The journal writes the value with its terminating zero.
    const std::string stored = value + '\0';
    ASSERT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, subkey_.c_str(), "Password", stored));
    EXPECT_EQ(TypeOf(subkey_, "Password"), static_cast<DWORD>(REG_BINARY));

    std::string read;
    ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
    EXPECT_EQ(read.size(), kPasswordValueLength + 1);
    EXPECT_EQ(read, stored);
    std::string text;
    ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &text));
    EXPECT_EQ(text, value);
  }
}

TEST_F(PasswordStoreTest, ZeroBytesInTheValueAreKept) {
  // 0x80 scrambles to a zero byte, which a C string stops at.
  const std::string value = ScramblePassword("ab\x80" "c");
  const std::size_t zero = value.find('\0');
  ASSERT_LT(zero, kPasswordValueLength);
  ASSERT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, subkey_.c_str(), "Password", value + '\0'));
  std::string read, text;
  ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_EQ(read, value + '\0');
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &text));
  EXPECT_EQ(text, value.substr(0, zero));
}

TEST_F(PasswordStoreTest, ReadsAStringValueOfOlderVersions) {
  // Digits scramble to ASCII letters: the whole value is plain ASCII.
  const std::string value = ScramblePassword("0123456789");
  for (const char c : value) ASSERT_TRUE(c >= 0x20 && c < 0x7F) << static_cast<int>(c);
  ASSERT_NO_FATAL_FAILURE(WriteRaw(subkey_, "Password", REG_SZ, value + '\0'));
  ASSERT_EQ(TypeOf(subkey_, "Password"), static_cast<DWORD>(REG_SZ));

  std::string read = "untouched", text;
  ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_EQ(read, value + '\0');
  ASSERT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &text));
  EXPECT_EQ(text, value);

  // Writing again turns it into binary data.
  ASSERT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, subkey_.c_str(), "Password", value + '\0'));
  EXPECT_EQ(TypeOf(subkey_, "Password"), static_cast<DWORD>(REG_BINARY));
  ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_EQ(read, value + '\0');
}

TEST_F(PasswordStoreTest, MissingKeysAndValues) {
  std::string read = "untouched";
  EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_FALSE(KeyExists(key_)) << "reading creates nothing";

  ASSERT_NO_FATAL_FAILURE(WriteRaw(subkey_, "Other", REG_BINARY, "x"));
  EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_EQ(read, "untouched");
}

TEST_F(PasswordStoreTest, WritingCreatesTheMissingKeys) {
  ASSERT_FALSE(KeyExists(key_));
  ASSERT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, subkey_.c_str(), "Password", "abc"));
  EXPECT_TRUE(KeyExists(subkey_));
  std::string read;
  ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_EQ(read, "abc");

  // A second value in the key that now exists, and an empty one.
  ASSERT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, subkey_.c_str(), "Empty", ""));
  ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Empty", &read));
  EXPECT_EQ(read, "");
  ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_EQ(read, "abc");
}

TEST_F(PasswordStoreTest, ValuesPastTheBound) {
  const std::string largest(kRegistryValueLimit, '\xA5');
  ASSERT_TRUE(WriteRegistryBinary(HKEY_CURRENT_USER, subkey_.c_str(), "Largest", largest));
  std::string read;
  ASSERT_TRUE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Largest", &read));
  EXPECT_EQ(read, largest);

  EXPECT_FALSE(WriteRegistryBinary(HKEY_CURRENT_USER, subkey_.c_str(), "Password",
                                   largest + 'x'));
  ASSERT_NO_FATAL_FAILURE(WriteRaw(subkey_, "Password", REG_BINARY, largest + 'x'));
  read = "untouched";
  EXPECT_FALSE(ReadRegistryValue(HKEY_CURRENT_USER, subkey_.c_str(), "Password", &read));
  EXPECT_EQ(read, "untouched");
}

TEST_F(PasswordStoreTest, ProfileKeepsEveryByteOfTheValue) {
  char temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof temp, temp);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof temp);
  const std::string path = std::string(temp) + "vorta_password_test_" +
                           std::to_string(GetCurrentProcessId()) + ".INI";

  std::vector<Awkward> passwords = AwkwardPasswords();
  passwords.push_back({"no password", std::string(kNoPasswordSentinel)});
  for (const Awkward& password : passwords) {
    SCOPED_TRACE(password.name);
    const std::string value = ScramblePassword(password.text);
    IniStore store;
    if (value.find('\n') != std::string::npos) {
      // A line feed cannot stand in a profile line: only the registry can keep this one.
      EXPECT_FALSE(store.SetString("init", "data1", value));
      continue;
    }
    ASSERT_TRUE(store.SetString("init", "data1", value));
    ASSERT_TRUE(SaveIniFile(path, store));
    IniStore loaded;
    ASSERT_TRUE(LoadIniFile(path, &loaded));
    EXPECT_EQ(loaded.GetString("init", "data1", kPasswordMarker), value);
  }
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace vorta
