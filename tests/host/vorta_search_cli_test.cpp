// vorta-search run as a user runs it: a folder of month files, the command
// line, its output and its exit status.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "month_fixture.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  std::string out;
  int status;
};

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

ToolRun Tool(const std::vector<std::string>& args) {
  std::string command = Quote(VORTA_SEARCH_EXE);
  for (const auto& a : args) command += " " + Quote(a);
  command += " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ToolRun run{"", -1};
  if (!pipe) return run;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

// The source is compiled to CP932; command lines are UTF-8, so Japanese
// arguments are spelt in bytes.
std::string Repeat(const std::string& s, int n) {
  std::string out;
  while (n-- > 0) out += s;
  return out;
}

class VortaSearchTool : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vorta-search-test-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    Write("200907.DAY", MonthFile({{5, "rain\r\n\tback\\slash \x95\x5c"}, {9, "no"}, {12, "Rain \x83\x41 \xb1\x80"}}));
    Write("200906.day", MonthFile({{30, "rain in June"}}));
    Write("200908.DAYS", MonthFile({{1, "rain"}}));
    Write("notes.DAY", MonthFile({{1, "rain"}}));
    Write("200910.DAY", MonthFile({{1, "rain"}}, -1, -1, "Q12"));
    fs::create_directory(folder_ / "201212.DAY");  // a folder, not a month
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(folder_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  std::string Folder() const { return folder_.string(); }

  fs::path folder_;
};

TEST_F(VortaSearchTool, PrintsOneLinePerHitInNameOrder) {
  const ToolRun run = Tool({Folder(), "rain"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "2009/06/30 \train in June\n"
            "2009/07/05 \train\\r\\n\\tback\\\\slash \x95\\\\\n"
            "2009/07/12 \tRain \x83\x41 \xb1\x80\n"
            "3 hits\n")
      << "lower-case .day is read; .DAYS, a name that is no month, the old format and a folder are not";
}

TEST_F(VortaSearchTool, OptionsChooseCaseBytesAndTerminalText) {
  EXPECT_EQ(Tool({"--case", Folder(), "Rain"}).out, "2009/07/12 \tRain \x83\x41 \xb1\x80\n1 hits\n");
  EXPECT_EQ(Tool({"--hex", Folder(), "8341"}).out, "2009/07/12 \t\x83\x41 \xb1\x80\n1 hits\n");
  EXPECT_EQ(Tool({"--hex", "--case", Folder(), "5261696E"}).out, "2009/07/12 \tRain \x83\x41 \xb1\x80\n1 hits\n");
  EXPECT_EQ(Tool({"--utf8", Folder(), "\xe3\x82\xa2"}).out,  // ア in UTF-8
            "2009/07/12 \t\xe3\x82\xa2 \xef\xbd\xb1\\x80\n1 hits\n")
      << "UTF-8 in, UTF-8 out; a byte with no character shown as \\x80";
  EXPECT_EQ(Tool({"--utf8", Folder(), "back"}).out, "2009/07/05 \tback\\\\slash \xe8\xa1\xa8\n1 hits\n");
  EXPECT_EQ(Tool({Folder(), "snow"}).out, "0 hits\n");

  // A terminal is never sent a control byte.
  Write("201105.DAY", MonthFile({{2, "esc\x1b[2J\x7f"}}));
  EXPECT_EQ(Tool({"--utf8", Folder(), "esc"}).out, "2011/05/02 \tesc\\x1B[2J\\x7F\n1 hits\n");
  EXPECT_EQ(Tool({Folder(), "esc"}).out, "2011/05/02 \tesc\x1b[2J\x7f\n1 hits\n") << "without --utf8, the bytes";
}

TEST_F(VortaSearchTool, EscapesAtEveryPlaceOfALongExcerpt) {
  // Bytes to escape at the edges of the 16-byte blocks the excerpt is read in.
  std::string text = "fog" + std::string(60, '.');
  for (std::size_t at : {15u, 16u, 31u, 32u, 47u, 48u, 62u}) text[at] = "\r\n\t\\"[at % 4];
  Write("201101.DAY", MonthFile({{1, text}}));
  std::string expected = "2011/01/01 \t";
  for (char c : text.substr(0, 63)) {
    switch (c) {
      case '\r': expected += "\\r"; break;
      case '\n': expected += "\\n"; break;
      case '\t': expected += "\\t"; break;
      case '\\': expected += "\\\\"; break;
      default: expected += c;
    }
  }
  EXPECT_EQ(Tool({Folder(), "fog"}).out, expected + "\n1 hits\n");
}

TEST_F(VortaSearchTool, RefusesWhatItCannotSearch) {
  const struct {
    const char* name;
    std::vector<std::string> args;
  } cases[] = {
      {"missing folder", {Folder() + "/none", "rain"}},
      {"51 bytes", {Folder(), std::string(51, 'x')}},
      {"26 kanji are 52 bytes", {Folder(), Repeat("\xe6\x97\xa5", 26)}},  // 日 in UTF-8
      {"empty string", {Folder(), ""}},
      {"no CP932 form", {Folder(), "\xf0\x9f\x98\x80"}},
      {"odd hex", {"--hex", Folder(), "834"}},
      {"not hex", {"--hex", Folder(), "zz"}},
      {"zero byte", {"--hex", Folder(), "6100"}},
      {"one operand", {Folder()}},
      {"unknown option", {"--fast", Folder(), "rain"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ToolRun run = Tool(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Tool({Folder(), std::string(50, 'x')}).out, "0 hits\n") << "50 bytes are searched";
}

}  // namespace
}  // namespace vorta
