#include "journal/export/diary_export.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "journal/data/calendar.h"
#include "journal/data/month_codec.h"
#include "journal/search/search_engine.h"

namespace vorta {

namespace {

// Every Japanese word here is a u8 literal: the output is UTF-8 whatever
// character set the build gives plain literals (CP932).
std::string_view Utf8(std::u8string_view s) { return {reinterpret_cast<const char*>(s.data()), s.size()}; }

// The weather picker's items, as its pictures show them: one sky, or two joined
// by the slash (the two alternate: 時々) or by the arrow (one follows the
// other: のち).
enum Sky : std::uint8_t { kSun, kCloud, kRain, kSnow };
enum Link : std::uint8_t { kAlone, kSlash, kArrow };
struct WeatherItem {
  Sky first;
  Link link = kAlone;
  Sky second = kSun;
};
constexpr WeatherItem kWeatherItems[] = {
    {kSun},  {kCloud}, {kRain}, {kSnow},
    {kSun, kSlash, kCloud},  {kSun, kSlash, kRain},  {kCloud, kSlash, kSun},
    {kCloud, kSlash, kRain}, {kRain, kSlash, kSun},  {kRain, kSlash, kCloud},
    {kSun, kArrow, kCloud},  {kSun, kArrow, kRain},  {kCloud, kArrow, kSun},
    {kCloud, kArrow, kRain}, {kRain, kArrow, kSun},  {kRain, kArrow, kCloud},
    {kSnow, kSlash, kSun},   {kSnow, kSlash, kCloud}, {kSnow, kSlash, kRain},
    {kSun, kSlash, kSnow},   {kCloud, kSlash, kSnow}, {kRain, kSlash, kSnow},
    {kSnow, kArrow, kSun},   {kSnow, kArrow, kCloud}, {kSnow, kArrow, kRain},
    {kSun, kArrow, kSnow},   {kCloud, kArrow, kSnow}, {kRain, kArrow, kSnow},
};
static_assert(std::size(kWeatherItems) == 28);
constexpr std::u8string_view kSkyWords[] = {u8"晴", u8"曇", u8"雨", u8"雪"};
constexpr std::u8string_view kLinkWords[] = {u8"", u8"時々", u8"のち"};

// The mood picker's faces: laughing, plain, downcast, angry.
constexpr std::u8string_view kMoodWords[] = {u8"笑顔", u8"ふつう", u8"落ち込み", u8"怒り"};

constexpr std::u8string_view kWeekdays[] = {u8"日", u8"月", u8"火", u8"水", u8"木", u8"金", u8"土"};

// The longest text the journal's editor shows; GetDayRecord keeps no more.
constexpr std::size_t kShownTextMax = kEntryCapacity - 1;

int DaysIn(int year, int month) {
  return DaysInMonth(static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month));
}

int Digits(std::string_view s) {
  int n = 0;
  for (char c : s) n = n * 10 + (c - '0');
  return n;
}

// A month file that is read.
struct MonthFile {
  int year;
  int month;
  MonthBuffer buffer;
};

class ProblemList {
 public:
  ProblemList(std::vector<ExportProblem>* problems, const std::string& file) : problems_(problems), file_(file) {}
  void Add(ExportProblemKind kind, int day = 0, int record = 0, std::int64_t expected = 0, std::int64_t found = 0) {
    problems_->push_back(ExportProblem{file_, kind, day, record, expected, found});
  }

 private:
  std::vector<ExportProblem>* problems_;
  const std::string& file_;
};

// Finds what is wrong with a "Q20" month file, walking its records as the
// journal's reader does: the walk ends at the count the header gives, at the
// payload length it gives or the end of the bytes if that comes first, and at
// a record whose length is below 1 or runs past the payload.
void CheckMonthFile(std::span<const std::uint8_t> bytes, int days, ProblemList problems) {
  if (bytes.size() < kMonthHeaderSize) {
    problems.Add(ExportProblemKind::kShortHeader, 0, 0, kMonthHeaderSize, static_cast<std::int64_t>(bytes.size()));
    return;
  }
  const unsigned count = bytes[3];
  const std::uint32_t promised = static_cast<std::uint32_t>(bytes[4]) | static_cast<std::uint32_t>(bytes[5]) << 8 |
                                 static_cast<std::uint32_t>(bytes[6]) << 16 |
                                 static_cast<std::uint32_t>(bytes[7]) << 24;
  const std::size_t available = bytes.size() - kMonthHeaderSize;
  if (promised > available)
    problems.Add(ExportProblemKind::kPayloadCut, 0, 0, promised, static_cast<std::int64_t>(available));
  else if (available > promised)
    problems.Add(ExportProblemKind::kBytesAfterPayload, 0, 0, 0, static_cast<std::int64_t>(available - promised));

  const auto masked = bytes.subspan(kMonthHeaderSize, std::min<std::size_t>(promised, available));
  auto plain = [&](std::size_t at) { return static_cast<std::uint8_t>(masked[at] ^ kPayloadMask); };
  std::bitset<256> seen;
  std::size_t offset = 0;
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t left = masked.size() - offset;
    const int number = static_cast<int>(i) + 1;
    if (left == 0) {
      problems.Add(ExportProblemKind::kFewerRecords, 0, 0, count, i);
      return;
    }
    if (left < kRecordHeaderSize) {
      problems.Add(ExportProblemKind::kRecordPastPayload, 0, number);
      return;
    }
    const int length = static_cast<std::int16_t>(plain(offset + 3) | plain(offset + 4) << 8);
    if (length < 1) {
      problems.Add(ExportProblemKind::kBadTextLength, 0, number, 0, length);
      return;
    }
    if (static_cast<std::size_t>(length) > left - kRecordHeaderSize) {
      problems.Add(ExportProblemKind::kRecordPastPayload, 0, number);
      return;
    }
    const int day = plain(offset);
    const std::size_t text = offset + kRecordHeaderSize;
    offset = text + static_cast<std::size_t>(length);
    if (day < 1 || day > days) {
      problems.Add(ExportProblemKind::kDayNotInMonth, day);
      continue;
    }
    if (seen[day]) {
      problems.Add(ExportProblemKind::kSecondRecordOfDay, day);
      continue;
    }
    seen[day] = true;
    std::size_t size = 0;
    while (size < static_cast<std::size_t>(length) && plain(text + size) != 0) ++size;
    if (size == static_cast<std::size_t>(length)) problems.Add(ExportProblemKind::kTextWithoutZero, day);
    if (size > kShownTextMax)
      problems.Add(ExportProblemKind::kTextTooLong, day, 0, 0, static_cast<std::int64_t>(size));
  }
  if (offset < masked.size())
    problems.Add(ExportProblemKind::kBytesAfterRecords, 0, 0, 0, static_cast<std::int64_t>(masked.size() - offset));
}

// `utf8` with each line break (CR LF, or a lone CR or LF) as `line_end`.
void AppendWithLineEnds(std::string_view utf8, std::string_view line_end, std::string* out) {
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t at = utf8.find_first_of("\r\n", i);
    if (at == std::string_view::npos) {
      out->append(utf8.substr(i));
      break;
    }
    out->append(utf8.substr(i, at - i));
    out->append(line_end);
    i = at + (utf8[at] == '\r' && at + 1 < utf8.size() && utf8[at + 1] == '\n' ? 2 : 1);
  }
}

class DayWriter {
 public:
  DayWriter(const ExportOptions& options, Cp932Decoder& decoder, std::string* out, ExportReport* report)
      : options_(options), decoder_(decoder), out_(*out), report_(*report) {}

  void Write(int year, int month, int day, const DayRecord& record) {
    text_.clear();
    report_.replaced += decoder_.AppendUtf8(record.text, &text_);
    if (options_.format == ExportFormat::kText)
      WriteText(year, month, day, record);
    else
      WriteJson(year, month, day, record);
    ++report_.days;
  }

 private:
  void WriteText(int year, int month, int day, const DayRecord& record) {
    const std::string_view eol = options_.line_end;
    out_ += std::to_string(year);
    out_ += Utf8(u8"年");
    out_ += std::to_string(month);
    out_ += Utf8(u8"月");
    out_ += std::to_string(day);
    out_ += Utf8(u8"日（");
    out_ += Utf8(kWeekdays[WeekdayOf(year, month, day)]);
    out_ += Utf8(u8"）");
    out_ += eol;
    out_ += WeatherText(record.weather);
    out_ += Utf8(u8"　");
    out_ += MoodText(record.mood);
    if (record.flag) {
      out_ += Utf8(u8"　");
      out_ += Utf8(u8"記念日");
    }
    out_ += eol;
    if (!text_.empty()) {
      AppendWithLineEnds(text_, eol, &out_);
      out_ += eol;
    }
    out_ += eol;
  }

  void WriteJson(int year, int month, int day, const DayRecord& record) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
    std::string text;
    AppendWithLineEnds(text_, "\n", &text);
    nlohmann::ordered_json object;
    object["date"] = date;
    object["weather"] = record.weather;
    object["weather_text"] = WeatherText(record.weather);
    object["mood"] = record.mood;
    object["mood_text"] = MoodText(record.mood);
    object["anniversary"] = record.flag != 0;
    object["text"] = std::move(text);
    // Whatever the decoder gave, the line stays valid UTF-8.
    out_ += object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    out_ += '\n';
  }

  const ExportOptions& options_;
  Cp932Decoder& decoder_;
  std::string& out_;
  ExportReport& report_;
  std::string text_;
};

}  // namespace

std::string WeatherText(unsigned weather) {
  if (weather >= std::size(kWeatherItems)) return std::string(Utf8(u8"天気")) + std::to_string(weather);
  const WeatherItem& item = kWeatherItems[weather];
  std::string text(Utf8(kSkyWords[item.first]));
  if (item.link != kAlone) {
    text += Utf8(kLinkWords[item.link]);
    text += Utf8(kSkyWords[item.second]);
  }
  return text;
}

std::string MoodText(unsigned mood) {
  if (mood >= std::size(kMoodWords)) return std::string(Utf8(u8"気分")) + std::to_string(mood);
  return std::string(Utf8(kMoodWords[mood]));
}

std::string DescribeProblem(const ExportProblem& p) {
  const std::string day = std::to_string(p.day), record = std::to_string(p.record);
  const std::string expected = std::to_string(p.expected), found = std::to_string(p.found);
  switch (p.kind) {
    case ExportProblemKind::kNotAMonthName:
      return "not the name of a month file (YYYYMM.DAY, years 0001 to 9999): skipped";
    case ExportProblemKind::kSameMonthAgain:
      return "a second file of the same month: skipped";
    case ExportProblemKind::kOldFormat:
      return "a month file of Ver1.47 or earlier (\"Q12\"): skipped; setup converts these";
    case ExportProblemKind::kNotAMonthFile:
      return "not a month file (it does not start with \"Q20\"): skipped";
    case ExportProblemKind::kShortHeader:
      return "the header is cut short (" + found + " of 8 bytes): nothing read";
    case ExportProblemKind::kPayloadCut:
      return "the header promises " + expected + " payload bytes, only " + found + " follow";
    case ExportProblemKind::kBytesAfterPayload:
      return found + " bytes after the payload: not read";
    case ExportProblemKind::kFewerRecords:
      return "the header counts " + expected + " records, the payload holds " + found;
    case ExportProblemKind::kRecordPastPayload:
      return "record " + record + " runs past the end of the payload: it and any after it are lost";
    case ExportProblemKind::kBadTextLength:
      return "record " + record + " gives its text length as " + found + ": it and any after it are lost";
    case ExportProblemKind::kBytesAfterRecords:
      return found + " payload bytes after the last record: not read";
    case ExportProblemKind::kDayNotInMonth:
      return "a record for day " + day + ", which the month does not have: not exported";
    case ExportProblemKind::kSecondRecordOfDay:
      return "a second record for day " + day + ": only the first is exported";
    case ExportProblemKind::kTextWithoutZero:
      return "the text of day " + day + " has no terminating zero";
    case ExportProblemKind::kTextTooLong:
      return "the text of day " + day + " is " + found + " bytes: the first " + std::to_string(kShownTextMax) +
             " are exported";
  }
  return "unknown problem";
}

ExportReport ExportDiary(std::span<const MonthFileInput> files, const ExportOptions& options,
                         Cp932Decoder& decoder, std::string* out) {
  ExportReport report;
  out->clear();

  std::vector<const MonthFileInput*> byName;
  for (const auto& f : files) byName.push_back(&f);
  std::stable_sort(byName.begin(), byName.end(),
                   [](const MonthFileInput* a, const MonthFileInput* b) { return a->name < b->name; });

  // Names "YYYYMM.DAY" in byte order are months in date order.
  std::vector<MonthFile> months;
  for (const MonthFileInput* f : byName) {
    ProblemList problems(&report.problems, f->name);
    char prefix[9];
    if (!MonthFileDatePrefix(f->name, prefix)) {
      problems.Add(ExportProblemKind::kNotAMonthName);
      continue;
    }
    const int year = Digits(f->name.substr(0, 4));
    const int month = Digits(f->name.substr(4, 2));
    if (!months.empty() && months.back().year == year && months.back().month == month) {
      problems.Add(ExportProblemKind::kSameMonthAgain);
      continue;
    }
    MonthBuffer buffer;
    switch (DecodeMonthFile(f->bytes, &buffer)) {
      case MonthFileFormat::kCurrent: break;
      case MonthFileFormat::kVer147: problems.Add(ExportProblemKind::kOldFormat); continue;
      default: problems.Add(ExportProblemKind::kNotAMonthFile); continue;
    }
    CheckMonthFile(f->bytes, DaysIn(year, month), problems);
    months.push_back(MonthFile{year, month, std::move(buffer)});
  }

  DayWriter writer(options, decoder, out, &report);
  for (MonthFile& m : months) {
    DayRecord record;
    for (int day = 1, days = DaysIn(m.year, m.month); day <= days; ++day) {
      if (m.buffer.GetDayRecord(day, &record) == 0) continue;
      if (record.text.empty() && record.weather == 0 && record.mood == 0 && record.flag == 0) continue;
      writer.Write(m.year, m.month, day, record);
    }
  }
  return report;
}

}  // namespace vorta
