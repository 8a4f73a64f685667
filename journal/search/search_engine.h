// The full-text search over month files.
//
// One hit per day record: the first occurrence of the search string in the
// record's text that starts and ends on character boundaries, i.e. whose every
// byte has the character class (single, lead, trail) of the search string's
// byte at the same place. By default single-byte letters match in either case;
// letters inside double-byte characters never fold.
//
// The scan works on the masked file bytes as they are: the pattern is masked
// instead of the text, candidates come from a vectorised two-byte filter, and
// only a candidate's neighbourhood is ever classified, so a month costs one
// pass over its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorta {

// The search string's limit in bytes, as the search window's combo box takes it.
constexpr std::size_t kSearchStringMax = 50;
// Bytes of text quoted from the hit onwards.
constexpr std::size_t kExcerptMax = 63;

// One hit, laid out as the result list keeps it.
struct SearchResult {
  char date[12];     // "YYYY/MM/DD " and a zero byte
  char excerpt[64];  // up to kExcerptMax bytes of the text from the hit, zero-filled
};
static_assert(sizeof(SearchResult) == 76);

// Upper-cases a to z wherever the byte is a character of its own; bytes of
// double-byte characters stay as they are.
void UpperSingleBytes(std::string& text);

// The search string prepared once for every month of a search.
class SearchPattern {
 public:
  // `text` is cut at its first zero byte, as a C string would be. An empty
  // pattern finds nothing.
  SearchPattern(std::string_view text, bool caseSensitive);

  bool empty() const { return length_ == 0; }
  std::size_t size() const { return length_; }
  bool case_sensitive() const { return caseSensitive_; }

 private:
  friend class MonthScanner;

  std::size_t length_ = 0;
  bool caseSensitive_ = false;
  // The pattern XORed with the payload mask, and for each byte the mask that
  // a text byte is ANDed with before the comparison: 0xDF where a letter may
  // be either case, else 0xFF.
  std::uint8_t masked_[kSearchStringMax] = {};
  std::uint8_t compareMask_[kSearchStringMax] = {};
  // The two bytes the filter looks at, as offsets into the pattern.
  std::size_t filterFirst_ = 0;
  std::size_t filterSecond_ = 0;
};

// Receives the hits of a scan in order; returns false to stop the scan (when
// there is no room for more).
class SearchHitSink {
 public:
  virtual bool Add(const SearchResult& hit) = 0;

 protected:
  ~SearchHitSink() = default;
};

enum class ScanOutcome {
  kScanned,          // every readable record was searched
  kNotAMonthName,    // the name is not "YYYYMM.DAY": skipped
  kNotCurrentFormat, // no "Q20" at the start: skipped
  kStopped,          // the sink refused a hit
};

// "YYYY/MM/" for a month file name "YYYYMM.DAY" (extension in any case) with a
// year from 1 to 9999 and a month from 01 to 12; false for any other name.
bool MonthFileDatePrefix(std::string_view fileName, char (&prefix)[9]);

// The most bytes of a month file the record walk can reach: 255 records of the
// longest length a record header can give. Readers need read no further.
constexpr std::size_t kMonthFileReadLimit = 8 + 255 * (5 + 32767);

// Searches the day records of one month file (its name without the folder,
// and its bytes) and hands the hits to `sink` in record order. Never reads
// outside `bytes`: the walk ends at the count the header gives, at the payload
// length it gives or the end of the data if that comes first, and at a record
// running past the payload. A record's text ends at its first zero byte;
// records of days the month does not have are not searched.
ScanOutcome ScanMonthFile(std::string_view fileName, std::span<const std::uint8_t> bytes,
                          const SearchPattern& pattern, SearchHitSink& sink);

// For tests: which candidate filter the scans use. kBest is the fastest the
// processor has; the others let every variant be checked on any machine.
enum class SearchFilterLevel { kBest, kSse2, kScalar };
void SetSearchFilterLevelForTesting(SearchFilterLevel level);

}  // namespace vorta
