#include "harness/profile.h"

#include <windows.h>
#include <shlobj.h>

#include "harness/files.h"

namespace e2e {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares names ignoring ASCII case, but not in the trail byte of a CP932
// double-byte character (0x41..0x5A occur there and are not letters).
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(a[i]);
    const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
  }
  return true;
}

std::string AppDataDirectory() {
  char path[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

}  // namespace

std::string ProfileDirectory() {
  const std::string appdata = AppDataDirectory();
  return appdata.empty() ? std::string() : JoinPath(appdata, "tavelo-soft\\vorta95");
}

std::string ProfilePath() {
  const std::string dir = ProfileDirectory();
  return dir.empty() ? std::string() : JoinPath(dir, "vorta.INI");
}

std::optional<std::string> IniValue(std::string_view ini, std::string_view section,
                                    std::string_view key) {
  bool in_section = false;
  while (!ini.empty()) {
    const size_t end = ini.find('\n');
    std::string_view line = ini.substr(0, end);
    ini = end == std::string_view::npos ? std::string_view() : ini.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      // The first section of the name has ended without the key: a later
      // section of the same name does not count.
      if (in_section) return std::nullopt;
      const size_t close = line.find(']');
      in_section = SameName(Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)),
                            section);
      continue;
    }
    if (!in_section) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (SameName(Trim(line.substr(0, equals)), key)) return std::string(Trim(line.substr(equals + 1)));
  }
  return std::nullopt;
}

std::optional<std::string> ReadProfileValue(std::string_view section, std::string_view key) {
  const std::optional<std::string> bytes = ReadFileBytes(ProfilePath());
  if (!bytes) return std::nullopt;
  return IniValue(*bytes, section, key);
}

bool RemoveProfile() {
  const std::string dir = ProfileDirectory();
  if (dir.empty()) return false;
  const bool gone = RemoveTree(dir);
  // Only removed when empty: RemoveDirectoryA refuses otherwise.
  RemoveDirectoryA(DirectoryPart(dir).c_str());
  return gone;
}

ProfileGuard::ProfileGuard() : saved_(ReadFileBytes(ProfilePath())) { RemoveProfile(); }

ProfileGuard::~ProfileGuard() {
  RemoveProfile();
  if (saved_ && MakeDirectories(ProfileDirectory())) WriteFileBytes(ProfilePath(), *saved_);
}

}  // namespace e2e
