#include "setup/convert_win.h"

#include <cstdio>
#include <vector>

#include "common/file_win.h"
#include "common/path.h"
#include "setup/legacy_convert.h"

namespace vorta {

namespace {

// The largest old month file the record walk can use: 255 records of the
// longest text a length field can give.
constexpr std::size_t kLegacyReadLimit = 8 + 255 * (5 + 0xFFFF);

enum class Outcome { kConverted, kNotLegacy, kKept, kWriteError };

// A month file in DATA that holds entries (anything but an empty month) is
// never replaced: it has the words written since the old version.
bool HoldsEntries(const std::string& path) {
  if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, 16, &bytes)) return true;  // cannot tell: keep it
  const bool emptyMonth = bytes.size() == 8 && bytes[3] == 0 && bytes[4] == 0 && bytes[5] == 0 && bytes[6] == 0 &&
                          bytes[7] == 0;
  return !emptyMonth;
}

Outcome ConvertFile(const std::string& path, const SetupMessageFn& show) {
  std::vector<std::uint8_t> legacy;
  if (!ReadFileBytes(path, kLegacyReadLimit, &legacy)) return Outcome::kNotLegacy;
  std::vector<std::uint8_t> current;
  switch (ConvertLegacyMonth(legacy, &current)) {
    case LegacyConversion::kNotLegacy: return Outcome::kNotLegacy;
    case LegacyConversion::kDamaged: return Outcome::kKept;
    case LegacyConversion::kConverted: break;
  }
  // DATA beside the old file, the old base name, the current extension.
  const std::string target = FolderOf(path) + "DATA\\" + FileTitleOf(path) + ".DAY";
  if (HoldsEntries(target)) return Outcome::kKept;
  if (!WriteFileAtomically(target, current)) {
    show("データ書き込みエラーです", MB_ICONERROR);
    return Outcome::kWriteError;
  }
  return Outcome::kConverted;
}

}  // namespace

LegacyStepResult ConvertLegacyFolder(const std::string& installFolder, const SetupMessageFn& show) {
  LegacyStepResult result;
  const std::string folder = EndsWithBackslash(installFolder) ? installFolder : installFolder + "\\";
  std::vector<std::string> paths;
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((folder + "*.day").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return result;
  do {
    paths.push_back(folder + found.cFileName);
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  result.found = static_cast<int>(paths.size());
  if (paths.empty()) return result;

  show("以前のバージョンのデータをコンバートします。", MB_ICONINFORMATION);
  for (const std::string& path : paths) {
    switch (ConvertFile(path, show)) {
      case Outcome::kConverted:
        // Only now that its month file is in place; a read-only old file
        // would otherwise come back at every later run.
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
        ++result.converted;
        break;
      case Outcome::kNotLegacy:
        break;
      case Outcome::kKept:
      case Outcome::kWriteError:
        result.failed = true;
        break;
    }
  }
  if (result.failed) {
    show("変換エラーです。", MB_ICONINFORMATION);
  } else {
    char text[64];
    std::snprintf(text, sizeof text, "%d 個のﾌｧｲﾙを変換しました。", result.converted);
    show(text, MB_ICONINFORMATION);
  }
  return result;
}

}  // namespace vorta
