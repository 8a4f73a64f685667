// Feeds arbitrary bytes to the diary export as two month files, in both
// formats, and checks that the two agree and that every JSON line is one valid
// object with UTF-8 text.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "journal/export/cp932_iconv.h"
#include "journal/export/diary_export.h"

using namespace vorta;

// Input: the length of the first file (2 bytes, little-endian), a byte whose
// low bit names the second file after the first one's month, then the files.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto decoder = OpenIconvCp932Decoder();
  if (!decoder) std::abort();
  if (size < 3) return 0;
  const std::span<const std::uint8_t> rest(data + 3, size - 3);
  const std::size_t first = std::min<std::size_t>(data[0] | data[1] << 8, rest.size());
  const std::vector<MonthFileInput> files = {
      {(data[2] & 1) ? "202402.day" : "202612.DAY",
       std::vector<std::uint8_t>(rest.begin() + static_cast<std::ptrdiff_t>(first), rest.end())},
      {"202402.DAY", std::vector<std::uint8_t>(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(first))},
  };

  std::string text, jsonLines;
  const ExportReport t = ExportDiary(files, ExportOptions{ExportFormat::kText, "\r\n"}, *decoder, &text);
  const ExportReport j = ExportDiary(files, ExportOptions{ExportFormat::kJsonLines}, *decoder, &jsonLines);
  if (t.days != j.days || t.replaced != j.replaced || t.problems != j.problems) std::abort();
  for (const auto& p : t.problems) {
    if (DescribeProblem(p).empty()) std::abort();
  }

  std::size_t lines = 0;
  for (std::size_t at = 0; at < jsonLines.size();) {
    const std::size_t end = jsonLines.find('\n', at);
    if (end == std::string::npos) std::abort();  // every object ends its line
    const auto object = nlohmann::json::parse(jsonLines.begin() + static_cast<std::ptrdiff_t>(at),
                                              jsonLines.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
    if (object.is_discarded() || !object.is_object() || !object["text"].is_string()) std::abort();
    ++lines;
    at = end + 1;
  }
  if (lines != j.days) std::abort();
  // The text export is UTF-8 throughout: a strict dump would throw otherwise.
  try {
    (void)nlohmann::json(text).dump();
  } catch (...) {
    std::abort();
  }
  return 0;
}
