#include "common/file_win.h"

#include <windows.h>

#include <algorithm>

#include "common/path.h"
#include "common/scoped_handle_win.h"

namespace vorta {

bool ReadFileBytes(const std::string& path, std::size_t limit, std::vector<std::uint8_t>* bytes) {
  const ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE, nullptr));
  if (!file.valid()) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return false;
  bytes->resize(static_cast<std::size_t>(std::min<ULONGLONG>(static_cast<ULONGLONG>(size.QuadPart), limit)));
  std::size_t total = 0;
  while (total < bytes->size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes->size() - total, 1u << 20));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes->data() + total, chunk, &got, nullptr)) return false;
    if (got == 0) break;  // a file that shrank meanwhile is read as it is
    total += got;
  }
  bytes->resize(total);
  return true;
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, bool (*beforeReplace)()) {
  std::string folder = FolderOf(path);
  if (folder.empty()) folder = ".\\";
  char temp[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), "DAY", 0, temp)) return false;

  bool ok;
  {
    ScopedFileHandle file(CreateFileA(temp, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_ARCHIVE, nullptr));
    DWORD written = 0;
    ok = file.valid() &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.get());
    ok = file.Close() && ok;
  }
  ok = ok && (beforeReplace == nullptr || beforeReplace());
  ok = ok && MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(temp);
  return ok;
}

}  // namespace vorta
