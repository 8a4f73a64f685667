// Times vorta-search against GNU grep on a generated diary (make_bench_diary).
//
//   search_bench [--vorta PATH | --grep-vs-grep] [--grep PATH] [--runs N]
//                [--diary DIR] [--large DIR | --large-generate] [--generator PATH]
//                [--vorta-hex]
//
// DIR holds DATA/ (the month files) and text/ (the same months decoded). For
// each string of bench_strings.h and each mode, both whole processes run in
// DIR with LC_ALL=C, their output going to a file:
//
//   byte-exact:  vorta-search --case DATA <UTF-8>   grep -rcF <CP932> text/
//   folded:      vorta-search DATA <UTF-8>          grep -rciF <CP932> text/
//
// one warm-up each, then --runs (default 15) timed runs, interleaved, the best
// kept. Throughput is the bytes of text/ over the best time, in 10^6 bytes a
// second, for both, so that the figures compare. The hit counts are only a
// sanity check: vorta-search counts days, grep counts lines.
//
// --large DIR (or --large-generate: a 100-year diary of 5119-byte entries made
// in a temporary folder) adds one search of that diary by vorta-search, with
// its time, throughput and peak memory; grep searches it once for comparison.
//
// Without --diary the 50-year diary is generated in a temporary folder.
// --grep-vs-grep runs grep in vorta-search's place, to check the harness.
// --vorta-hex gives vorta-search the string as CP932 bytes in hex (--hex).
//
// Exits 0 when everything ran, whatever the figures; 1 when a command could not
// run or failed; 2 on bad options or a missing program.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench_strings.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// --- Small helpers -------------------------------------------------------------

std::string Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    out.push_back(kDigits[static_cast<unsigned char>(c) >> 4]);
    out.push_back(kDigits[static_cast<unsigned char>(c) & 15]);
  }
  return out;
}

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    }
    i += n;
  }
  return true;
}

// Columns `s` takes on a terminal: CJK characters take two.
int DisplayWidth(std::string_view s) {
  int width = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++width;
    } else if ((c >> 6) == 3) {
      width += c >= 0xE1 ? 2 : 1;  // U+1000 and above: CJK in this table
    }
  }
  return width;
}

std::string PadRight(const std::string& s, int width) {
  return s + std::string(static_cast<std::size_t>(std::max(0, width - DisplayWidth(s))), ' ');
}

// An argument as a shell would take it: plain, quoted, or with CP932 bytes as
// $'\xNN' escapes.
std::string ShellWord(std::string_view arg) {
  bool plain = !arg.empty();
  for (const char c : arg) {
    if (!(std::isalnum(static_cast<unsigned char>(c)) || std::strchr("_./:=,+-", c) != nullptr)) {
      plain = false;
    }
  }
  if (plain) return std::string(arg);
  if (IsUtf8(arg) && arg.find('\'') == std::string_view::npos) return "'" + std::string(arg) + "'";
  std::string out = "$'";
  char buffer[8];
  for (const char c : arg) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F && c != '\'' && c != '\\') {
      out.push_back(c);
    } else {
      std::snprintf(buffer, sizeof buffer, "\\x%02x", u);
      out.append(buffer);
    }
  }
  return out + "'";
}

std::string WithThousands(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
    digits.insert(static_cast<std::size_t>(i), ",");
  }
  return digits;
}

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The first line a command prints, or "" (for versions and the like).
std::string FirstLineOf(const std::string& command) {
  std::FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return "";
  char buffer[512] = "";
  if (std::fgets(buffer, sizeof buffer, p) == nullptr) buffer[0] = '\0';
  pclose(p);
  std::string line = buffer;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

std::string CpuModel() {
  std::FILE* f = std::fopen("/proc/cpuinfo", "r");
  if (f == nullptr) return "unknown CPU";
  char line[512];
  std::string model = "unknown CPU";
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, "model name", 10) == 0) {
      const char* colon = std::strchr(line, ':');
      if (colon != nullptr) {
        model = colon + 1;
        while (!model.empty() && (model.front() == ' ')) model.erase(0, 1);
        while (!model.empty() && (model.back() == '\n')) model.pop_back();
      }
      break;
    }
  }
  std::fclose(f);
  return model;
}

std::string FindInPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::string dir(rest.substr(0, colon));
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string_view::npos) return name;
    rest.remove_prefix(colon + 1);
  }
}

// A folder of its own under $TMPDIR, removed with everything in it.
class TempFolder {
 public:
  explicit TempFolder(const char* prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + prefix + "XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// --- Running a whole process ---------------------------------------------------

struct Command {
  std::vector<std::string> argv;
  std::string folder;  // the child's working folder
};

struct RunResult {
  bool ok = false;
  double seconds = 0;
  long max_rss_kb = 0;
  std::string problem;
};

// The environment of every child: ours with LC_ALL=C.
const std::vector<std::string>& ChildEnvironment() {
  static const std::vector<std::string> env = [] {
    std::vector<std::string> e;
    for (char** p = environ; *p != nullptr; ++p) {
      if (std::strncmp(*p, "LC_ALL=", 7) != 0) e.emplace_back(*p);
    }
    e.emplace_back("LC_ALL=C");
    return e;
  }();
  return env;
}

std::string CommandLine(const Command& c, bool with_locale = true) {
  std::string line = with_locale ? "LC_ALL=C " : "";
  for (std::size_t i = 0; i < c.argv.size(); ++i) {
    line += (i > 0 ? " " : "") + ShellWord(c.argv[i]);
  }
  return line;
}

// Runs `c` with its standard output in `output` (made empty first; ours when
// `output` is empty) and its standard error ours; the time is the wall-clock time from before
// fork() to after the child is reaped. Exit status 0 or 1 (grep's "nothing found") is a run that
// worked.
RunResult Run(const Command& c, const std::string& output) {
  RunResult result;
  std::vector<char*> argv;
  for (const std::string& a : c.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : ChildEnvironment()) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  const int out = output.empty()
                      ? dup(STDOUT_FILENO)
                      : open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    result.problem = "cannot create " + output + ": " + std::strerror(errno);
    return result;
  }
  std::fflush(nullptr);
  const double start = Now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(c.folder.c_str()) != 0 || dup2(out, STDOUT_FILENO) < 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    const char* why = std::strerror(errno);
    (void)!write(STDERR_FILENO, "search_bench: cannot run ", 25);
    (void)!write(STDERR_FILENO, argv[0], std::strlen(argv[0]));
    (void)!write(STDERR_FILENO, ": ", 2);
    (void)!write(STDERR_FILENO, why, std::strlen(why));
    (void)!write(STDERR_FILENO, "\n", 1);
    _exit(127);
  }
  close(out);
  if (pid < 0) {
    result.problem = std::string("fork failed: ") + std::strerror(errno);
    return result;
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      result.problem = std::string("wait4 failed: ") + std::strerror(errno);
      return result;
    }
  }
  result.seconds = Now() - start;
  result.max_rss_kb = usage.ru_maxrss;
  if (WIFSIGNALED(status)) {
    result.problem = "killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
                     strsignal(WTERMSIG(status)) + ")";
  } else if (WEXITSTATUS(status) > 1) {
    result.problem = "exit status " + std::to_string(WEXITSTATUS(status));
  } else {
    result.ok = true;
  }
  return result;
}

// vorta-search's last line, "N hits".
std::optional<long> VortaHits(const std::string& output) {
  std::FILE* f = std::fopen(output.c_str(), "rb");
  if (f == nullptr) return std::nullopt;
  char line[8192];
  std::string last;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (line[0] != '\n' && line[0] != '\0') last = line;
  }
  std::fclose(f);
  long hits = 0;
  char tail[8] = "";
  if (std::sscanf(last.c_str(), "%ld hits%7s", &hits, tail) == 1) return hits;
  return std::nullopt;
}

// The sum of grep -c's "file:count" lines.
std::optional<long> GrepHits(const std::string& output) {
  std::FILE* f = std::fopen(output.c_str(), "rb");
  if (f == nullptr) return std::nullopt;
  char line[8192];
  long sum = 0;
  bool good = true;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    const char* colon = std::strrchr(line, ':');
    char* end = nullptr;
    const long n = colon != nullptr ? std::strtol(colon + 1, &end, 10) : -1;
    if (colon == nullptr || end == colon + 1)
      good = false;
    else
      sum += n;
  }
  std::fclose(f);
  return good ? std::optional<long>(sum) : std::nullopt;
}

// --- The diary -----------------------------------------------------------------

struct Diary {
  std::string folder;
  int month_files = 0;
  int text_files = 0;
  std::uint64_t data_bytes = 0;
  std::uint64_t text_bytes = 0;
  std::string generator;  // generator.txt, if there
};

std::optional<Diary> InspectDiary(const std::string& folder, std::string* problem) {
  Diary d;
  d.folder = fs::absolute(folder).lexically_normal().string();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fs::path(d.folder) / "DATA", ec)) {
    if (entry.is_regular_file() && entry.path().extension() == ".DAY") {
      ++d.month_files;
      d.data_bytes += entry.file_size();
    }
  }
  if (ec) {
    *problem = d.folder + "/DATA: " + ec.message();
    return std::nullopt;
  }
  // grep -r reads every file of text/, so every file counts.
  for (const auto& entry : fs::directory_iterator(fs::path(d.folder) / "text", ec)) {
    if (entry.is_regular_file()) {
      ++d.text_files;
      d.text_bytes += entry.file_size();
    }
  }
  if (ec) {
    *problem = d.folder + "/text: " + ec.message();
    return std::nullopt;
  }
  if (d.month_files == 0 || d.month_files != d.text_files) {
    *problem = d.folder + " is not a diary of make_bench_diary: " + std::to_string(d.month_files) +
               " month files in DATA/, " + std::to_string(d.text_files) + " files in text/";
    return std::nullopt;
  }
  if (std::FILE* f = std::fopen((d.folder + "/generator.txt").c_str(), "rb")) {
    char buffer[512] = "";
    if (std::fgets(buffer, sizeof buffer, f) != nullptr) d.generator = buffer;
    std::fclose(f);
    while (!d.generator.empty() && d.generator.back() == '\n') d.generator.pop_back();
  }
  return d;
}

// Reads every file of the diary once, so that the page cache holds them.
void WarmCache(const Diary& d) {
  std::vector<char> buffer(1 << 20);
  std::error_code ec;
  for (const char* sub : {"DATA", "text"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(d.folder) / sub, ec)) {
      std::FILE* f = std::fopen(entry.path().c_str(), "rb");
      if (f == nullptr) continue;
      while (std::fread(buffer.data(), 1, buffer.size(), f) == buffer.size()) {
      }
      std::fclose(f);
    }
  }
}

bool Generate(const std::string& generator, const std::vector<std::string>& args,
              const std::string& folder) {
  Command c{{generator}, "."};
  c.argv.insert(c.argv.end(), args.begin(), args.end());
  c.argv.push_back(folder);
  std::printf("generating: %s\n", CommandLine(c, false).c_str());
  const RunResult r = Run(c, "");
  if (!r.ok) std::fprintf(stderr, "search_bench: %s: %s\n", generator.c_str(), r.problem.c_str());
  sync();  // so that writing the new files back does not run during the timing
  return r.ok;
}

// --- The benchmark -------------------------------------------------------------

struct Options {
  std::string vorta = BENCH_DEFAULT_VORTA_SEARCH;
  std::string grep = "grep";
  std::string generator = BENCH_DEFAULT_GENERATOR;
  std::string diary;
  std::string large;
  bool large_generate = false;
  bool grep_vs_grep = false;
  bool vorta_hex = false;
  int runs = 15;
};

struct Mode {
  const char* name;
  bool byte_exact;
};
constexpr Mode kModes[] = {{"byte-exact", true}, {"folded", false}};

struct Tool {
  Command command;
  bool is_grep;
};

Tool GrepCommand(const Options& o, const bench::SearchString& s, bool byte_exact,
                 const std::string& folder) {
  return {{{o.grep, byte_exact ? "-rcF" : "-rciF", s.cp932, "text/"}, folder}, true};
}

Tool VortaCommand(const Options& o, const bench::SearchString& s, bool byte_exact,
                  const std::string& folder) {
  if (o.grep_vs_grep) return GrepCommand(o, s, byte_exact, folder);
  Command c{{o.vorta}, folder};
  if (byte_exact) c.argv.push_back("--case");
  if (o.vorta_hex) c.argv.push_back("--hex");
  c.argv.push_back("DATA");
  c.argv.push_back(o.vorta_hex ? Hex(s.cp932) : Utf8(s.utf8));
  return {c, false};
}

// Timed runs of one command, and what it found.
struct Series {
  double best = 0;
  long max_rss_kb = 0;
  std::optional<long> hits;
  bool hits_vary = false;
  int runs = 0;
  bool first = true;

  // Returns false (with the reason printed) when the run failed.
  bool Add(const Tool& tool, const std::string& output, bool timed) {
    const RunResult r = Run(tool.command, output);
    if (!r.ok) {
      std::fprintf(stderr, "search_bench: %s: %s\n", CommandLine(tool.command).c_str(),
                   r.problem.c_str());
      return false;
    }
    const std::optional<long> found = tool.is_grep ? GrepHits(output) : VortaHits(output);
    if (first)
      hits = found;
    else if (found != hits)
      hits_vary = true;
    first = false;
    if (timed) {
      best = runs == 0 ? r.seconds : std::min(best, r.seconds);
      ++runs;
    }
    max_rss_kb = std::max(max_rss_kb, r.max_rss_kb);
    return true;
  }
};

std::string Figure(double value, int decimals) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::string HitsText(const Series& s) {
  if (!s.hits) return "?";
  return WithThousands(static_cast<std::uint64_t>(*s.hits)) + (s.hits_vary ? " (varies)" : "");
}

std::string RightAlign(const std::string& s, int width) {
  return std::string(static_cast<std::size_t>(std::max(0, width - DisplayWidth(s))), ' ') + s;
}

void PrintDiary(const char* what, const Diary& d) {
  std::printf("%s: %s\n", what, d.folder.c_str());
  if (!d.generator.empty()) std::printf("  %s\n", d.generator.c_str());
  std::printf("  %d month files, %s bytes in DATA/; %s bytes of text in text/\n", d.month_files,
              WithThousands(d.data_bytes).c_str(), WithThousands(d.text_bytes).c_str());
}

int Usage(const char* message) {
  if (message != nullptr) std::fprintf(stderr, "search_bench: %s\n", message);
  std::fprintf(stderr,
               "usage: search_bench [--vorta PATH | --grep-vs-grep] [--grep PATH] [--runs N]\n"
               "                    [--diary DIR] [--large DIR | --large-generate]\n"
               "                    [--generator PATH] [--vorta-hex]\n");
  return 2;
}

int ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--vorta" && has_value)
      o->vorta = argv[++i];
    else if (arg == "--grep" && has_value)
      o->grep = argv[++i];
    else if (arg == "--generator" && has_value)
      o->generator = argv[++i];
    else if (arg == "--diary" && has_value)
      o->diary = argv[++i];
    else if (arg == "--large" && has_value)
      o->large = argv[++i];
    else if (arg == "--large-generate")
      o->large_generate = true;
    else if (arg == "--grep-vs-grep")
      o->grep_vs_grep = true;
    else if (arg == "--vorta-hex")
      o->vorta_hex = true;
    else if (arg == "--runs" && has_value) {
      char* end = nullptr;
      o->runs = static_cast<int>(std::strtol(argv[++i], &end, 10));
      if (*end != '\0' || o->runs < 1 || o->runs > 1000) return Usage("--runs takes 1 to 1000");
    } else if (arg == "--help" || arg == "-h") {
      Usage(nullptr);
      std::exit(0);
    } else {
      return Usage(("unexpected argument: " + std::string(arg)).c_str());
    }
  }
  if (!o->large.empty() && o->large_generate)
    return Usage("--large and --large-generate exclude each other");
  return 0;
}

bool CheckProgram(const std::string& path, const char* what, const char* hint) {
  if (access(path.c_str(), X_OK) == 0) return true;
  std::fprintf(stderr, "search_bench: %s not found at %s%s\n", what, path.c_str(), hint);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = ParseOptions(argc, argv, &o); status != 0) return status;
  o.grep = FindInPath(o.grep);
  if (!o.grep_vs_grep &&
      !CheckProgram(
          o.vorta, "vorta-search",
          ": build it in the host tree (cmake --build --preset host), give its path with "
          "--vorta, or pass --grep-vs-grep to check the harness with grep in its place")) {
    return 2;
  }
  if (!CheckProgram(o.grep, "grep", "")) return 2;
  const bool generate = o.diary.empty() || o.large_generate;
  if (generate &&
      !CheckProgram(o.generator, "make_bench_diary", ": give its path with --generator")) {
    return 2;
  }

  TempFolder scratch("search_bench.");
  if (scratch.path().empty()) {
    std::fprintf(stderr, "search_bench: cannot make a temporary folder: %s\n",
                 std::strerror(errno));
    return 1;
  }
  if (o.diary.empty()) {
    o.diary = scratch.path() + "/diary-50y";
    if (!Generate(o.generator, {"--years", "50"}, o.diary)) return 1;
  }
  if (o.large_generate) {
    o.large = scratch.path() + "/diary-100y-full";
    if (!Generate(o.generator, {"--years", "100", "--full"}, o.large)) return 1;
  }

  std::string problem;
  const std::optional<Diary> diary = InspectDiary(o.diary, &problem);
  if (!diary) {
    std::fprintf(stderr, "search_bench: %s\n", problem.c_str());
    return 1;
  }

  utsname host{};
  uname(&host);
  std::printf("machine: %s, %ld CPUs, %s %s\n", CpuModel().c_str(), sysconf(_SC_NPROCESSORS_ONLN),
              host.sysname, host.release);
  std::printf("grep: %s (%s)\n", o.grep.c_str(), FirstLineOf("'" + o.grep + "' --version").c_str());
  std::printf("vorta-search: %s\n", o.grep_vs_grep
                                        ? "not run: grep stands in its place (--grep-vs-grep)"
                                        : o.vorta.c_str());
  PrintDiary("diary", *diary);
  std::printf(
      "timing: wall clock of the whole process, best of %d after one warm-up, "
      "interleaved; output to a file\n",
      o.runs);
  std::printf("MB/s: %s bytes of text / best time, 10^6 bytes\n",
              WithThousands(diary->text_bytes).c_str());
  std::printf("commands, run in %s:\n", diary->folder.c_str());
  for (const bench::SearchString& s : bench::kSearchStrings) {
    for (const Mode& m : kModes) {
      std::printf("  %s\n  %s\n",
                  CommandLine(VortaCommand(o, s, m.byte_exact, diary->folder).command).c_str(),
                  CommandLine(GrepCommand(o, s, m.byte_exact, diary->folder).command).c_str());
    }
  }
  std::printf("\n");
  std::fflush(stdout);

  const std::string a_output = scratch.path() + "/a.out";
  const std::string b_output = scratch.path() + "/b.out";
  const std::vector<int> widths = {10, 11, 14, 14, 15, 13, 13, 15};
  auto print_row = [&widths](const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      line += i < 2 ? PadRight(cells[i], widths[i]) : RightAlign(cells[i], widths[i]);
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  };
  const std::string a_short = o.grep_vs_grep ? "grep A" : "vorta";
  const std::string b_short = o.grep_vs_grep ? "grep B" : "grep";
  print_row({"string", "mode", a_short + " MB/s", b_short + " MB/s", a_short + "/" + b_short,
             a_short + " hits", b_short + " hits", a_short + " RSS KB"});
  bool failed = false;
  for (const bench::SearchString& s : bench::kSearchStrings) {
    for (const Mode& m : kModes) {
      const Tool a = VortaCommand(o, s, m.byte_exact, diary->folder);
      const Tool b = GrepCommand(o, s, m.byte_exact, diary->folder);
      Series sa, sb;
      bool ok = sa.Add(a, a_output, false) && sb.Add(b, b_output, false);
      for (int i = 0; ok && i < o.runs; ++i) {
        ok = sa.Add(a, a_output, true) && sb.Add(b, b_output, true);
      }
      if (!ok) {
        failed = true;
        continue;
      }
      const double a_rate = static_cast<double>(diary->text_bytes) / sa.best / 1e6;
      const double b_rate = static_cast<double>(diary->text_bytes) / sb.best / 1e6;
      print_row({Utf8(s.utf8), m.name, Figure(a_rate, 1), Figure(b_rate, 1),
                 Figure(a_rate / b_rate, 2), HitsText(sa), HitsText(sb),
                 WithThousands(static_cast<std::uint64_t>(sa.max_rss_kb))});
    }
  }
  if (o.grep_vs_grep) {
    std::printf("hits: matching lines (grep -c, summed over the files).\n");
  } else {
    std::printf(
        "hits: vorta-search's \"N hits\" counts days, grep -c (summed over the files) "
        "counts lines: they differ by nature.\n");
  }
  std::printf("RSS KB: the peak over the runs, from wait4.\n");
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  std::printf("(a child's peak RSS may include part of this process's %s KB: it forks them)\n",
              WithThousands(static_cast<std::uint64_t>(self.ru_maxrss)).c_str());

  if (!o.large.empty()) {
    const std::optional<Diary> large = InspectDiary(o.large, &problem);
    if (!large) {
      std::fprintf(stderr, "search_bench: %s\n", problem.c_str());
      return 1;
    }
    std::printf("\n");
    PrintDiary("large diary", *large);
    WarmCache(*large);
    const bench::SearchString& s = bench::kSearchStrings[0];
    for (const Tool& tool :
         {VortaCommand(o, s, false, large->folder), GrepCommand(o, s, false, large->folder)}) {
      Series one;
      if (!one.Add(tool, a_output, true)) {
        failed = true;
        continue;
      }
      std::printf(
          "  %s\n    one run (files read once beforehand): %.3f s, %.1f MB/s, peak RSS %s KB, "
          "%s %s\n",
          CommandLine(tool.command).c_str(), one.best,
          static_cast<double>(large->text_bytes) / one.best / 1e6,
          WithThousands(static_cast<std::uint64_t>(one.max_rss_kb)).c_str(), HitsText(one).c_str(),
          tool.is_grep ? "hits (lines)" : "hits (days)");
    }
  }
  return failed ? 1 : 0;
}
