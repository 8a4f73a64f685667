#include "common/ini_file_win.h"

#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <vector>

namespace vorta {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Positions of the path separators of `path`. Paths are in the ANSI code page,
// whose double-byte characters may end in 5C ("表" is 95 5C in CP932).
std::vector<std::size_t> SeparatorPositions(const std::string& path) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (IsSeparator(path[i])) {
      found.push_back(i);
    }
  }
  return found;
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates every missing folder above the file `path`, one level at a time.
// Levels that cannot be created (a drive "C:", a "\\server" of a UNC path, a
// folder that is already there) are passed over; what counts is that the
// file's own folder exists at the end.
bool CreateFoldersFor(const std::string& path) {
  const std::vector<std::size_t> separators = SeparatorPositions(path);
  if (separators.empty()) return true;  // a file in the current folder
  for (std::size_t at : separators) {
    if (at == 0) continue;
    const std::string folder = path.substr(0, at);
    if (!IsDirectory(folder)) CreateDirectoryA(folder.c_str(), nullptr);
  }
  const std::size_t last = separators.back();
  return last == 0 || IsDirectory(path.substr(0, last));
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD chunk = static_cast<DWORD>(left < (1u << 20) ? left : (1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

std::string ProfilePath() {
  char folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return std::string();
  }
  if (folder[0] == '\0') return std::string();
  return std::string(folder) + "\\tavelo-soft\\vorta95\\vorta.INI";
}

bool LoadIniFile(const std::string& path, IniStore* store) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      *store = IniStore();
      return true;
    }
    return false;
  }

  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return false;
    if (read == 0) break;
    if (bytes.size() + read > kIniFileLimit) return false;
    bytes.append(buffer, read);
  }
  *store = IniStore::Parse(bytes);
  return true;
}

bool SaveIniFile(const std::string& path, const IniStore& store) {
  if (path.empty() || !CreateFoldersFor(path)) return false;

  const std::string bytes = store.Serialize();
  const std::string temporary = path + ".tmp";
  bool written = false;
  {
    FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  }  // closed before the move
  if (!written ||
      !MoveFileExA(temporary.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace vorta
