// Checks the diaries make_bench_diary writes: month files the journal reads
// back as written, text files with the same bytes, and text that is CP932 on
// lines of 20 to 60 characters, as the benchmark assumes.
#include <gtest/gtest.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "bench/bench_strings.h"
#include "journal/data/month_codec.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxText = 5119;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "bench_diary_test.XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The generator's exit status, or -1 when it did not end normally.
int Generate(std::vector<std::string> args) {
  args.insert(args.begin(), BENCH_GENERATOR);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string Describe(const std::string& options) {
  std::FILE* p = popen(("'" BENCH_GENERATOR "' --describe " + options).c_str(), "r");
  if (p == nullptr) return "";
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, p) != nullptr) out += buffer;
  pclose(p);
  return out;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// File name -> contents, for every file of a folder.
std::map<std::string, std::string> ReadFolder(const fs::path& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    files[entry.path().filename().string()] = ReadFile(entry.path());
  }
  return files;
}

std::vector<std::string> Names(const std::map<std::string, std::string>& files) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  return names;
}

struct Record {
  int day;
  unsigned attributes;
  std::string text;
};

unsigned U16(const std::string& p, std::size_t at) {
  return static_cast<unsigned char>(p[at]) | static_cast<unsigned char>(p[at + 1]) << 8;
}

// Reads a month file strictly, without the journal's code: the header agrees
// with the payload exactly and every record is whole, its text ending with
// the zero that L counts and holding no other.
testing::AssertionResult ReadMonthFile(const std::string& file, std::vector<Record>* records) {
  if (file.size() < 8 || file.compare(0, 3, "Q20") != 0)
    return testing::AssertionFailure() << "no Q20 header";
  const unsigned count = static_cast<unsigned char>(file[3]);
  const std::uint32_t length = U16(file, 4) | static_cast<std::uint32_t>(U16(file, 6)) << 16;
  if (length != file.size() - 8) {
    return testing::AssertionFailure()
           << "payload length " << length << ", file holds " << file.size() - 8;
  }
  std::string p = file.substr(8);
  for (char& c : p) c = static_cast<char>(c ^ 0x6B);
  for (std::size_t at = 0; at < p.size();) {
    if (p.size() - at < 5) return testing::AssertionFailure() << "record header cut at " << at;
    Record r{static_cast<unsigned char>(p[at]), U16(p, at + 1), {}};
    const std::size_t l = U16(p, at + 3);
    if (l < 1 || at + 5 + l > p.size())
      return testing::AssertionFailure() << "bad L " << l << " at " << at;
    if (p[at + 5 + l - 1] != '\0')
      return testing::AssertionFailure() << "no terminating zero at " << at;
    r.text = p.substr(at + 5, l - 1);
    if (r.text.find('\0') != std::string::npos)
      return testing::AssertionFailure() << "zero inside a text";
    records->push_back(r);
    at += 5 + l;
  }
  if (records->size() != count) {
    return testing::AssertionFailure()
           << "header counts " << count << " records, payload holds " << records->size();
  }
  return testing::AssertionSuccess();
}

// CP932 as the journal stores it: printable ASCII, half-width katakana,
// double-byte characters, and line breaks only as CR LF; every double-byte
// code one that CP932 maps (it converts to UTF-8 and back unchanged).
testing::AssertionResult IsCp932Text(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      const auto t = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
      if (!((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC))) {
        return testing::AssertionFailure() << "double-byte character cut at byte " << i;
      }
      ++i;
    } else if (c == '\r') {
      if (i + 1 >= text.size() || text[i + 1] != '\n')
        return testing::AssertionFailure() << "CR without LF at " << i;
      ++i;
    } else if (!((c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF))) {
      return testing::AssertionFailure()
             << "byte 0x" << std::hex << int{c} << " at " << std::dec << i;
    }
  }
  auto convert = [](const char* to, const char* from, const std::string& in, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string src = in;
    out->assign(in.size() * 4 + 16, '\0');
    char* ip = src.data();
    char* op = out->data();
    std::size_t il = src.size(), ol = out->size();
    const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1) && il == 0;
    iconv_close(cd);
    out->resize(out->size() - ol);
    return ok;
  };
  std::string utf8, back;
  if (!convert("UTF-8", "CP932", text, &utf8))
    return testing::AssertionFailure() << "CP932 cannot convert it";
  if (!convert("CP932", "UTF-8", utf8, &back) || back != text) {
    return testing::AssertionFailure() << "it does not convert back to the same bytes";
  }
  return testing::AssertionSuccess();
}

int CountChars(const std::string& line) {
  int n = 0;
  for (std::size_t i = 0; i < line.size(); ++i, ++n) {
    const auto c = static_cast<unsigned char>(line[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ++i;
  }
  return n;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(text.substr(start, at - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Reads a generated diary: checks each month file strictly and against the
// journal's own reader, and that text/ holds the same texts. Fills `months`
// with the records by month name ("YYYYMM").
using Months = std::map<std::string, std::vector<Record>>;
void ReadDiary(const fs::path& out, Months* months) {
  const auto data = ReadFolder(out / "DATA");
  const auto text = ReadFolder(out / "text");
  EXPECT_EQ(data.size(), text.size());
  for (const auto& [name, bytes] : data) {
    SCOPED_TRACE(name);
    EXPECT_EQ(name.size(), 10u);
    EXPECT_EQ(name.substr(6), ".DAY");
    const std::string month = name.substr(0, 6);
    std::vector<Record>& records = (*months)[month];
    EXPECT_TRUE(ReadMonthFile(bytes, &records));

    std::string decoded;
    for (const Record& r : records) decoded += r.text + "\n";
    const auto txt = text.find(month + ".txt");
    ASSERT_NE(txt, text.end());
    EXPECT_TRUE(txt->second == decoded) << "text/" << month << ".txt differs from the month file";

    vorta::MonthBuffer buffer;
    const auto span = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ASSERT_EQ(vorta::DecodeMonthFile(span, &buffer), vorta::MonthFileFormat::kCurrent);
    EXPECT_EQ(buffer.record_count(), records.size());
    EXPECT_EQ(buffer.payload_length(), bytes.size() - 8) << "the journal cut the payload short";
    for (const Record& r : records) {
      vorta::DayRecord day;
      EXPECT_EQ(buffer.GetDayRecord(r.day, &day), static_cast<int>(r.text.size() + 1))
          << "day " << r.day;
      EXPECT_TRUE(day.text == r.text) << "day " << r.day;
      EXPECT_EQ(day.weather, r.attributes >> 11);
      EXPECT_EQ(day.mood, (r.attributes >> 7) & 15);
      EXPECT_EQ(day.flag, static_cast<int>((r.attributes >> 6) & 1));
    }
  }
}

std::vector<int> Days(const std::vector<Record>& records) {
  std::vector<int> days;
  for (const Record& r : records) days.push_back(r.day);
  return days;
}

std::vector<int> Range(int first, int last) {
  std::vector<int> v;
  for (int d = first; d <= last; ++d) v.push_back(d);
  return v;
}

void ExpectGoodEntry(const Record& r, bool full) {
  SCOPED_TRACE("day " + std::to_string(r.day));
  EXPECT_GE(r.attributes >> 11, 1u);
  EXPECT_LE(r.attributes >> 11, 5u);
  EXPECT_GE((r.attributes >> 7) & 15, 1u);
  EXPECT_LE((r.attributes >> 7) & 15, 4u);
  EXPECT_EQ(r.attributes & 0x3F, 0u);
  EXPECT_FALSE(r.text.empty());
  EXPECT_LE(r.text.size(), kMaxText);
  if (full) {
    EXPECT_EQ(r.text.size(), kMaxText);
  }
  EXPECT_TRUE(IsCp932Text(r.text));
  const std::vector<std::string> lines = Lines(r.text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int chars = CountChars(lines[i]);
    EXPECT_LE(chars, 60) << "line " << i;
    if (i + 1 < lines.size()) {
      EXPECT_GE(chars, 20) << "line " << i;
    }
  }
}

TEST(BenchDiary, OneRecordADayAcrossALeapFebruaryAsTheJournalReadsIt) {
  TempFolder out;
  ASSERT_EQ(Generate({"--start", "2024-02-20", "--days", "20", out.path()}), 0);
  EXPECT_EQ(Names(ReadFolder(out.path() / "DATA")),
            (std::vector<std::string>{"202402.DAY", "202403.DAY"}));
  Months months;
  ReadDiary(out.path(), &months);
  ASSERT_EQ(months.size(), 2u);
  EXPECT_EQ(Days(months.at("202402")), Range(20, 29));
  EXPECT_EQ(Days(months.at("202403")), Range(1, 10));
  for (const auto& [month, records] : months) {
    for (const Record& r : records) ExpectGoodEntry(r, false);
  }
}

// 2004-01-01 is cut one byte short at the end of a 60-character line, so its
// last line has to make room.
TEST(BenchDiary, FullEntriesAreExactly5119BytesAcrossTheYearEnd) {
  TempFolder out;
  ASSERT_EQ(Generate({"--start", "2003-12-30", "--days", "4", "--full", out.path()}), 0);
  Months months;
  ReadDiary(out.path(), &months);
  ASSERT_EQ(months.size(), 2u);
  EXPECT_EQ(Days(months.at("200312")), Range(30, 31));
  EXPECT_EQ(Days(months.at("200401")), Range(1, 2));
  for (const auto& [month, records] : months) {
    for (const Record& r : records) ExpectGoodEntry(r, true);
  }
}

// A sample of 400 days stands for the 50-year diary: its texts are those the
// same dates get there.
TEST(BenchDiary, EntriesVaryInLengthAndHoldTheSearchStringsNowAndThen) {
  TempFolder out;
  ASSERT_EQ(Generate({"--start", "2009-07-01", "--days", "400", out.path()}), 0);
  Months months;
  ReadDiary(out.path(), &months);
  EXPECT_EQ(months.size(), 14u);
  std::vector<std::size_t> lengths;
  std::map<std::string, int> entries_with;
  for (const auto& [month, records] : months) {
    for (const Record& r : records) {
      ExpectGoodEntry(r, false);
      lengths.push_back(r.text.size());
      for (const bench::SearchString& s : bench::kSearchStrings) {
        if (r.text.find(s.cp932) != std::string::npos) ++entries_with[s.kind];
      }
    }
  }
  ASSERT_EQ(lengths.size(), 400u);
  std::sort(lengths.begin(), lengths.end());
  EXPECT_LT(lengths.front(), 30u);
  EXPECT_GT(std::count(lengths.begin(), lengths.end(), kMaxText), 5);
  std::size_t total = 0;
  for (const std::size_t l : lengths) total += l;
  EXPECT_GT(total / lengths.size(), 1900u);
  EXPECT_LT(total / lengths.size(), 2500u);
  for (const bench::SearchString& s : bench::kSearchStrings) {
    EXPECT_GT(entries_with[s.kind], 20) << s.kind;
    EXPECT_LT(entries_with[s.kind], 380) << s.kind;
  }
}

TEST(BenchDiary, TheSameOptionsWriteTheSameBytesAndADayItsOwnText) {
  TempFolder a, b, c;
  ASSERT_EQ(Generate({"--start", "2024-02-20", "--days", "20", a.path()}), 0);
  ASSERT_EQ(Generate({"--start", "2024-02-20", "--days", "20", b.path()}), 0);
  ASSERT_EQ(Generate({"--start", "2024-03-01", "--days", "10", c.path()}), 0);
  for (const char* sub : {"DATA", "text"}) {
    EXPECT_TRUE(ReadFolder(a.path() / sub) == ReadFolder(b.path() / sub)) << sub;
  }
  EXPECT_TRUE(ReadFile(a.path() / "DATA/202403.DAY") == ReadFile(c.path() / "DATA/202403.DAY"));

  // generator.txt is what --describe says: a script keeps a diary by it.
  EXPECT_EQ(ReadFile(a.path() / "generator.txt"), Describe("--start 2024-02-20 --days 20"));
  EXPECT_NE(ReadFile(a.path() / "generator.txt"), Describe("--start 2024-02-20 --days 20 --full"));
  EXPECT_NE(ReadFile(a.path() / "generator.txt"), Describe("--start 2024-02-20 --days 21"));
}

TEST(BenchDiary, YearsAreWholeCalendarYearsEndingIn2026) {
  EXPECT_NE(Describe("").find("1977-01-01..2026-12-31, 18262 days, entries of varied length"),
            std::string::npos);
  EXPECT_NE(Describe("--years 50").find("1977-01-01..2026-12-31, 18262 days,"), std::string::npos);
  EXPECT_NE(Describe("--years 100 --full")
                .find("1927-01-01..2026-12-31, 36525 days, every entry 5119 bytes"),
            std::string::npos);
}

TEST(BenchDiary, AFolderUsedAgainHoldsOnlyTheNewRange) {
  TempFolder out;
  ASSERT_EQ(Generate({"--start", "2024-01-01", "--days", "60", out.path()}), 0);
  ASSERT_EQ(Generate({"--start", "2024-06-01", "--days", "3", out.path()}), 0);
  EXPECT_EQ(Names(ReadFolder(out.path() / "DATA")), std::vector<std::string>{"202406.DAY"});
  EXPECT_EQ(Names(ReadFolder(out.path() / "text")), std::vector<std::string>{"202406.txt"});
}

TEST(BenchDiary, BadOptionsWriteNothing) {
  TempFolder out;
  const std::string o = out.path().string();
  EXPECT_EQ(Generate({"--start", "2023-02-29", o}), 2);
  EXPECT_EQ(Generate({"--start", "2024-13-01", o}), 2);
  EXPECT_EQ(Generate({"--days", "0", o}), 2);
  EXPECT_EQ(Generate({"--years", "0", o}), 2);
  EXPECT_EQ(Generate({"--start", "2027-01-01", o}), 2);  // after the last day, and no --days
  EXPECT_EQ(Generate({"--start", "9999-12-31", "--days", "2", o}), 2);
  EXPECT_EQ(Generate({"--days", "3"}), 2);  // no folder
  EXPECT_EQ(Generate({"--colour", o}), 2);
  EXPECT_TRUE(fs::is_empty(out.path()));
}

}  // namespace
