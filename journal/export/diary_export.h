// Exporting the whole diary as UTF-8: readable text, or JSON Lines.
//
// The caller reads the month files (a folder on the host, DATA in the journal)
// and hands over their names and bytes; the export reads them exactly as the
// journal does and writes the days in date order, whatever the order of the
// files and of the records inside them.
//
// A day is exported when its record has text, a weather other than item 0, a
// mood other than item 0 or the anniversary mark. Items 0 (sun, laughing face)
// are what the pickers show for a day without a record, so an empty record with
// them is the same as no record; but once a day is exported its weather and mood
// are always written, item 0 included, because the journal shows them for it.
//
// Text, per day:
//   2026年12月10日（木）
//   晴時々曇　落ち込み　記念日        (weather, mood, mark; a full-width space
//   the entry's text, line by line      between them; the mark only when set)
//   (a blank line)
// Line ends are the caller's choice; the text's own line breaks (CR LF as the
// editor stores them, a lone CR or LF too) become that line end.
//
// JSON Lines, one object per day and "\n" after each whatever the platform:
//   {"date":"2026-12-10","weather":4,"weather_text":"晴時々曇","mood":2,
//    "mood_text":"落ち込み","anniversary":true,"text":"..."}
// with the text's line breaks as "\n", UTF-8 throughout, no byte order mark.
//
// Damaged month files are read as far as the journal reads them and every
// fault is reported; nothing is read outside the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorta {

struct MonthFileInput {
  std::string name;  // without the folder: "YYYYMM.DAY", the extension in any case
  std::vector<std::uint8_t> bytes;
};

// CP932 to UTF-8 by a converter the system keeps (iconv on the host,
// MultiByteToWideChar on Windows).
class Cp932Decoder {
 public:
  virtual ~Cp932Decoder() = default;
  // Appends `cp932` to `out` as UTF-8. A double-byte character with no Unicode
  // form, a lead byte without a valid trail byte, and a single byte that is no
  // character each become one U+FFFD and the conversion goes on after them.
  // Returns the number of U+FFFD written for such bytes.
  virtual std::size_t AppendUtf8(std::string_view cp932, std::string* out) = 0;
};

enum class ExportFormat { kText, kJsonLines };

struct ExportOptions {
  ExportFormat format = ExportFormat::kText;
  std::string_view line_end = "\n";  // text only: "\r\n" on Windows
};

enum class ExportProblemKind {
  // The whole file is skipped:
  kNotAMonthName,   // not "YYYYMM.DAY" with a year 1 to 9999 and a month 01 to 12
  kSameMonthAgain,  // another file of that month came first in name order
  kOldFormat,       // "Q12", the format of Ver1.47 and earlier
  kNotAMonthFile,   // does not start with "Q20" (an empty file included)
  // The file is read as far as it is safe:
  kShortHeader,         // found: header bytes present (under 8); nothing is read
  kPayloadCut,          // expected: payload length in the header; found: bytes there
  kBytesAfterPayload,   // found: bytes after the payload the header gives
  kFewerRecords,        // expected: record count in the header; found: records there
  kRecordPastPayload,   // record: its number from 1; it and those after are lost
  kBadTextLength,       // record: its number; found: its L (below 1); the same
  kBytesAfterRecords,   // found: payload bytes after the last counted record
  kDayNotInMonth,       // day: a day number the month does not have; not exported
  kSecondRecordOfDay,   // day: only its first record is exported
  kTextWithoutZero,     // day: its text has no terminating zero
  kTextTooLong,         // day; found: its text bytes; the first 5119 are exported
};

struct ExportProblem {
  std::string file;
  ExportProblemKind kind;
  int day = 0;
  int record = 0;
  std::int64_t expected = 0;
  std::int64_t found = 0;

  friend bool operator==(const ExportProblem&, const ExportProblem&) = default;
};

// "the header promises 120 payload bytes, only 80 follow", without the file name.
std::string DescribeProblem(const ExportProblem& problem);

struct ExportReport {
  std::size_t days = 0;      // days written
  std::size_t replaced = 0;  // characters written as U+FFFD
  std::vector<ExportProblem> problems;  // by file in name order, then in file order
};

// Exports `files` into `out` (replacing its contents). Files are taken in name
// order; of two files of the same month (200907.DAY and 200907.day) the first
// is read and the other reported.
ExportReport ExportDiary(std::span<const MonthFileInput> files, const ExportOptions& options,
                         Cp932Decoder& decoder, std::string* out);

// The readings of a weather and a mood index, UTF-8: "晴", "晴時々曇",
// "雨のち雪", "笑顔"... An index the pickers do not offer reads "天気28",
// "気分5".
std::string WeatherText(unsigned weather);
std::string MoodText(unsigned mood);

}  // namespace vorta
