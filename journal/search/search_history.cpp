#include "journal/search/search_history.h"

#include <algorithm>
#include <string>

#include "common/byte_type.h"
#include "journal/search/search_engine.h"

namespace vorta {

namespace {

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

std::string FindKey(std::size_t n) { return "Find" + std::to_string(n); }

// At most kSearchStringMax bytes, without the first half of a split character.
std::string CutToSearchString(std::string text) {
  if (text.size() <= kSearchStringMax) return text;
  const auto types = ClassifyByteTypes(text);
  std::size_t keep = kSearchStringMax;
  if (types[keep - 1] == kLeadByte) --keep;  // its trail byte is beyond the cut
  text.resize(keep);
  return text;
}

}  // namespace

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

void SearchHistory::AddToHistory(std::string_view text, std::size_t maximum) {
  const auto same = std::find_if(strings_.begin(), strings_.end(),
                                 [&](const std::string& s) { return EqualIgnoringAsciiCase(s, text); });
  if (same != strings_.end()) strings_.erase(same);
  if (!strings_.empty() && strings_.size() >= maximum) strings_.erase(strings_.begin());
  strings_.emplace_back(text);
}

StoredHistory ReadStoredHistory(const IniStore& profile) {
  StoredHistory stored;
  stored.storedCount = std::max(profile.GetInt(kFindHistorySection, kFindCountKey, 0), 0);
  const unsigned keys = std::min(static_cast<unsigned>(stored.storedCount), kHistoryKeysReadMaximum);
  for (unsigned i = 1; i <= keys; ++i) {
    std::string text = CutToSearchString(profile.GetString(kFindHistorySection, FindKey(i), ""));
    if (text.empty()) continue;
    stored.history.AddToHistory(text);
    stored.read.push_back(std::move(text));
  }
  return stored;
}

std::vector<ProfileWrite> HistorySaveWrites(const SearchHistory& history) {
  std::vector<ProfileWrite> writes;
  writes.emplace_back(kFindCountKey, std::to_string(history.count()));
  for (std::size_t j = 0; j < history.count(); ++j) writes.emplace_back(FindKey(j + 1), history.strings()[j]);
  return writes;
}

std::vector<ProfileWrite> HistoryClearWrites(const IniStore& profile, std::size_t count) {
  std::vector<ProfileWrite> writes;
  writes.emplace_back(kFindCountKey, "0");
  for (std::size_t j = 1; j <= count; ++j) writes.emplace_back(FindKey(j), "");
  for (std::size_t j = count + 1; j <= kHistoryKeysReadMaximum; ++j) {
    if (!profile.GetString(kFindHistorySection, FindKey(j), "").empty()) writes.emplace_back(FindKey(j), "");
  }
  return writes;
}

}  // namespace vorta
