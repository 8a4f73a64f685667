// The installer's conversion step on a real folder: old month files turned
// into month files in DATA and removed, others left alone, and nothing lost
// when a file cannot be converted.
#include "setup/convert_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::string;

// A month file of either format with one record: day, attribute word, text.
Bytes Month(const char* magic, int day, unsigned attributes, const std::string& text, long length = -1) {
  Bytes payload;
  payload += static_cast<char>(day);
  payload += static_cast<char>(attributes & 0xFF);
  payload += static_cast<char>(attributes >> 8);
  payload += static_cast<char>((text.size() + 1) & 0xFF);
  payload += static_cast<char>((text.size() + 1) >> 8);
  payload += text;
  payload += '\0';
  const auto size = static_cast<unsigned>(length >= 0 ? length : static_cast<long>(payload.size()));
  Bytes file(magic);
  file += '\x01';
  for (int i = 0; i < 4; ++i) file += static_cast<char>((size >> (8 * i)) & 0xFF);
  for (char c : payload) file += static_cast<char>(c ^ 0x6B);
  return file;
}
const Bytes kEmptyMonth("Q20\0\0\0\0\0", 8);

class LegacyStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "vorta-legacy-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    ::CreateDirectoryA((folder_ + "DATA").c_str(), nullptr);
  }
  void TearDown() override {
    for (const char* sub : {"DATA\\", ""}) {
      WIN32_FIND_DATAA found;
      HANDLE find = ::FindFirstFileA((folder_ + sub + "*").c_str(), &found);
      if (find == INVALID_HANDLE_VALUE) continue;
      do {
        const std::string path = folder_ + sub + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
      } while (::FindNextFileA(find, &found));
      ::FindClose(find);
    }
    ::RemoveDirectoryA((folder_ + "DATA").c_str());
    ::RemoveDirectoryA(folder_.c_str());
  }

  void Write(const std::string& name, const Bytes& bytes) {
    HANDLE file = ::CreateFileA((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  std::optional<Bytes> Read(const std::string& name) {
    HANDLE file = ::CreateFileA((folder_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    Bytes bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    return bytes;
  }
  // Runs the step and gives the messages it showed.
  std::vector<std::string> Run(vorta::LegacyStepResult* result = nullptr) {
    std::vector<std::string> messages;
    const auto r = vorta::ConvertLegacyFolder(folder_, [&](const std::string& text, UINT) { messages.push_back(text); });
    if (result) *result = r;
    return messages;
  }

  std::string folder_;
};

TEST_F(LegacyStepTest, NothingToConvertShowsNothing) {
  EXPECT_EQ(Run(), std::vector<std::string>{});
}

TEST_F(LegacyStepTest, OldFilesBecomeMonthFilesAndGo) {
  Write("200101.day", Month("Q12", 5, 0x3280, "雨の日"));
  Write("200102.DAY", Month("Q12", 6, 0x0000, "晴れ"));  // the extension in capitals
  Write("200103.day", Month("Q12", 7, 0x0080, "記念日"));
  Write("notes.day", Month("Q20", 1, 0, "not old"));  // another "*.day": left alone
  Write("DATA\\200103.DAY", kEmptyMonth);              // an empty month may be replaced

  vorta::LegacyStepResult result;
  EXPECT_EQ(Run(&result), (std::vector<std::string>{"以前のバージョンのデータをコンバートします。",
                                                     "3 個のﾌｧｲﾙを変換しました。"}));
  EXPECT_EQ(result.converted, 3);
  EXPECT_EQ(Read("DATA\\200101.DAY"), Month("Q20", 5, 0x1940, "雨の日"));
  EXPECT_EQ(Read("DATA\\200102.DAY"), Month("Q20", 6, 0x0000, "晴れ"));
  EXPECT_EQ(Read("DATA\\200103.DAY"), Month("Q20", 7, 0x0040, "記念日"));
  for (const char* old : {"200101.day", "200102.DAY", "200103.day"}) EXPECT_EQ(Read(old), std::nullopt) << old;
  EXPECT_EQ(Read("notes.day"), Month("Q20", 1, 0, "not old"));

  // Run again: only the other file is left, so nothing is converted.
  EXPECT_EQ(Run(), (std::vector<std::string>{"以前のバージョンのデータをコンバートします。",
                                             "0 個のﾌｧｲﾙを変換しました。"}));
}

TEST_F(LegacyStepTest, NothingIsLostWhenAFileCannotBeConverted) {
  const Bytes damaged = Month("Q12", 5, 0x3280, "long text", 8);  // its record overruns the payload
  const Bytes newer = Month("Q20", 9, 0, "written since");
  Write("200104.day", damaged);
  Write("200105.day", Month("Q12", 5, 0x3280, "old"));
  Write("DATA\\200105.DAY", newer);  // holds entries: not replaced
  Write("200106.day", Month("Q12", 5, 0x3280, "ok"));

  vorta::LegacyStepResult result;
  EXPECT_EQ(Run(&result),
            (std::vector<std::string>{"以前のバージョンのデータをコンバートします。", "変換エラーです。"}));
  EXPECT_TRUE(result.failed);
  EXPECT_EQ(Read("200104.day"), damaged) << "a damaged file stays";
  EXPECT_EQ(Read("DATA\\200104.DAY"), std::nullopt);
  EXPECT_EQ(Read("DATA\\200105.DAY"), newer) << "a month with entries is never replaced";
  EXPECT_EQ(Read("200105.day"), Month("Q12", 5, 0x3280, "old")) << "and the old file stays";
  EXPECT_EQ(Read("DATA\\200106.DAY"), Month("Q20", 5, 0x1940, "ok")) << "the others are converted";
  EXPECT_EQ(Read("200106.day"), std::nullopt);
}

TEST_F(LegacyStepTest, AMonthFileThatCannotBeWrittenKeepsTheOldOne) {
  Write("200107.day", Month("Q12", 5, 0x3280, "old"));
  ASSERT_TRUE(::RemoveDirectoryA((folder_ + "DATA").c_str()));
  Write("DATA", "a file where the folder should be");
  EXPECT_EQ(Run(), (std::vector<std::string>{"以前のバージョンのデータをコンバートします。", "データ書き込みエラーです",
                                             "変換エラーです。"}));
  EXPECT_EQ(Read("200107.day"), Month("Q12", 5, 0x3280, "old"));
  ::DeleteFileA((folder_ + "DATA").c_str());
  ::CreateDirectoryA((folder_ + "DATA").c_str(), nullptr);
}

}  // namespace
