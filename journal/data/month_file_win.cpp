#include "journal/data/month_file_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "common/file_win.h"
#include "common/scoped_handle_win.h"

namespace vorta {

namespace {

SaveHook g_save_hook = nullptr;

constexpr DWORD kNoFile = INVALID_FILE_ATTRIBUTES;

}  // namespace

std::string MonthFilePath(const std::string& program_folder, int year, int month) {
  char name[32];
  std::snprintf(name, sizeof name, "%04d%02d.DAY", year, month);
  return program_folder + "DATA\\" + name;
}

MonthFileFormat LoadMonthFile(const std::string& path, MonthBuffer* month) {
  ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_ARCHIVE, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      month->Clear();
      return MonthFileFormat::kMissing;
    }
    return MonthFileFormat::kUnreadable;
  }
  LARGE_INTEGER size{};
  // No month file comes near this size; one that does is not ours to load.
  constexpr LONGLONG kLargestMonthFile = 8 + 0xFFFFFFFFLL;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestMonthFile) return MonthFileFormat::kUnreadable;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 20));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + got, chunk, &read, nullptr)) return MonthFileFormat::kUnreadable;
    if (read == 0) break;
    got += read;
  }
  bytes.resize(got);
  return DecodeMonthFile(bytes, month);
}

SaveResult SaveMonthFile(const std::string& path, const MonthBuffer& month) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (month.record_count() == 0 && attributes == kNoFile) return SaveResult::kNothingToWrite;
  // A read-only month file cannot be overwritten in place; moving over it
  // would succeed on some systems, so refuse it the same way everywhere.
  if (attributes != kNoFile && (attributes & FILE_ATTRIBUTE_READONLY)) return SaveResult::kFailed;

  const std::vector<std::uint8_t> bytes = EncodeMonthFile(month);
  return WriteFileAtomically(path, bytes, g_save_hook) ? SaveResult::kWritten : SaveResult::kFailed;
}

void SetSaveHookForTesting(SaveHook hook) { g_save_hook = hook; }

}  // namespace vorta
