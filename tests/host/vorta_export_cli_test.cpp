// vorta-export run as a user runs it: a folder of month files, the command
// line, what it writes, its messages and its exit status.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "journal/data/month_buffer.h"
#include "month_fixture.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

// Plain literals are CP932 (the month files' text); the export is UTF-8.
std::string U8(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct ToolRun {
  std::string out;
  std::string err;
  int status;
};

class VortaExportTool : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vorta-export-test-" + std::to_string(getpid()));
    fs::remove_all(root_);
    folder_ = root_ / "DATA";
    fs::create_directories(folder_);
    Write("202612.DAY", MonthFile({{24, "イブ。\r\n雪。", -1, MakeAttributeWord(27, 0, 1)},
                                   {10, "晴れ", -1, MakeAttributeWord(4, 2, 0)}}));
    Write("202701.day", MonthFile({{1, "元日", -1, MakeAttributeWord(3, 1, 0)}}));
    Write("202702.DAYS", MonthFile({{1, "not a month file"}}));
    Write("notes.DAY", MonthFile({{1, "not a month file"}}));
    fs::create_directory(folder_ / "202703.DAY");  // a folder, not a month
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(folder_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  ToolRun Tool(const std::vector<std::string>& args, const std::string& stdoutTo = "") {
    const fs::path err = root_ / "stderr.txt";
    std::string command = Quote(VORTA_EXPORT_EXE);
    for (const auto& a : args) command += " " + Quote(a);
    command += " 2>" + Quote(err.string());
    if (!stdoutTo.empty()) command += " >" + stdoutTo;
    ToolRun run{"", "", -1};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = ReadFile(err);
    return run;
  }

  std::string Folder() const { return folder_.string(); }

  fs::path root_;
  fs::path folder_;
};

const std::string kText = U8(
    u8"2026年12月10日（木）\n晴時々曇　落ち込み\n晴れ\n\n"
    u8"2026年12月24日（木）\n雨のち雪　笑顔　記念日\nイブ。\n雪。\n\n"
    u8"2027年1月1日（金）\n雪　ふつう\n元日\n\n");

const std::string kJson = U8(
    u8R"({"date":"2026-12-10","weather":4,"weather_text":"晴時々曇","mood":2,"mood_text":"落ち込み","anniversary":false,"text":"晴れ"})" u8"\n"
    u8R"({"date":"2026-12-24","weather":27,"weather_text":"雨のち雪","mood":0,"mood_text":"笑顔","anniversary":true,"text":"イブ。\n雪。"})" u8"\n"
    u8R"({"date":"2027-01-01","weather":3,"weather_text":"雪","mood":1,"mood_text":"ふつう","anniversary":false,"text":"元日"})" u8"\n");

TEST_F(VortaExportTool, WritesTheDiaryToStandardOutput) {
  const ToolRun text = Tool({Folder()});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out, kText) << "lower-case .day is read; .DAYS, a name that is no month and a folder are not";
  EXPECT_EQ(text.err, "");

  const ToolRun json = Tool({"--json", Folder()});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.out, kJson);
  EXPECT_EQ(json.err, "");
}

TEST_F(VortaExportTool, WritesOutputWholeInPlaceOfAnOldFile) {
  const fs::path output = root_ / "diary.txt";
  std::ofstream(output) << "an older export, longer than the new one: " << std::string(1000, 'x');
  const ToolRun run = Tool({Folder(), output.string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(ReadFile(output), kText);
  EXPECT_FALSE(fs::exists(root_ / "diary.txt.tmp"));

  const ToolRun json = Tool({"--json", Folder(), (root_ / "diary.jsonl").string()});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(ReadFile(root_ / "diary.jsonl"), kJson);
}

TEST_F(VortaExportTool, ReportsDamagedFilesAndExportsTheRest) {
  // November: the header promises more than the file holds; the first record
  // is whole and is exported. Of October nothing is readable.
  auto cut = MonthFile({{3, "whole"}, {4, "lost"}});
  cut.resize(8 + 11 + 2);
  Write("202611.DAY", cut);
  Write("202610.DAY", {'Q', '2', '0'});
  const fs::path output = root_ / "diary.txt";
  const ToolRun run = Tool({Folder(), output.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadFile(output), U8(u8"2026年11月3日（火）\n雨　笑顔\nwhole\n\n") + kText);
  const std::string err = run.err;
  EXPECT_NE(err.find("202610.DAY: the header is cut short"), std::string::npos) << err;
  EXPECT_NE(err.find("202611.DAY: the header promises 21 payload bytes, only 13 follow"), std::string::npos) << err;
  EXPECT_NE(err.find("202611.DAY: record 2 runs past the end of the payload"), std::string::npos) << err;
  EXPECT_NE(err.find("2 month files with problems"), std::string::npos) << err;
}

TEST_F(VortaExportTool, CountsCharactersWithNoUnicodeForm) {
  Write("202701.day", MonthFile({{1, "x\x85\x40"}}));
  const ToolRun run = Tool({Folder()});
  EXPECT_EQ(run.status, 0) << "the file is sound; its text has a character Unicode lacks";
  EXPECT_NE(run.out.find(U8(u8"x\uFFFD\n")), std::string::npos);
  EXPECT_NE(run.err.find("1 character with no Unicode form written as U+FFFD"), std::string::npos) << run.err;
}

TEST_F(VortaExportTool, RefusesWhatItCannotDo) {
  const std::string output = (root_ / "out.txt").string();
  const struct {
    const char* name;
    std::vector<std::string> args;
  } cases[] = {
      {"no folder given", {}},
      {"three operands", {Folder(), output, "more"}},
      {"unknown option", {"--xml", Folder()}},
      {"missing folder", {(root_ / "none").string(), output}},
      {"output in a missing folder", {Folder(), (root_ / "none" / "out.txt").string()}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ToolRun run = Tool(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
    EXPECT_FALSE(fs::exists(output));
  }

  // An output that cannot take the file's place: nothing is left behind.
  fs::create_directory(root_ / "taken");
  std::ofstream(root_ / "taken" / "inside") << "kept";
  EXPECT_EQ(Tool({Folder(), (root_ / "taken").string()}).status, 2);
  EXPECT_EQ(ReadFile(root_ / "taken" / "inside"), "kept");
  EXPECT_FALSE(fs::exists(root_ / "taken.tmp"));

  EXPECT_EQ(Tool({Folder()}, "/dev/full").status, 2) << "standard output that cannot be written";
}

}  // namespace
}  // namespace vorta
