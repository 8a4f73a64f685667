// Feeds arbitrary bytes to the month file reader, then edits and writes the
// month as the journal does, and checks that what is written reads back the same.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "journal/data/month_codec.h"

using namespace vorta;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MonthBuffer month;
  if (DecodeMonthFile(std::span(data, size), &month) != MonthFileFormat::kCurrent) return 0;

  DayRecord record;
  for (int day = 0; day <= 32; ++day) month.GetDayRecord(day, &record);
  month.CollectAnniversaryDays();

  // Edit a few days chosen by the input itself.
  const int day = size > 8 ? 1 + data[8] % 31 : 1;
  const std::string text(reinterpret_cast<const char*>(data), size % 6000);
  const bool stored = month.PutDayRecord(day, text, size % 32, size % 16, size & 1);
  month.PutDayRecord(1 + (day + 7) % 31, "", 0, 0, 0);
  if (stored && !text.empty() && month.GetDayRecord(day, &record) == 0) std::abort();
  if (record.text.size() >= kEntryCapacity) std::abort();

  const auto file = EncodeMonthFile(month);
  MonthBuffer again;
  if (DecodeMonthFile(file, &again) != MonthFileFormat::kCurrent) std::abort();
  if (again.payload() != month.payload() || again.record_count() != month.record_count()) std::abort();
  return 0;
}
