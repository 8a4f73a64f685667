#include "journal/data/month_file_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorta {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A fresh program folder with a DATA folder, removed afterwards.
class MonthFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "vorta-month-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryA((folder_ + "DATA").c_str(), nullptr));
  }
  void TearDown() override {
    SetSaveHookForTesting(nullptr);
    const std::string data = folder_ + "DATA\\";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((data + "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data + found.cFileName;
        SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(name.c_str());
      } while (FindNextFileA(find, &found));
      FindClose(find);
    }
    SetFileAttributesA(data.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryA(data.c_str());
    RemoveDirectoryA(folder_.c_str());
  }

  std::string Path(int year, int month) const { return MonthFilePath(folder_, year, month); }

  static void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> DataFiles() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder_ + "DATA\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
  }

  std::string folder_;
};

TEST_F(MonthFileTest, PathNamesTheMonthInData) {
  EXPECT_EQ(MonthFilePath("C:\\Program Files\\Mirune\\", 2009, 7), "C:\\Program Files\\Mirune\\DATA\\200907.DAY");
  EXPECT_EQ(MonthFilePath("C:\\x\\", 1, 12), "C:\\x\\DATA\\000112.DAY");
}

TEST_F(MonthFileTest, WritesTheExactBytes) {
  MonthBuffer month;
  month.PutDayRecord(31, "\x93\xfa\x8b\x4c", 3, 2, 1);  // 日記
  ASSERT_EQ(SaveMonthFile(Path(2005, 1), month), SaveResult::kWritten);
  const Bytes expected = {'Q', '2', '0', 1, 10, 0, 0, 0,
                          31 ^ 0x6B, 0x40 ^ 0x6B, 0x19 ^ 0x6B, 5 ^ 0x6B, 0 ^ 0x6B,
                          0x93 ^ 0x6B, 0xfa ^ 0x6B, 0x8b ^ 0x6B, 0x4c ^ 0x6B, 0 ^ 0x6B};
  EXPECT_EQ(ReadBytes(Path(2005, 1)), expected);
  EXPECT_EQ(DataFiles(), std::vector<std::string>{"200501.DAY"}) << "no temporary file is left";
}

TEST_F(MonthFileTest, LoadsEachFormat) {
  struct Case {
    const char* name;
    bool create;
    Bytes bytes;
    MonthFileFormat format;
  };
  const Case cases[] = {
      {"missing", false, {}, MonthFileFormat::kMissing},
      {"current", true, {'Q', '2', '0', 1, 7, 0, 0, 0, 4 ^ 0x6B, 0x6B, 0x6B, 2 ^ 0x6B, 0x6B, 'z' ^ 0x6B, 0x6B},
       MonthFileFormat::kCurrent},
      {"Ver1.47", true, {'Q', '1', '2', 0}, MonthFileFormat::kVer147},
      {"short", true, {'Q', '2'}, MonthFileFormat::kUnknown},
      {"empty", true, {}, MonthFileFormat::kUnknown},
      {"foreign", true, {'M', 'Z', 0x90, 0}, MonthFileFormat::kUnknown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(Path(2005, 3).c_str());
    if (c.create) WriteBytes(Path(2005, 3), c.bytes);
    MonthBuffer month;
    month.PutDayRecord(9, "before", 0, 0, 0);
    EXPECT_EQ(LoadMonthFile(Path(2005, 3), &month), c.format);
    DayRecord r;
    switch (c.format) {
      case MonthFileFormat::kMissing:
        EXPECT_EQ(month.record_count(), 0);
        EXPECT_EQ(month.payload_length(), 0u);
        break;
      case MonthFileFormat::kCurrent:
        EXPECT_EQ(month.GetDayRecord(4, &r), 2);
        EXPECT_EQ(r.text, "z");
        break;
      default:
        EXPECT_EQ(month.GetDayRecord(9, &r), 7) << "the buffer is kept";
    }
  }
}

TEST_F(MonthFileTest, EmptyMonthIsWrittenOnlyOverAnExistingFile) {
  MonthBuffer empty;
  EXPECT_EQ(SaveMonthFile(Path(2005, 4), empty), SaveResult::kNothingToWrite);
  EXPECT_TRUE(DataFiles().empty());

  MonthBuffer month;
  month.PutDayRecord(2, "", 5, 0, 0);  // weather only
  ASSERT_EQ(SaveMonthFile(Path(2005, 4), month), SaveResult::kWritten);
  month.PutDayRecord(2, "", 0, 0, 0);  // weather reset: the record goes
  ASSERT_EQ(month.record_count(), 0);
  EXPECT_EQ(SaveMonthFile(Path(2005, 4), month), SaveResult::kWritten);
  EXPECT_EQ(ReadBytes(Path(2005, 4)), (Bytes{'Q', '2', '0', 0, 0, 0, 0, 0}));
}

TEST_F(MonthFileTest, FailureInTheMiddleOfASaveLeavesTheOldFileWhole) {
  MonthBuffer old_month;
  old_month.PutDayRecord(1, "old entry", 0, 0, 0);
  ASSERT_EQ(SaveMonthFile(Path(2006, 6), old_month), SaveResult::kWritten);
  const Bytes old_bytes = ReadBytes(Path(2006, 6));

  MonthBuffer month = old_month;
  month.PutDayRecord(2, std::string(3000, 'n'), 1, 1, 1);
  const Bytes payload_before = month.payload();
  SetSaveHookForTesting([] { return false; });
  EXPECT_EQ(SaveMonthFile(Path(2006, 6), month), SaveResult::kFailed);
  EXPECT_EQ(ReadBytes(Path(2006, 6)), old_bytes);
  EXPECT_EQ(month.payload(), payload_before) << "the buffer is intact";
  EXPECT_EQ(DataFiles(), std::vector<std::string>{"200606.DAY"}) << "the half-made file is removed";

  SetSaveHookForTesting(nullptr);
  EXPECT_EQ(SaveMonthFile(Path(2006, 6), month), SaveResult::kWritten);
  MonthBuffer reread;
  ASSERT_EQ(LoadMonthFile(Path(2006, 6), &reread), MonthFileFormat::kCurrent);
  EXPECT_EQ(reread.payload(), payload_before);
}

TEST_F(MonthFileTest, UnwritableMonthGivesAFailureAndAnUnchangedBuffer) {
  MonthBuffer month;
  month.PutDayRecord(5, "kept on screen", 0, 0, 0);
  const Bytes payload_before = month.payload();

  // A month file that another program holds open without sharing.
  WriteBytes(Path(2007, 1), {'Q', '2', '0', 0, 0, 0, 0, 0});
  HANDLE held = CreateFileA(Path(2007, 1).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SaveMonthFile(Path(2007, 1), month), SaveResult::kFailed);
  CloseHandle(held);
  EXPECT_EQ(month.payload(), payload_before);

  // A read-only month file.
  SetFileAttributesA(Path(2007, 1).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(SaveMonthFile(Path(2007, 1), month), SaveResult::kFailed);
  EXPECT_EQ(ReadBytes(Path(2007, 1)), (Bytes{'Q', '2', '0', 0, 0, 0, 0, 0}));

  // No DATA folder to write into.
  EXPECT_EQ(SaveMonthFile(folder_ + "NODATA\\200701.DAY", month), SaveResult::kFailed);
  EXPECT_EQ(month.payload(), payload_before);
}

TEST_F(MonthFileTest, UnreadableMonthIsNeverTakenAsEmpty) {
  MonthBuffer written;
  written.PutDayRecord(2, "on disk", 0, 0, 0);
  ASSERT_EQ(SaveMonthFile(Path(2008, 2), written), SaveResult::kWritten);
  const Bytes on_disk = ReadBytes(Path(2008, 2));

  // Another program holds the file without sharing it.
  HANDLE held = CreateFileA(Path(2008, 2).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  MonthBuffer month;
  month.PutDayRecord(9, "before", 0, 0, 0);
  EXPECT_EQ(LoadMonthFile(Path(2008, 2), &month), MonthFileFormat::kUnreadable);
  CloseHandle(held);
  DayRecord r;
  EXPECT_EQ(month.GetDayRecord(9, &r), 7) << "the buffer is kept";
  EXPECT_EQ(ReadBytes(Path(2008, 2)), on_disk);
}

}  // namespace
}  // namespace vorta
