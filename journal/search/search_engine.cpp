#include "journal/search/search_engine.h"

#include <algorithm>
#include <cstring>

#include "common/byte_type.h"
#include "journal/data/calendar.h"
#include "journal/data/month_codec.h"
#include "journal/data/month_buffer.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VORTA_SEARCH_X86 1
#endif

namespace vorta {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr std::uint8_t kMaskedZero = kPayloadMask;  // a zero byte as stored

bool IsAsciiLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool IsAsciiLetter(unsigned char c) { return IsAsciiLower(c) || (c >= 'A' && c <= 'Z'); }
unsigned char ToAsciiUpper(unsigned char c) { return IsAsciiLower(c) ? c - ('a' - 'A') : c; }
bool IsLeadMasked(std::uint8_t stored) { return IsLeadByte(stored ^ kPayloadMask); }

// What the candidate filter compares: at two offsets of a candidate position,
// (byte & mask) == value.
struct Filter {
  std::size_t first, second;
  std::uint8_t firstValue, secondValue;
  std::uint8_t firstMask, secondMask;
};

// The first position i < count whose bytes at base[i + first] and
// base[i + second] pass the filter, or kNone.
std::size_t FindCandidateScalar(const std::uint8_t* base, std::size_t count, const Filter& f) {
  for (std::size_t i = 0; i < count; ++i) {
    if ((base[i + f.first] & f.firstMask) == f.firstValue &&
        (base[i + f.second] & f.secondMask) == f.secondValue)
      return i;
  }
  return kNone;
}

#ifdef VORTA_SEARCH_X86
std::size_t FindCandidateSse2(const std::uint8_t* base, std::size_t count, const Filter& f) {
  const __m128i v1 = _mm_set1_epi8(static_cast<char>(f.firstValue));
  const __m128i v2 = _mm_set1_epi8(static_cast<char>(f.secondValue));
  const __m128i k1 = _mm_set1_epi8(static_cast<char>(f.firstMask));
  const __m128i k2 = _mm_set1_epi8(static_cast<char>(f.secondMask));
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + f.first));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + f.second));
    const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_and_si128(a, k1), v1),
                                      _mm_cmpeq_epi8(_mm_and_si128(b, k2), v2));
    const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (bits) return i + static_cast<std::size_t>(__builtin_ctz(bits));
  }
  const std::size_t rest = FindCandidateScalar(base + i, count - i, f);
  return rest == kNone ? kNone : i + rest;
}

__attribute__((target("avx2"))) std::size_t FindCandidateAvx2(const std::uint8_t* base,
                                                              std::size_t count, const Filter& f) {
  const __m256i v1 = _mm256_set1_epi8(static_cast<char>(f.firstValue));
  const __m256i v2 = _mm256_set1_epi8(static_cast<char>(f.secondValue));
  const __m256i k1 = _mm256_set1_epi8(static_cast<char>(f.firstMask));
  const __m256i k2 = _mm256_set1_epi8(static_cast<char>(f.secondMask));
  std::size_t i = 0;
  // Two blocks a round: the branch is taken once per 64 positions.
  for (; i + 64 <= count; i += 64) {
    const std::uint8_t* p1 = base + i + f.first;
    const std::uint8_t* p2 = base + i + f.second;
    const __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p1));
    const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p2));
    const __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p1 + 32));
    const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p2 + 32));
    const __m256i h0 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_and_si256(a0, k1), v1),
                                        _mm256_cmpeq_epi8(_mm256_and_si256(b0, k2), v2));
    const __m256i h1 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_and_si256(a1, k1), v1),
                                        _mm256_cmpeq_epi8(_mm256_and_si256(b1, k2), v2));
    if (!_mm256_testz_si256(_mm256_or_si256(h0, h1), _mm256_or_si256(h0, h1))) {
      const std::uint64_t bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(h0)) |
                                 static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(h1))) << 32;
      return i + static_cast<std::size_t>(__builtin_ctzll(bits));
    }
  }
  for (; i + 32 <= count; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + i + f.first));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(base + i + f.second));
    const __m256i hit = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_and_si256(a, k1), v1),
                                         _mm256_cmpeq_epi8(_mm256_and_si256(b, k2), v2));
    const unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(hit));
    if (bits) return i + static_cast<std::size_t>(__builtin_ctz(bits));
  }
  const std::size_t rest = FindCandidateSse2(base + i, count - i, f);
  return rest == kNone ? kNone : i + rest;
}
#endif

using FindCandidateFn = std::size_t (*)(const std::uint8_t*, std::size_t, const Filter&);

FindCandidateFn BestFindCandidate() {
#ifdef VORTA_SEARCH_X86
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return FindCandidateAvx2;
  return FindCandidateSse2;
#else
  return FindCandidateScalar;
#endif
}

// The filter in use: the best one, chosen on first use (so that a scan from
// another file's static initialiser finds it set), unless a test chose.
FindCandidateFn& FindCandidate() {
  static FindCandidateFn chosen = BestFindCandidate();
  return chosen;
}

// A rough weight of how often a byte turns up in diary text: the leads of
// kana and punctuation and the line breaks are everywhere.
int Commonness(unsigned char c, bool folds) {
  int weight = 1;
  if (c == 0x82) weight = 30;
  else if (c == 0x81 || c == 0x83) weight = 10;
  else if (c == '\r' || c == '\n' || c == ' ') weight = 4;
  return folds ? weight * 2 : weight;
}

std::uint16_t ReadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

void SetSearchFilterLevelForTesting(SearchFilterLevel level) {
  switch (level) {
    case SearchFilterLevel::kBest: FindCandidate() = BestFindCandidate(); break;
#ifdef VORTA_SEARCH_X86
    case SearchFilterLevel::kSse2: FindCandidate() = FindCandidateSse2; break;
#else
    case SearchFilterLevel::kSse2: FindCandidate() = FindCandidateScalar; break;
#endif
    case SearchFilterLevel::kScalar: FindCandidate() = FindCandidateScalar; break;
  }
}

void UpperSingleBytes(std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0) return;  // the text ends at its zero byte
    if (IsLeadByte(c)) {
      if (i + 1 < text.size() && text[i + 1] == '\0') return;  // a lead byte just before the end
      ++i;  // the trail byte, whatever it looks like
      continue;
    }
    text[i] = static_cast<char>(ToAsciiUpper(c));
  }
}

SearchPattern::SearchPattern(std::string_view text, bool caseSensitive)
    : caseSensitive_(caseSensitive) {
  text = text.substr(0, std::min(text.find('\0'), kSearchStringMax));
  length_ = text.size();
  if (length_ == 0) return;

  const std::vector<std::uint8_t> types = ClassifyByteTypes(text);
  int bestWeight[2] = {1 << 30, 1 << 30};
  for (std::size_t k = 0; k < length_; ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    const bool folds = !caseSensitive && types[k] == kSingleByte && IsAsciiLetter(c);
    if (folds) {
      // Either case passes the filter and the comparison: the bit that tells
      // the cases apart is cleared on both sides (0x6B has it set, so the
      // masked upper-case letter has it clear). Only the two cases of the
      // same letter differ in that bit alone, so the comparison is exact.
      compareMask_[k] = 0xDF;
      masked_[k] = static_cast<std::uint8_t>((ToAsciiUpper(c) | 0x20) ^ kPayloadMask) & 0xDF;
    } else {
      compareMask_[k] = 0xFF;
      masked_[k] = static_cast<std::uint8_t>(c ^ kPayloadMask);
    }
    // The filter looks at the two rarest bytes: the rarest, preferring later
    // ones, and the rarest of the rest, preferring earlier ones.
    const int weight = Commonness(c, folds);
    if (weight <= bestWeight[0]) {
      bestWeight[0] = weight;
      filterFirst_ = k;
    }
  }
  filterSecond_ = filterFirst_;
  for (std::size_t k = 0; k < length_; ++k) {
    if (k == filterFirst_) continue;
    const auto c = static_cast<unsigned char>(text[k]);
    const int weight = Commonness(c, compareMask_[k] != 0xFF);
    if (weight < bestWeight[1]) {
      bestWeight[1] = weight;
      filterSecond_ = k;
    }
  }
  if (filterSecond_ < filterFirst_) std::swap(filterFirst_, filterSecond_);
}

// Finds accepted occurrences in the masked text of one record.
class MonthScanner {
 public:
  explicit MonthScanner(const SearchPattern& pattern) : p_(pattern) {
    filter_ = {p_.filterFirst_, p_.filterSecond_,
               p_.masked_[p_.filterFirst_], p_.masked_[p_.filterSecond_],
               p_.compareMask_[p_.filterFirst_], p_.compareMask_[p_.filterSecond_]};
  }

  // The offset of the first accepted occurrence in t[0, n), or kNone. The
  // text ends at its first zero byte or at n.
  std::size_t Find(const std::uint8_t* t, std::size_t n) const {
    const std::size_t m = p_.length_;
    std::size_t zeroFreeTo = 0;  // t[0, zeroFreeTo) holds no zero byte
    std::size_t knownStart = 0;  // a character starts here, at or before the next candidate
    std::size_t from = 0;
    while (from + m <= n) {
      const std::size_t found = FindCandidate()(t + from, n - m + 1 - from, filter_);
      if (found == kNone) return kNone;
      const std::size_t c = from + found;
      // A zero byte before the candidate ends the text. The occurrence itself
      // holds none: no pattern byte is zero, and a letter folds only to a letter.
      if (c > zeroFreeTo) {
        if (std::memchr(t + zeroFreeTo, kMaskedZero, c - zeroFreeTo)) return kNone;
        zeroFreeTo = c;
      }
      if (Matches(t + c) && StartsCharacter(t, c, &knownStart)) return c;
      from = c + 1;
    }
    return kNone;
  }

 private:
  bool Matches(const std::uint8_t* at) const {
    const std::size_t m = p_.length_;
    for (std::size_t k = 0; k < m; ++k) {
      if ((at[k] & p_.compareMask_[k]) != p_.masked_[k]) return false;
    }
    return true;
  }

  // Whether position c of the text starts a character. The bytes just before
  // it decide: back to the nearest byte that cannot be a lead byte (after
  // which a character starts) or to a known start, every byte is in the lead
  // range, so they pair up and the parity of their number tells. Both this and
  // the pattern's bytes then have the same classes all along the occurrence,
  // because equal (or case-folded) bytes are leads alike.
  static bool StartsCharacter(const std::uint8_t* t, std::size_t c, std::size_t* knownStart) {
    std::size_t q = c;
    while (q > *knownStart && IsLeadMasked(t[q - 1])) --q;
    const bool start = (c - q) % 2 == 0;
    *knownStart = start ? c : c + 1;
    return start;
  }

  const SearchPattern& p_;
  Filter filter_{};
};

bool MonthFileDatePrefix(std::string_view fileName, char (&prefix)[9]) {
  if (fileName.size() != 10) return false;
  for (std::size_t i = 0; i < 6; ++i) {
    if (fileName[i] < '0' || fileName[i] > '9') return false;
  }
  if (fileName[6] != '.') return false;
  const char day[] = "DAY";
  for (std::size_t i = 0; i < 3; ++i) {
    if (ToAsciiUpper(static_cast<unsigned char>(fileName[7 + i])) != day[i]) return false;
  }
  const int year = (fileName[0] - '0') * 1000 + (fileName[1] - '0') * 100 + (fileName[2] - '0') * 10 +
                   (fileName[3] - '0');
  const int month = (fileName[4] - '0') * 10 + (fileName[5] - '0');
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) return false;
  std::memcpy(prefix, fileName.data(), 4);
  prefix[4] = '/';
  prefix[5] = fileName[4];
  prefix[6] = fileName[5];
  prefix[7] = '/';
  prefix[8] = '\0';
  return true;
}

ScanOutcome ScanMonthFile(std::string_view fileName, std::span<const std::uint8_t> bytes,
                          const SearchPattern& pattern, SearchHitSink& sink) {
  char prefix[9];
  if (!MonthFileDatePrefix(fileName, prefix)) return ScanOutcome::kNotAMonthName;
  if (bytes.size() < 3 || bytes[0] != 'Q' || bytes[1] != '2' || bytes[2] != '0')
    return ScanOutcome::kNotCurrentFormat;
  if (pattern.empty() || bytes.size() < kMonthHeaderSize) return ScanOutcome::kScanned;

  const unsigned count = bytes[3];
  const std::uint32_t promised = static_cast<std::uint32_t>(bytes[4]) | static_cast<std::uint32_t>(bytes[5]) << 8 |
                                 static_cast<std::uint32_t>(bytes[6]) << 16 |
                                 static_cast<std::uint32_t>(bytes[7]) << 24;
  const auto payload = bytes.subspan(kMonthHeaderSize);
  const std::size_t size = std::min<std::size_t>(promised, payload.size());
  const std::uint8_t* data = payload.data();
  const int year = (prefix[0] - '0') * 1000 + (prefix[1] - '0') * 100 + (prefix[2] - '0') * 10 + (prefix[3] - '0');
  const int days = DaysInMonth(static_cast<std::uint16_t>(year),
                               static_cast<std::uint16_t>((prefix[5] - '0') * 10 + (prefix[6] - '0')));

  const MonthScanner scanner(pattern);
  std::size_t offset = 0;
  for (unsigned i = 0; i < count; ++i) {
    if (size - offset < kRecordHeaderSize) break;
    const std::uint8_t* record = data + offset;
    const int length = static_cast<std::int16_t>(ReadU16(record + 3) ^ (kPayloadMask | kPayloadMask << 8));
    if (length < 1 || static_cast<std::size_t>(length) > size - offset - kRecordHeaderSize) break;
    offset += kRecordHeaderSize + static_cast<std::size_t>(length);

    const int day = record[0] ^ kPayloadMask;
    if (day < 1 || day > days) continue;
    const std::uint8_t* text = record + kRecordHeaderSize;
    const std::size_t n = static_cast<std::size_t>(length);
    const std::size_t at = scanner.Find(text, n);
    if (at == kNone) continue;

    SearchResult hit{};
    std::memcpy(hit.date, prefix, 8);
    hit.date[8] = static_cast<char>('0' + day / 10);
    hit.date[9] = static_cast<char>('0' + day % 10);
    hit.date[10] = ' ';
    // The excerpt: to the end of the text but at most kExcerptMax bytes, and
    // never the first half of a character that the cut would split. The hit
    // starts a character, so the run of lead-range bytes that ends at the last
    // byte kept tells by its parity whether that byte is a lead byte.
    const std::size_t room = std::min(kExcerptMax, n - at);
    const void* zero = std::memchr(text + at, kMaskedZero, room);
    std::size_t quoted = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - (text + at)) : room;
    if (quoted == kExcerptMax && at + quoted < n && text[at + quoted] != kMaskedZero) {
      std::size_t q = at + quoted;
      while (q > at && IsLeadMasked(text[q - 1])) --q;
      if ((at + quoted - q) % 2 == 1) --quoted;  // the last byte kept opens a character
    }
    std::uint8_t excerpt[sizeof hit.excerpt] = {};
    std::memcpy(excerpt, text + at, quoted);
    for (std::size_t k = 0; k < sizeof excerpt; ++k) excerpt[k] = k < quoted ? excerpt[k] ^ kPayloadMask : 0;
    std::memcpy(hit.excerpt, excerpt, sizeof excerpt);
    if (!sink.Add(hit)) return ScanOutcome::kStopped;
  }
  return ScanOutcome::kScanned;
}

}  // namespace vorta
