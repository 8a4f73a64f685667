// The installer's conversion of month files left by versions up to 1.47 in
// the install folder ("*.day", magic "Q12") into month files in its DATA
// folder. Every old file stays until its new one is safely in place.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace vorta {

// Shows one message of the step (text, and MB_ICONINFORMATION or MB_ICONERROR).
using SetupMessageFn = std::function<void(const std::string& text, UINT icon)>;

struct LegacyStepResult {
  int found = 0;       // "*.day" entries in the folder
  int converted = 0;   // old files turned into month files and removed
  bool failed = false; // some old file could not be converted and was kept
};

// Runs the step over `installFolder` (with or without its final backslash).
// Nothing is shown when the folder holds no "*.day" entry; otherwise a notice
// first and a closing message at the end. An old file is kept when it is
// damaged, when DATA already holds a month file of that name with entries in
// it, or when the new file cannot be written ("データ書き込みエラーです");
// the closing message then says "変換エラーです。".
LegacyStepResult ConvertLegacyFolder(const std::string& installFolder, const SetupMessageFn& show);

}  // namespace vorta
