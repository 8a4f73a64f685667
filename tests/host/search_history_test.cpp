#include "journal/search/search_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorta {
namespace {

using Strings = std::vector<std::string>;

SearchHistory HistoryOf(const Strings& strings) {
  SearchHistory h;
  for (const auto& s : strings) h.AddToHistory(s);
  return h;
}

IniStore ProfileWith(const std::string& findHistory) {
  return IniStore::Parse("[Find History]\r\n" + findHistory);
}

TEST(SearchHistory, KeepsTheNewestTenEachOnce) {
  struct Case {
    const char* name;
    Strings added;
    Strings expected;  // oldest first
  } cases[] = {
      {"a string already there moves to the newest place in its new case", {"ABC", "def", "ghi", "abc"}, {"def", "ghi", "abc"}},
      {"the newest searched again", {"one", "two", "two"}, {"one", "two"}},
      {"an eleventh string drops the oldest",
       {"s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9", "s10", "s11"},
       {"s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9", "s10", "s11"}},
      {"a known string among ten drops nothing",
       {"s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9", "s10", "S1"},
       {"s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9", "s10", "S1"}},
      {"only ASCII letters fold", {"\x82\x60", "\x82\x81"}, {"\x82\x60", "\x82\x81"}},
      {"folding goes byte by byte, trail bytes too: ア and ヂ count as one", {"\x83\x41", "\x83\x61"}, {"\x83\x61"}},
      {"@ and ` differ", {"@", "`"}, {"@", "`"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HistoryOf(c.added).strings(), c.expected);
  }
}

TEST(SearchHistory, SaveWritesTheCountAndOneKeyPerStringOldestFirst) {
  const auto writes = HistorySaveWrites(HistoryOf({"ABC", "def", "ghi", "abc"}));
  EXPECT_EQ(writes, (std::vector<ProfileWrite>{{"Find Count", "3"}, {"Find1", "def"}, {"Find2", "ghi"}, {"Find3", "abc"}}));
}

TEST(SearchHistory, ClearWritesZeroAndEmptiesTheKeys) {
  struct Case {
    const char* name;
    std::string section;
    std::size_t count;
    std::vector<ProfileWrite> writes;
  } cases[] = {
      {"a history of two", "Find Count=2\r\nFind1=a\r\nFind2=b\r\n", 2,
       {{"Find Count", "0"}, {"Find1", ""}, {"Find2", ""}}},
      {"nothing", "", 0, {{"Find Count", "0"}}},
      {"case variants stored apart are all emptied",
       "Find Count=3\r\nFind1=Rain\r\nFind2=rain\r\nFind3=RAIN\r\n", 1,
       {{"Find Count", "0"}, {"Find1", ""}, {"Find2", ""}, {"Find3", ""}}},
      {"keys past the count that still hold strings are emptied; empty and absent ones left",
       "Find Count=1\r\nFind1=a\r\nFind2=\r\nFind12=old\r\n", 1,
       {{"Find Count", "0"}, {"Find1", ""}, {"Find12", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(HistoryClearWrites(ProfileWith(c.section), c.count), c.writes);
  }
}

TEST(SearchHistory, ReadsWhatTheProfileHolds) {
  const std::string fifty(50, 'x');
  std::string kanji26;
  for (int i = 0; i < 26; ++i) kanji26 += "\x93\xfa";  // 52 bytes of 日
  struct Case {
    const char* name;
    std::string section;
    int storedCount;
    Strings read;
    Strings history;
  } cases[] = {
      {"nothing stored", "", 0, {}, {}},
      {"three strings", "Find Count=3\r\nFind1=a\r\nFind2=b\r\nFind3=c\r\n", 3, {"a", "b", "c"}, {"a", "b", "c"}},
      {"two case variants are both read; the history keeps the later",
       "Find Count=2\r\nFind1=Rain\r\nFind2=rain\r\n", 2, {"Rain", "rain"}, {"rain"}},
      {"more than ten: all read, the newest ten kept",
       "Find Count=12\r\nFind1=s1\r\nFind2=s2\r\nFind3=s3\r\nFind4=s4\r\nFind5=s5\r\nFind6=s6\r\nFind7=s7\r\n"
       "Find8=s8\r\nFind9=s9\r\nFind10=s10\r\nFind11=s11\r\nFind12=s12\r\n",
       12,
       {"s1", "s2", "s3", "s4", "s5", "s6", "s7", "s8", "s9", "s10", "s11", "s12"},
       {"s3", "s4", "s5", "s6", "s7", "s8", "s9", "s10", "s11", "s12"}},
      {"a count beyond the keys: the missing and empty ones are left out",
       "Find Count=5\r\nFind1=a\r\nFind2=\r\nFind4=d\r\n", 5, {"a", "d"}, {"a", "d"}},
      {"a negative count reads nothing", "Find Count=-3\r\nFind1=a\r\n", 0, {}, {}},
      {"a 50-byte string comes back whole", "Find Count=1\r\nFind1=" + fifty + "\r\n", 1, {fifty}, {fifty}},
      {"a longer one is cut to 50 bytes", "Find Count=1\r\nFind1=" + fifty + "yz\r\n", 1, {fifty}, {fifty}},
      {"the cut never splits a character", "Find Count=1\r\nFind1=" + kanji26 + "\r\n", 1,
       {kanji26.substr(0, 50)}, {kanji26.substr(0, 50)}},
      {"a character that byte 50 would split is left out", "Find Count=1\r\nFind1=x" + kanji26 + "\r\n", 1,
       {"x" + kanji26.substr(0, 48)}, {"x" + kanji26.substr(0, 48)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const StoredHistory stored = ReadStoredHistory(ProfileWith(c.section));
    EXPECT_EQ(stored.storedCount, c.storedCount);
    EXPECT_EQ(stored.read, c.read);
    EXPECT_EQ(stored.history.strings(), c.history);
  }
}

TEST(SearchHistory, AHugeCountIsBounded) {
  const StoredHistory stored =
      ReadStoredHistory(ProfileWith("Find Count=2147483647\r\nFind1=a\r\nFind9999=b\r\nFind10001=c\r\n"));
  EXPECT_EQ(stored.read, (Strings{"a", "b"}));
}

}  // namespace
}  // namespace vorta
