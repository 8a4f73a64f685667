#include "common/path.h"

#include <windows.h>

#include <string>
#include <vector>

namespace vorta {

std::vector<std::string> WindowsFileSystemProbe::DriveRoots() const {
  // "A:\<0>" for each of 26 letters and a closing zero need 105 bytes; more is
  // room for whatever else a system may list. When even that is short, the
  // call tells the length and is made once more.
  std::vector<char> buffer(512);
  DWORD length = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) return {};
  }
  std::vector<std::string> roots;
  for (DWORD i = 0; i < length;) {
    const std::string root(buffer.data() + i);
    if (root.empty()) break;
    i += static_cast<DWORD>(root.size()) + 1;
    roots.push_back(root);
  }
  return roots;
}

bool WindowsFileSystemProbe::Exists(const std::string& pattern) const {
  if (pattern.find('\0') != std::string::npos) return false;
  // A drive without its medium fails quietly instead of asking for a disk.
  DWORD old_mode = 0;
  const bool mode_set = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_mode) != FALSE;
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (mode_set) SetThreadErrorMode(old_mode, nullptr);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

FolderCheck CheckFolderPath(std::string_view path) {
  const WindowsFileSystemProbe probe;
  return CheckFolderPath(path, probe);
}

}  // namespace vorta
