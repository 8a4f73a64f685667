#include "harness/files.h"

#include <windows.h>

#include <atomic>

namespace e2e {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

DWORD Attributes(std::string_view path) { return GetFileAttributesA(std::string(path).c_str()); }

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// Path component boundaries are ASCII separators; CP932 trail bytes can be 0x5C
// ('\'), so scanning must step over double-byte characters.
size_t LastSeparator(std::string_view path) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (IsSeparator(path[i])) last = i;
  }
  return last;
}

}  // namespace

std::string WinePathFromUnix(std::string_view path) {
  std::string out;
  if (!HasDrive(path) && !path.empty() && path[0] == '/') out = "Z:";
  out.append(path);
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(out[i])) && i + 1 < out.size()) {
      ++i;
    } else if (out[i] == '/') {
      out[i] = '\\';
    }
  }
  return out;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
  while (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
  std::string out(dir);
  if (out.empty()) return std::string(name);
  if (LastSeparator(out) != out.size() - 1) out += '\\';
  out.append(name);
  return out;
}

std::string FileNamePart(std::string_view path) {
  const size_t sep = LastSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string DirectoryPart(std::string_view path) {
  const size_t sep = LastSeparator(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep));
}

bool FileExists(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectories(std::string_view path) {
  if (path.empty()) return false;
  if (DirectoryExists(path)) return true;
  const std::string parent = DirectoryPart(path);
  // Stop at a drive root ("C:") or an empty parent.
  if (!parent.empty() && !(parent.size() == 2 && parent[1] == ':')) MakeDirectories(parent);
  CreateDirectoryA(std::string(path).c_str(), nullptr);
  return DirectoryExists(path);
}

bool RemoveTree(std::string_view path) {
  const DWORD attributes = Attributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  const std::string dir(path);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(dir.c_str()) != FALSE;
  }
  // A linked folder is removed, never followed.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(JoinPath(dir, "*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        RemoveTree(JoinPath(dir, name));
      } while (FindNextFileA(find, &found));
      FindClose(find);
    }
  }
  SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_DIRECTORY);
  RemoveDirectoryA(dir.c_str());
  return Attributes(path) == INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> ReadFileBytes(std::string_view path) {
  HANDLE file = CreateFileA(std::string(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
    bytes.append(buffer, got);
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

bool WriteFileBytes(std::string_view path, std::string_view bytes) {
  HANDLE file = CreateFileA(std::string(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  while (ok && !bytes.empty()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(bytes.size() > 1u << 20 ? 1u << 20 : bytes.size());
    ok = WriteFile(file, bytes.data(), chunk, &wrote, nullptr) != FALSE && wrote == chunk;
    bytes.remove_prefix(wrote);
  }
  return CloseHandle(file) != FALSE && ok;
}

bool SetReadOnly(std::string_view path, bool read_only) {
  const DWORD a = Attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  DWORD next = read_only ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
  if (next == 0) next = FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesA(std::string(path).c_str(), next) != FALSE;
}

bool IsReadOnly(std::string_view path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

TempDir::TempDir(std::string_view prefix) {
  static std::atomic<unsigned> counter{0};
  char temp[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n > MAX_PATH) return;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    wsprintfA(name, "-%lx-%lx-%u", GetCurrentProcessId(), GetTickCount(), counter++);
    std::string candidate = JoinPath(temp, std::string(prefix) + name);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = std::move(candidate);
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  // A program that has just been ended may still hold its files for a moment.
  for (int attempt = 0; attempt < 50 && !RemoveTree(path_); ++attempt) Sleep(20);
}

std::string TempDir::CopyIn(std::string_view source, std::string_view new_name) const {
  if (path_.empty()) return {};
  const std::string target = Join(new_name.empty() ? FileNamePart(source) : std::string(new_name));
  const std::string from = WinePathFromUnix(source);
  if (!CopyFileA(from.c_str(), target.c_str(), FALSE)) return {};
  return target;
}

std::string TempDir::MakeSubdir(std::string_view relative) const {
  if (path_.empty()) return {};
  const std::string dir = Join(relative);
  return MakeDirectories(dir) ? dir : std::string();
}

}  // namespace e2e
