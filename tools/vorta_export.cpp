// vorta-export: writes a folder of month files as readable UTF-8 text, or as
// JSON Lines (one object per day), in date order.
//
//   vorta-export [--json] DATA_FOLDER [OUTPUT]
//
// Month files are the names of six digits and ".DAY" in any case; other names
// and folders are passed over. Without OUTPUT the export goes to standard
// output; with it, to OUTPUT.tmp first, renamed to OUTPUT once it is whole, so
// that a failure never leaves a partial file. Lines end in "\n".
//
// Damaged month files are read as far as the journal reads them; each fault,
// each file that cannot be read and the number of characters with no Unicode
// form (written as U+FFFD) are reported on standard error.
//
// Exit status: 0 when everything was exported, 1 when the export was written
// but some month file was damaged or could not be read, 2 for wrong usage, a
// folder that cannot be opened, no CP932 conversion on this system, or output
// that could not be written.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "journal/export/cp932_iconv.h"
#include "journal/export/diary_export.h"

namespace {

constexpr char kUsage[] = "usage: vorta-export [--json] DATA_FOLDER [OUTPUT]\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vorta-export: %s\n", message.c_str());
  return 2;
}

// Six digits, ".", then "DAY" in any case.
bool IsMonthFileName(const char* name) {
  if (std::strlen(name) != 10 || name[6] != '.') return false;
  for (int i = 0; i < 6; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return (name[7] | 0x20) == 'd' && (name[8] | 0x20) == 'a' && (name[9] | 0x20) == 'y';
}

enum class ReadResult { kRead, kNotAFile, kFailed };

// Reads a regular file whole; a folder is no file, anything else fails. A pipe
// or device with a month's name is never waited on.
ReadResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = std::strerror(errno);
    return ReadResult::kFailed;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool folder = S_ISDIR(st.st_mode);
    *error = "not a regular file";
    close(fd);
    return folder ? ReadResult::kNotAFile : ReadResult::kFailed;
  }
  bytes->clear();
  std::uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = std::strerror(errno);
      close(fd);
      return ReadResult::kFailed;
    }
    if (n == 0) break;
    bytes->insert(bytes->end(), buffer, buffer + n);
  }
  close(fd);
  return ReadResult::kRead;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes `data` to `path` through "path.tmp": on any failure the temporary file
// is removed and `path` is left as it was.
bool WriteFileWhole(const std::string& path, std::string_view data, std::string* error) {
  const std::string temporary = path + ".tmp";
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *error = "cannot create " + temporary + ": " + std::strerror(errno);
    return false;
  }
  bool ok = WriteAll(fd, data) && fsync(fd) == 0;
  int saved = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (ok) saved = errno;
  *error = "cannot write " + path + ": " + std::strerror(saved);
  unlink(temporary.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool json = false;
  std::vector<std::string> operands;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--json" && operands.empty()) {
      json = true;
    } else if (arg == "--") {
      for (++i; i < argc; ++i) operands.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fputs(kUsage, stderr);
      return Fail("unknown option " + std::string(arg));
    } else {
      operands.emplace_back(arg);
    }
  }
  if (operands.empty() || operands.size() > 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string& folder = operands[0];

  auto decoder = vorta::OpenIconvCp932Decoder();
  if (!decoder) return Fail("iconv cannot convert CP932 to UTF-8 on this system");

  DIR* dir = opendir(folder.c_str());
  if (!dir) return Fail("cannot open the folder " + folder + ": " + std::strerror(errno));
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    if (IsMonthFileName(entry->d_name)) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());

  int status = 0;
  std::vector<vorta::MonthFileInput> files;
  for (const std::string& name : names) {
    vorta::MonthFileInput file{name, {}};
    std::string error;
    switch (ReadWholeFile(folder + "/" + name, &file.bytes, &error)) {
      case ReadResult::kRead: files.push_back(std::move(file)); break;
      case ReadResult::kNotAFile: break;
      case ReadResult::kFailed:
        std::fprintf(stderr, "vorta-export: cannot read %s/%s: %s\n", folder.c_str(), name.c_str(), error.c_str());
        status = 1;
        break;
    }
  }

  vorta::ExportOptions options;
  options.format = json ? vorta::ExportFormat::kJsonLines : vorta::ExportFormat::kText;
  options.line_end = "\n";
  std::string out;
  const vorta::ExportReport report = vorta::ExportDiary(files, options, *decoder, &out);

  std::set<std::string> damaged;
  for (const vorta::ExportProblem& p : report.problems) {
    std::fprintf(stderr, "vorta-export: %s/%s: %s\n", folder.c_str(), p.file.c_str(),
                 vorta::DescribeProblem(p).c_str());
    damaged.insert(p.file);
  }
  if (!damaged.empty()) {
    std::fprintf(stderr, "vorta-export: %zu month file%s with problems; the rest of the diary is exported\n",
                 damaged.size(), damaged.size() == 1 ? "" : "s");
    status = 1;
  }
  if (report.replaced > 0) {
    std::fprintf(stderr, "vorta-export: %zu character%s with no Unicode form written as U+FFFD\n", report.replaced,
                 report.replaced == 1 ? "" : "s");
  }

  if (operands.size() == 2) {
    std::string error;
    if (!WriteFileWhole(operands[1], out, &error)) return Fail(error);
  } else {
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
      return Fail(std::string("cannot write the export: ") + std::strerror(errno));
  }
  return status;
}
