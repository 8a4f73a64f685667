// The journal's "書き出し" command: the whole diary, as the DATA folder holds
// it once the entry on screen is saved, written to a file the user names.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "common/file_win.h"
#include "common/path.h"
#include "journal/export/cp932_win.h"
#include "journal/export/diary_export.h"
#include "journal/window/journal_dlg.h"
#include "journal/res/resource.h"

namespace {

// The largest month file there can be: 255 records of the longest text.
constexpr std::size_t kMonthFileLimit = 8 + 255 * (5 + 0xFFFF);
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The month files of DATA, in no particular order; false (with the name of
// the first that could not be read) when one cannot be read.
bool ReadMonthFiles(const std::string& dataFolder, std::vector<vorta::MonthFileInput>* files, std::string* failed) {
  WIN32_FIND_DATAA found;
  const HANDLE find = ::FindFirstFileA((dataFolder + "*.DAY").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool read = true;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    vorta::MonthFileInput file;
    file.name = found.cFileName;
    if (!vorta::ReadFileBytes(dataFolder + file.name, kMonthFileLimit, &file.bytes)) {
      *failed = file.name;
      read = false;
      break;
    }
    files->push_back(std::move(file));
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return read;
}

// Asks where to write; false when the user cancels.
bool AskForFile(HWND owner, std::string* path, vorta::ExportFormat* format) {
  char file[MAX_PATH] = "ミルネ日記.txt";
  char documents[MAX_PATH] = {};
  ::SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
  static const char kFilter[] =
      "テキスト (UTF-8) (*.txt)\0*.txt\0"
      "JSON Lines (*.jsonl)\0*.jsonl\0";
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrInitialDir = documents[0] ? documents : nullptr;
  dialog.lpstrDefExt = "txt";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
  if (!::GetSaveFileNameA(&dialog)) return false;
  *path = file;
  // The type chosen, or the extension typed: "日記.jsonl" is JSON Lines
  // whichever type the list shows.
  std::string extension = path->substr(vorta::ReplaceExtension(*path, "").size());
  vorta::LowerSingleBytes(extension);
  *format = dialog.nFilterIndex == 2 || extension == ".jsonl" ? vorta::ExportFormat::kJsonLines
                                                               : vorta::ExportFormat::kText;
  return true;
}

// What the closing message adds when not everything could be read as it was.
std::string Remarks(const vorta::ExportReport& report) {
  std::string text;
  if (report.replaced > 0) {
    char line[96];
    std::snprintf(line, sizeof line, "\n文字に直せないバイトが %zu か所あり、記号 U+FFFD にしました。", report.replaced);
    text += line;
  }
  std::set<std::string> damaged;
  for (const vorta::ExportProblem& problem : report.problems) damaged.insert(problem.file);
  if (!damaged.empty()) {
    text += "\n次のファイルは壊れているため、読めるところまでを書き出しました。";
    int shown = 0;
    for (const std::string& name : damaged) {
      if (++shown > 5) {
        text += "\n  ほか";
        break;
      }
      text += "\n  " + name;
    }
  }
  return text;
}

}  // namespace

void CJournalDlg::OnExport() {
  // The entry on screen goes into its month file first; when it cannot, the
  // message has been shown and nothing is written.
  if (!SaveTakingWhatItCan()) return;
  m_bCloseSaveFailed = false;
  if (!LoadMonth(m_current.wYear, m_current.wMonth)) return;

  std::string path;
  vorta::ExportFormat format = vorta::ExportFormat::kText;
  if (!AskForFile(m_hWnd, &path, &format)) return;

  const std::string dataFolder = std::string(m_szProgramFolder) + "DATA\\";
  std::vector<vorta::MonthFileInput> files;
  std::string unreadable;
  if (!ReadMonthFiles(dataFolder, &files, &unreadable)) {
    const std::string text = LoadResourceString(IDS_EXPORT_FAILED) + "\n" + unreadable + " を読めませんでした。";
    AfxMessageBox(text.c_str(), MB_ICONERROR);
    return;
  }

  vorta::ExportOptions options;
  options.format = format;
  options.line_end = "\r\n";
  vorta::WindowsCp932Decoder decoder;
  std::string out;
  const vorta::ExportReport report = vorta::ExportDiary(files, options, decoder, &out);
  // A byte order mark, so that every editor on Windows takes the text for UTF-8.
  if (format == vorta::ExportFormat::kText) out.insert(0, kByteOrderMark);

  const auto* bytes = reinterpret_cast<const std::uint8_t*>(out.data());
  if (!vorta::WriteFileAtomically(path, std::span<const std::uint8_t>(bytes, out.size()))) {
    const std::string text = LoadResourceString(IDS_EXPORT_FAILED) + "\n" + path;
    AfxMessageBox(text.c_str(), MB_ICONERROR);
    return;
  }
  char done[128];
  std::snprintf(done, sizeof done, LoadResourceString(IDS_EXPORT_DONE).c_str(), static_cast<int>(report.days));
  AfxMessageBox((done + Remarks(report)).c_str(), MB_ICONINFORMATION);
}
