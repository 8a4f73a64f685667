// The search history: the strings searched for, oldest first, newest last, at
// most ten, each string once whatever the case of its ASCII letters. Kept in
// the profile's "Find History" section as "Find Count" and "Find1" (the
// oldest) onwards.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/ini_store.h"

namespace vorta {

inline constexpr char kFindHistorySection[] = "Find History";
inline constexpr char kFindCountKey[] = "Find Count";
constexpr std::size_t kHistoryMaximum = 10;
// A damaged count reads no further than this many keys.
constexpr unsigned kHistoryKeysReadMaximum = 10000;

// Equal ignoring the case of A to Z and a to z, byte by byte (the bytes of
// double-byte characters are compared the same way).
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

class SearchHistory {
 public:
  // Makes `text` the newest string: the first string equal to it ignoring
  // letter case is removed, then the oldest when `maximum` strings remain.
  void AddToHistory(std::string_view text, std::size_t maximum = kHistoryMaximum);
  void Clear() { strings_.clear(); }

  const std::vector<std::string>& strings() const { return strings_; }  // oldest first
  std::size_t count() const { return strings_.size(); }

 private:
  std::vector<std::string> strings_;
};

// One profile write: key and value in the "Find History" section.
using ProfileWrite = std::pair<std::string, std::string>;

struct StoredHistory {
  int storedCount = 0;             // "Find Count" as stored (0 when negative)
  std::vector<std::string> read;   // the non-empty strings read, oldest first
  SearchHistory history;           // what they add up to
};

// Reads the history from the profile. A negative count reads as 0 and no
// more than kHistoryKeysReadMaximum keys are read; empty values are left out;
// a value longer than 50 bytes is cut at a character boundary.
StoredHistory ReadStoredHistory(const IniStore& profile);

// The writes that store `history`: "Find Count" as decimal text, then
// "Find1" (the oldest) to "FindN".
std::vector<ProfileWrite> HistorySaveWrites(const SearchHistory& history);

// The writes that clear a history of `count` strings: "Find Count" "0", then
// "Find1" to "FindN" with empty values (the keys stay), and every later key
// up to kHistoryKeysReadMaximum that `profile` still holds a string in (the
// repeats and the overflow of a longer stored list), so that nothing searched
// for is left behind. Keys the profile does not have are not added.
std::vector<ProfileWrite> HistoryClearWrites(const IniStore& profile, std::size_t count);

}  // namespace vorta
