#include "journal/search/search_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "month_fixture.h"
#include "search_reference.h"

namespace vorta {
namespace {

class Collect : public SearchHitSink {
 public:
  explicit Collect(std::size_t room = static_cast<std::size_t>(-1)) : room_(room) {}
  bool Add(const SearchResult& hit) override {
    if (hits.size() == room_) return false;
    hits.push_back(hit);
    return true;
  }
  std::vector<SearchResult> hits;

 private:
  std::size_t room_;
};

std::vector<SearchResult> Scan(const std::vector<std::uint8_t>& file, std::string_view s, bool caseSensitive,
                               std::string_view name = "200907.DAY") {
  Collect sink;
  ScanMonthFile(name, file, SearchPattern(s, caseSensitive), sink);
  return sink.hits;
}

std::string Excerpt(const SearchResult& r) { return std::string(r.excerpt, strnlen(r.excerpt, sizeof r.excerpt)); }

// What a search shows: "date|excerpt" per hit.
std::vector<std::string> Shown(const std::vector<SearchResult>& hits) {
  std::vector<std::string> out;
  for (const auto& h : hits) out.push_back(std::string(h.date) + "|" + Excerpt(h));
  return out;
}

TEST(UpperSingleBytes, FoldsOnlyLettersThatStandAlone) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"abc xyz", "ABC XYZ"},
      {"Mixed-Case 09", "MIXED-CASE 09"},
      {"\x83\x61" "a", "\x83\x61" "A"},        // the trail byte 0x61 of a double-byte character stays
      {"\x82\x81\x82\x60", "\x82\x81\x82\x60"},  // full-width ａＡ: never folded
      {"\xb1" "a", "\xb1" "A"},                // half-width katakana is a single byte
      {"a\x88", "A\x88"},                      // a lone lead at the end stays
      {std::string("ab\0cd", 5), std::string("AB\0cd", 5)},  // the text ends at its zero byte
      {std::string("\x82\0ab", 4), std::string("\x82\0ab", 4)},  // also right after a lead byte
  };
  for (const auto& c : cases) {
    std::string s = c.in;
    UpperSingleBytes(s);
    EXPECT_EQ(s, c.out) << c.in;
  }
}

TEST(MonthFileDatePrefix, TakesOnlySixDigitMonthNames) {
  char prefix[9];
  ASSERT_TRUE(MonthFileDatePrefix("200907.DAY", prefix));
  EXPECT_STREQ(prefix, "2009/07/");
  EXPECT_TRUE(MonthFileDatePrefix("999912.day", prefix));
  EXPECT_STREQ(prefix, "9999/12/");
  for (const char* name : {"200913.DAY", "200900.DAY", "000001.DAY", "20097.DAY", "2009071.DAY", "20090A.DAY",
                           "200907.DAT", "200907.DAYS", "200907DAY", "ABCDEF.DAY", "200907", ""}) {
    EXPECT_FALSE(MonthFileDatePrefix(name, prefix)) << name;
  }
}

TEST(ScanMonthFile, FindsWhatTheUserMeans) {
  const auto file = MonthFile({
      {1, "I said abc."},
      {2, "Then ABC again."},
      {3, "and aBc, abc"},
      {4, "nothing"},
      {5, ""},
  });
  EXPECT_EQ(Shown(Scan(file, "abc", false)),
            (std::vector<std::string>{"2009/07/01 |abc.", "2009/07/02 |ABC again.", "2009/07/03 |aBc, abc"}))
      << "folded: every case matches, one hit per day at its first occurrence, quoted as written";
  EXPECT_EQ(Shown(Scan(file, "abc", true)), (std::vector<std::string>{"2009/07/01 |abc.", "2009/07/03 |abc"}));
  EXPECT_EQ(Shown(Scan(file, "ABC", true)), (std::vector<std::string>{"2009/07/02 |ABC again."}));
  EXPECT_TRUE(Scan(file, "", false).empty()) << "an empty string finds nothing";
  EXPECT_TRUE(Scan(file, "x", false).empty());
}

TEST(ScanMonthFile, RespectsDoubleByteCharacters) {
  const std::string fullA = "\x82\x60", fullLowerA = "\x82\x81";  // Ａ, ａ
  const std::string katakanaA = "\x83\x41";                         // ア: trail byte 0x41 is 'A'
  const std::string hyou = "\x95\x5c";                               // 表: trail byte 0x5C is '\'
  const auto file = MonthFile({
      {1, fullA},
      {2, katakanaA + " so A"},
      {3, katakanaA},
      {4, hyou + "\\"},
      {5, "\x83\x61" "b"},  // a double-byte character whose trail byte is 'a'
      {6, "a" + katakanaA},
  });
  EXPECT_TRUE(Scan(file, fullLowerA, false).empty()) << "full-width letters are not folded";
  EXPECT_EQ(Shown(Scan(file, "A", true)), (std::vector<std::string>{"2009/07/02 |A"}));
  EXPECT_EQ(Shown(Scan(file, "A", false)), (std::vector<std::string>{"2009/07/02 |A", "2009/07/06 |a" + katakanaA}))
      << "the trail byte 0x41 of ア is no A; a real A later in the text is";
  EXPECT_EQ(Shown(Scan(file, "\\", true)), (std::vector<std::string>{"2009/07/04 |\\"}));
  EXPECT_EQ(Shown(Scan(file, "B", false)), (std::vector<std::string>{"2009/07/05 |b"}));
  EXPECT_EQ(Scan(file, "\x83\x41", false).size(), 3u);
  EXPECT_EQ(Shown(Scan(file, "\x83" "a", false)), (std::vector<std::string>{"2009/07/05 |\x83" "ab"}))
      << "a pattern's trail byte is never folded";
  EXPECT_EQ(Scan(file, "\x83", true).size(), 4u) << "a lead byte at the end of the pattern matches a first half";
}

TEST(ScanMonthFile, QuotesUpTo63BytesFromTheHit) {
  std::string text(200, 'x');
  text.replace(190, 3, "HIT");
  std::string startHit = "HIT" + std::string(197, 'y');
  std::string kanji;
  for (int i = 0; i < 40; ++i) kanji += "\x93\xfa";  // 日 x 40
  const auto file = MonthFile({{1, text}, {2, startHit}, {3, "x" + kanji}, {4, "xx" + kanji}});
  const auto hits = Scan(file, "hit", false);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(Excerpt(hits[0]), "HITxxxxxxx") << "a hit 10 bytes before the end quotes those 10 bytes";
  EXPECT_EQ(Excerpt(hits[1]), startHit.substr(0, 63));
  const auto kanjiHits = Scan(file, "\x93\xfa", true);
  ASSERT_EQ(kanjiHits.size(), 2u);
  EXPECT_EQ(Excerpt(kanjiHits[0]).size(), 62u) << "byte 63 would split 日: the excerpt ends before it";
  EXPECT_EQ(Excerpt(kanjiHits[1]).size(), 62u);
  const auto xHits = Scan(file, "x" "\x93\xfa", true);
  ASSERT_EQ(xHits.size(), 2u);
  EXPECT_EQ(Excerpt(xHits[0]).size(), 63u) << "x then 31 whole characters";
}

TEST(ScanMonthFile, DatesComeFromTheNameAndTheDay) {
  const auto file = MonthFile({{5, "rain"}, {31, "rain"}, {0, "rain"}, {32, "rain"}});
  EXPECT_EQ(Shown(Scan(file, "rain", false)), (std::vector<std::string>{"2009/07/05 |rain", "2009/07/31 |rain"}));
  EXPECT_EQ(Shown(Scan(file, "rain", false, "200906.day")), (std::vector<std::string>{"2009/06/05 |rain"}))
      << "June has no 31st: that record cannot be shown, so it is not listed";
  EXPECT_TRUE(Scan(file, "rain", false, "2009_6.DAY").empty());
  const auto old = MonthFile({{5, "rain"}}, -1, -1, "Q12");
  Collect sink;
  EXPECT_EQ(ScanMonthFile("200907.DAY", old, SearchPattern("rain", false), sink), ScanOutcome::kNotCurrentFormat);
  EXPECT_TRUE(sink.hits.empty());
}

TEST(ScanMonthFile, ReadsDamagedFilesSafely) {
  const std::vector<RawRecord> three = {{1, "one rain"}, {2, "two rain"}, {3, "three rain"}};
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
    std::vector<std::string> shown;
  } cases[] = {
      {"whole", MonthFile(three), {"2009/07/01 |rain", "2009/07/02 |rain", "2009/07/03 |rain"}},
      {"count beyond the records", MonthFile(three, 200), {"2009/07/01 |rain", "2009/07/02 |rain", "2009/07/03 |rain"}},
      {"count short of the records", MonthFile(three, 2), {"2009/07/01 |rain", "2009/07/02 |rain"}},
      {"length promising more than the file", MonthFile(three, -1, 100000),
       {"2009/07/01 |rain", "2009/07/02 |rain", "2009/07/03 |rain"}},
      {"length cutting the last record", MonthFile(three, -1, 30), {"2009/07/01 |rain", "2009/07/02 |rain"}},
      {"record running past the payload", MonthFile({{1, "one rain"}, {2, "two rain", 4000}}), {"2009/07/01 |rain"}},
      {"record of length 0 ends the walk", MonthFile({{1, "rain", 0}, {2, "rain"}}), {}},
      {"zero byte inside the text ends it", MonthFile({{1, std::string("ab\0rain", 7)}, {2, std::string("rain\0x", 6)}}),
       {"2009/07/02 |rain"}},
      {"text without its zero byte", MonthFile({{1, "rain", 4}}), {"2009/07/01 |rain"}},
      {"header only", {'Q', '2', '0', 3}, {}},
      {"magic only", {'Q', '2', '0'}, {}},
      {"empty file", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Shown(Scan(c.file, "rain", false)), c.shown);
    EXPECT_EQ(Shown(ReferenceScan("200907.DAY", c.file, "rain", false)), c.shown);
  }
}

TEST(ScanMonthFile, StopsWhenTheSinkIsFull) {
  const auto file = MonthFile({{1, "rain"}, {2, "rain"}, {3, "rain"}});
  Collect sink(2);
  EXPECT_EQ(ScanMonthFile("200907.DAY", file, SearchPattern("rain", false), sink), ScanOutcome::kStopped);
  EXPECT_EQ(sink.hits.size(), 2u);
}

// Random CP932-like text: plenty of ASCII letters in both cases, double-byte
// characters whose trail bytes look like 'A', '\', '|' or lead bytes,
// half-width katakana, line breaks, and now and then a lone lead byte or a
// zero byte.
std::string RandomText(std::mt19937& rng, std::size_t size) {
  static const unsigned char trails[] = {0x41, 0x5C, 0x7C, 0x61, 0x9F, 0xE0, 0x40, 0xFC, 0x81, 0x82};
  static const unsigned char leads[] = {0x81, 0x82, 0x83, 0x88, 0x9F, 0xE0, 0xFC};
  std::uniform_int_distribution<int> kind(0, 99);
  std::string s;
  while (s.size() < size) {
    const int k = kind(rng);
    if (k < 35) s += static_cast<char>("aAbBcC"[rng() % 6]);
    else if (k < 70) {
      s += static_cast<char>(leads[rng() % sizeof leads]);
      s += static_cast<char>(trails[rng() % sizeof trails]);
    } else if (k < 80) s += static_cast<char>(0xA1 + rng() % 63);
    else if (k < 88) s += "\r\n";
    else if (k < 97) s += static_cast<char>("\\|@[`{ "[rng() % 7]);
    else if (k < 99) s += static_cast<char>(leads[rng() % sizeof leads]);
    else s += '\0';
  }
  s.resize(size);
  return s;
}

// Every filter the processor may use (AVX2, SSE2, plain bytes) gives the
// results of the slow scan.
class ScanAgreement : public ::testing::TestWithParam<SearchFilterLevel> {
 protected:
  void SetUp() override { SetSearchFilterLevelForTesting(GetParam()); }
  void TearDown() override { SetSearchFilterLevelForTesting(SearchFilterLevel::kBest); }
};

TEST_P(ScanAgreement, SameAsTheSlowScanOnRandomText) {
  std::mt19937 rng(4242);
  std::size_t hits = 0;
  for (int round = 0; round < 1500; ++round) {
    std::vector<RawRecord> records;
    const int count = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < count; ++i) {
      std::size_t size = rng() % 4 == 0 ? rng() % 600 : rng() % 80;
      records.push_back({1 + static_cast<int>(rng() % 31), RandomText(rng, size)});
    }
    const auto file = MonthFile(records);
    // Patterns: pieces of the texts (starting anywhere, half characters
    // included, now and then long ones), letter cases changed, or fresh
    // random bytes.
    std::string pattern;
    const auto& source = records[rng() % records.size()].text;
    if (!source.empty() && rng() % 4 != 0) {
      const std::size_t at = rng() % source.size();
      pattern = source.substr(at, 1 + rng() % (rng() % 8 == 0 ? 50 : 6));
      for (auto& ch : pattern)
        if (rng() % 3 == 0 && ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'))) ch ^= 0x20;
    } else {
      pattern = RandomText(rng, 1 + rng() % 4);
    }
    for (bool caseSensitive : {false, true}) {
      const auto fast = Scan(file, pattern, caseSensitive);
      const auto slow = ReferenceScan("200907.DAY", file, pattern, caseSensitive);
      ASSERT_EQ(Shown(fast), Shown(slow)) << "round " << round << " case " << caseSensitive;
      ASSERT_EQ(fast.size(), slow.size());
      for (std::size_t i = 0; i < fast.size(); ++i)
        ASSERT_EQ(0, std::memcmp(&fast[i], &slow[i], sizeof(SearchResult))) << "whole record " << i;
      hits += fast.size();
    }
  }
  EXPECT_GT(hits, 1000u) << "the random cases should find things";
}

INSTANTIATE_TEST_SUITE_P(Filters, ScanAgreement,
                         ::testing::Values(SearchFilterLevel::kBest, SearchFilterLevel::kSse2,
                                           SearchFilterLevel::kScalar),
                         [](const auto& info) {
                           switch (info.param) {
                             case SearchFilterLevel::kBest: return "Best";
                             case SearchFilterLevel::kSse2: return "Sse2";
                             default: return "Scalar";
                           }
                         });

}  // namespace
}  // namespace vorta
