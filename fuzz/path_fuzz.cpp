// Feeds arbitrary bytes to the folder check and the CP932 path helpers, and
// checks what must hold whatever the bytes: an accepted path is clean, the case
// of single-byte letters never changes the answer, a trailing backslash never
// changes the answer on a drive, and the helpers agree with the slow byte walk.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_type.h"
#include "common/path.h"

using namespace vorta;

namespace {

// Drives C: and z: (the second lower-cased, as a probe might give it), or none.
// Whether a pattern exists is decided by its letters, whatever their case, so
// that a path and its lower-cased copy meet the same file system.
class FuzzFileSystem : public FileSystemProbe {
 public:
  explicit FuzzFileSystem(bool has_drives) : has_drives_(has_drives) {}

  std::vector<std::string> DriveRoots() const override {
    if (!has_drives_) return {};
    return {"C:\\", "z:\\"};
  }
  bool Exists(const std::string& pattern) const override {
    ++calls;
    last_pattern = pattern;
    std::string lowered = pattern;
    LowerSingleBytes(lowered);
    unsigned sum = 0;
    for (unsigned char c : lowered) sum = sum * 31 + c;
    return (sum & 4) != 0;
  }

  mutable int calls = 0;
  mutable std::string last_pattern;

 private:
  bool has_drives_;
};

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// What an accepted path must be, tested byte by byte with ByteTypeAt.
void CheckAccepted(std::string_view path) {
  if (path.empty() || path.size() > kMaxFolderPathBytes) std::abort();
  const bool network = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
  std::string prefix(path.substr(0, 3));
  LowerSingleBytes(prefix);
  if (!network && prefix != "c:" && prefix != "c:\\" && prefix != "z:" && prefix != "z:\\") std::abort();
  const std::size_t names = network ? 2 : 3;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    const int type = ByteTypeAt(path, i);
    if (IsControl(c)) std::abort();
    if (type == kLeadByte && i + 1 == path.size()) std::abort();
    if (i >= names && std::string_view("\"/*?<>:").find(path[i]) != std::string_view::npos) std::abort();
    if (i >= names && path[i] == '|' && type != kTrailByte) std::abort();
    if (i >= 2 && path[i] == '\\' && type == kSingleByte && i + 1 < path.size() &&
        (path[i + 1] == '\\' || path[i + 1] == '.')) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool has_drives = (data[0] & 1) != 0;
  const std::string path(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool network = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';

  // The helpers against the slow walk.
  const bool ends = !path.empty() && path.back() == '\\' && ByteTypeAt(path, path.size() - 1) == kSingleByte;
  if (EndsWithBackslash(path) != ends) std::abort();
  std::string lowered = path;
  LowerSingleBytes(lowered);
  if (lowered.size() != path.size()) std::abort();
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    const bool letter = c >= 'A' && c <= 'Z' && ByteTypeAt(path, i) == kSingleByte;
    if (lowered[i] != (letter ? static_cast<char>(c - 'A' + 'a') : c)) std::abort();
  }

  FuzzFileSystem fs(has_drives);
  const FolderCheck answer = CheckFolderPath(path, fs);
  if (answer != FolderCheck::kMalformed && answer != FolderCheck::kExists && answer != FolderCheck::kAbsent) {
    std::abort();
  }
  if (fs.calls > 1) std::abort();
  if (answer != FolderCheck::kMalformed) CheckAccepted(path);
  if (answer == FolderCheck::kMalformed && fs.calls != 0) std::abort();
  // The pattern is the path as typed, give or take its trailing backslash and a
  // wildcard for a network path.
  if (fs.calls == 1) {
    const std::string& pattern = fs.last_pattern;
    if (network) {
      if (pattern != path && pattern != path + (ends ? "*.*" : "\\*.*")) std::abort();
    } else if (pattern != path && pattern + "\\" != path) {
      std::abort();
    }
    if (pattern.size() > 2 && EndsWithBackslash(pattern)) std::abort();
  }

  // Single-byte letters are compared without their case.
  FuzzFileSystem fs_lowered(has_drives);
  if (CheckFolderPath(lowered, fs_lowered) != answer) std::abort();

  // On a drive "C:\a" and "C:\a\" are the same folder.
  if (!network && path.size() >= 4 && path.size() < kMaxFolderPathBytes && !ends &&
      ByteTypeAt(path, path.size() - 1) != kLeadByte) {
    FuzzFileSystem fs_slash(has_drives);
    if (CheckFolderPath(path + "\\", fs_slash) != answer) std::abort();
    if (fs_slash.calls != fs.calls || fs_slash.last_pattern != fs.last_pattern) std::abort();
  }
  return 0;
}
