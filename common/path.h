// Splitting CP932 paths. A backslash can be the second byte of a double-byte
// character (ソ is 0x83 0x5C), so separators are found with the byte types.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorta {

// Position of the last '\' or '/' that is a character of its own, or npos.
std::size_t LastPathSeparator(std::string_view path);

// Drive and folder of `path`, with the trailing separator ("C:\a\b.exe" gives
// "C:\a\"); empty when the path has no folder part.
std::string FolderOf(std::string_view path);

// The file name without its folder and its extension ("C:\a\vorta.exe" gives "vorta").
std::string FileTitleOf(std::string_view path);

// `path` with its extension replaced by `extension` (which includes the dot).
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// True when the last byte of `s` is a '\' of its own, not the second byte of a
// double-byte character. False for an empty string.
bool EndsWithBackslash(std::string_view s);

// Lower-cases A-Z where the byte is a character of its own; the bytes of
// double-byte characters (whose second byte can be 0x41-0x5A) are left alone.
void LowerSingleBytes(std::string& s);

// What CheckFolderPath makes of a folder typed into the installer.
enum class FolderCheck {
  kMalformed = -1,  // not a path we install to
  kExists = 0,      // something of that name is there (or it is a drive root)
  kAbsent = 1,      // well formed, nothing there yet
};

// The two questions CheckFolderPath asks the file system.
class FileSystemProbe {
 public:
  virtual ~FileSystemProbe() = default;
  // The drive roots, each like "C:\"; empty when they cannot be had.
  virtual std::vector<std::string> DriveRoots() const = 0;
  // Whether FindFirstFileA finds anything for `pattern`.
  virtual bool Exists(const std::string& pattern) const = 0;
};

// Longest path accepted, in bytes: MAX_PATH less its terminating zero.
inline constexpr std::size_t kMaxFolderPathBytes = 259;

// Checks a folder path in CP932, as typed into the installer.
//
// Accepted are a path on a drive that `fs` lists ("C:\Program Files", with or
// without a trailing backslash, the drive letter in either case) and a network
// path ("\\server\share\folder"). A drive root ("C:", "C:\", "c:\") exists at
// once, without asking `fs`. Malformed are:
//   - an empty path, one longer than kMaxFolderPathBytes, and a relative one
//     ("VORTA", "\VORTA", "C:VORTA");
//   - a drive that `fs` does not list, and any drive path when it lists none;
//   - a control byte (0x00-0x1F, 0x7F) anywhere, a lead byte at the end, and a
//     lead byte followed by a byte that cannot be a second byte;
//   - after the drive root or the leading two backslashes: any of " / * ? < > :
//     and a '|' that is not the second byte of a double-byte character;
//   - a backslash followed by another backslash or by a dot anywhere after the
//     start, a trailing double backslash included ("C:\a\\", "C:\.b");
//   - a network path whose server name is missing or begins with a dot or a
//     backslash ("\\", "\\\x", "\\.\pipe").
// The existence test gets the path as typed with its trailing backslash
// dropped. A network path is tested as typed, with "\*.*" appended when its
// last part has no extension: FindFirstFileA does not find a share by its name.
FolderCheck CheckFolderPath(std::string_view path, const FileSystemProbe& fs);

#ifdef _WIN32
// The real drives: GetLogicalDriveStringsA and FindFirstFileA.
class WindowsFileSystemProbe final : public FileSystemProbe {
 public:
  std::vector<std::string> DriveRoots() const override;
  bool Exists(const std::string& pattern) const override;
};

// CheckFolderPath against the real drives.
FolderCheck CheckFolderPath(std::string_view path);
#endif

}  // namespace vorta
