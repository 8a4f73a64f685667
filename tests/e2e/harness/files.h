// Files and folders for end-to-end tests: Wine paths, a fresh folder per test,
// whole files as bytes, read-only attributes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace e2e {

// "/work/b/x.exe" -> "Z:\work\b\x.exe" (Wine shows the Linux root as Z:). A
// path that already starts with a drive ("Z:/work/b", "C:\tmp") keeps it; the
// separators become backslashes either way.
std::string WinePathFromUnix(std::string_view path);

// dir + "\" + name, with exactly one separator between them.
std::string JoinPath(std::string_view dir, std::string_view name);
// "C:\a\b.exe" -> "b.exe"; either separator.
std::string FileNamePart(std::string_view path);
// "C:\a\b.exe" -> "C:\a"; "" when there is no separator.
std::string DirectoryPart(std::string_view path);

bool FileExists(std::string_view path);       // a file, not a folder
bool DirectoryExists(std::string_view path);  // a folder
// Creates the folder and any missing parents; true when it exists afterwards.
bool MakeDirectories(std::string_view path);
// Deletes a folder and everything inside it, read-only files included. True
// when it is gone (or was never there).
bool RemoveTree(std::string_view path);

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(std::string_view path);
// Creates or replaces the file with exactly these bytes.
bool WriteFileBytes(std::string_view path, std::string_view bytes);
bool SetReadOnly(std::string_view path, bool read_only);
bool IsReadOnly(std::string_view path);

// A new empty folder under the Windows temp folder (GetTempPathA), removed with
// its contents when the object goes. Processes running from it must end first
// (see Sandbox, which orders that).
class TempDir {
 public:
  explicit TempDir(std::string_view prefix = "e2e");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // "" when the folder could not be made.
  const std::string& path() const { return path_; }
  bool valid() const { return !path_.empty(); }
  std::string Join(std::string_view relative) const { return JoinPath(path_, relative); }
  // Copies a file into the folder under its own name or new_name; the copy's
  // path, "" on failure.
  std::string CopyIn(std::string_view source, std::string_view new_name = {}) const;
  // Makes a sub-folder (parents too, "DATA" or "a\b"); its path, "" on failure.
  std::string MakeSubdir(std::string_view relative) const;

 private:
  std::string path_;
};

}  // namespace e2e
