// Month files in the DATA folder beside the program: reading them into the
// month buffer and writing the buffer back.
#pragma once

#include <string>

#include "journal/data/month_buffer.h"
#include "journal/data/month_codec.h"

namespace vorta {

// program_folder ends with a backslash: <folder>DATA\YYYYMM.DAY
std::string MonthFilePath(const std::string& program_folder, int year, int month);

// Reads the month file at `path`. A missing file loads as an empty month
// (kMissing). A file that is there but cannot be opened or read whole gives
// kUnreadable: it must never be replaced by what the buffer holds. On every
// result but kMissing and kCurrent `month` is left as it was.
MonthFileFormat LoadMonthFile(const std::string& path, MonthBuffer* month);

enum class SaveResult {
  kWritten,
  kNothingToWrite,  // an empty month that has no file yet
  kFailed,          // nothing on disk changed; the buffer is intact
};

// Writes `month` to `path`. The new file replaces the old one in one step: it
// is written beside it and moved over it, so a crash leaves one or the other.
// An empty month is written (header only) when the file exists, so that a
// cleared entry does not come back from the old file.
SaveResult SaveMonthFile(const std::string& path, const MonthBuffer& month);

// For tests: when set, called after the new file has been written and before
// it replaces the old one; returning false makes the save fail there.
using SaveHook = bool (*)();
void SetSaveHookForTesting(SaveHook hook);

}  // namespace vorta
