// vorta-search: searches a folder of month files from a shell, with the same
// engine and the same results as the journal's search window.
//
//   vorta-search [--case] [--utf8] [--hex] DATA_FOLDER STRING
//
// Prints one line per hit: the date text ("YYYY/MM/DD "), a tab and the
// excerpt, then "N hits". The excerpt is written as its CP932 bytes with CR,
// LF, tab and backslash as \r, \n, \t and \\ (every 0x5C byte, the second byte
// of a double-byte character too), so that a hit is one line; with --utf8 it
// is converted for reading in a terminal, bytes with no UTF-8 form and other
// control bytes shown as \xNN. STRING is UTF-8 text, or with --hex the exact
// bytes ("8341"). Names ending in ".DAY" in any case are read, in byte order;
// folders with such names are passed over.
//
// Exit status: 0 when the folder was searched (whether or not anything was
// found), 1 when some month file could not be read (the others are searched),
// 2 when nothing could be searched: wrong usage, a search string that cannot
// be searched for, a folder that cannot be opened, no CP932 conversion on this
// system, or the results that could not be written.
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/byte_type.h"
#include "journal/search/search_engine.h"

namespace {

using vorta::SearchResult;

constexpr char kUsage[] = "usage: vorta-search [--case] [--utf8] [--hex] DATA_FOLDER STRING\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vorta-search: %s\n", message.c_str());
  return 2;
}

enum class Conversion { kDone, kNoForm, kUnavailable };

// Converts `in` between encodings with iconv: kNoForm when some character has
// no form in the target encoding or the input is not valid, kUnavailable when
// this system cannot convert between the two at all.
Conversion Convert(const char* to, const char* from, std::string_view in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return Conversion::kUnavailable;
  out->assign(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = out->data();
  std::size_t dstLeft = out->size();
  const std::size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  const bool ok = done != static_cast<std::size_t>(-1) && iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  out->resize(out->size() - dstLeft);
  return ok ? Conversion::kDone : Conversion::kNoForm;
}

bool ParseHex(std::string_view hex, std::string* bytes) {
  if (hex.empty() || hex.size() % 2 != 0) return false;
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  bytes->clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes->push_back(static_cast<char>(hi * 16 + lo));
  }
  return true;
}

bool EndsWithDay(const char* name) {
  const std::size_t n = std::strlen(name);
  return n >= 4 && name[n - 4] == '.' && (name[n - 3] | 0x20) == 'd' && (name[n - 2] | 0x20) == 'a' &&
         (name[n - 1] | 0x20) == 'y';
}

enum class ReadResult { kRead, kNotAFile, kFailed };

// Reads a file into `buffer` with as few calls as it takes: all of it, or as
// much as a month file's record walk can reach.
ReadResult ReadMonthFile(const std::string& path, std::vector<std::uint8_t>* buffer) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ReadResult::kFailed;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool folder = S_ISDIR(st.st_mode);
    close(fd);
    return folder ? ReadResult::kNotAFile : ReadResult::kFailed;
  }
  buffer->resize(std::min(static_cast<std::size_t>(st.st_size), vorta::kMonthFileReadLimit));
  std::size_t got = 0;
  while (got < buffer->size()) {
    const ssize_t n = read(fd, buffer->data() + got, buffer->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return ReadResult::kFailed;
    }
    if (n == 0) break;  // a file that shrank meanwhile is searched as it was read
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  buffer->resize(got);
  return ReadResult::kRead;
}

class Collect : public vorta::SearchHitSink {
 public:
  explicit Collect(std::vector<SearchResult>* hits) : hits_(hits) {}
  bool Add(const SearchResult& hit) override {
    hits_->push_back(hit);
    return true;
  }

 private:
  std::vector<SearchResult>* hits_;
};

// Writes c at p, as \r, \n, \t or \\ where it is one of those; returns the end.
char* PutEscaped(char* p, unsigned char c) {
  switch (c) {
    case '\r': *p++ = '\\'; *p++ = 'r'; break;
    case '\n': *p++ = '\\'; *p++ = 'n'; break;
    case '\t': *p++ = '\\'; *p++ = 't'; break;
    case '\\': *p++ = '\\'; *p++ = '\\'; break;
    default: *p++ = static_cast<char>(c);
  }
  return p;
}

// Writes the excerpt escaped at p; returns the end. The excerpt field is 64
// bytes long whatever the excerpt's length, so it is read in whole blocks: the
// bytes that need an escape are found 16 at a time and the rest copied as is.
char* PutEscapedExcerpt(char* p, const char (&field)[64], std::size_t length) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), tab = _mm_set1_epi8('\t'),
                backslash = _mm_set1_epi8('\\');
  for (std::size_t block = 0; block < length; block += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(field + block));
    const __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                                         _mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, backslash)));
    const std::size_t n = std::min<std::size_t>(16, length - block);
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(special)) & ((1u << n) - 1);
    if (bits == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
      p += n;
      continue;
    }
    std::size_t k = 0;
    while (bits) {
      const std::size_t at = static_cast<std::size_t>(__builtin_ctz(bits));
      std::memcpy(p, field + block + k, at - k);
      p = PutEscaped(p + (at - k), static_cast<unsigned char>(field[block + at]));
      k = at + 1;
      bits &= bits - 1;
    }
    std::memcpy(p, field + block + k, n - k);
    p += n - k;
  }
  return p;
#else
  for (std::size_t i = 0; i < length; ++i) p = PutEscaped(p, static_cast<unsigned char>(field[i]));
  return p;
#endif
}

void AppendEscaped(std::string& out, unsigned char c) {
  char two[2];
  out.append(two, static_cast<std::size_t>(PutEscaped(two, c) - two));
}

void AppendHexByte(std::string& out, unsigned char c) {
  static const char digits[] = "0123456789ABCDEF";
  out += "\\x";
  out += digits[c >> 4];
  out += digits[c & 15];
}

// The excerpt for a terminal: character by character, so that a byte with no
// UTF-8 form spoils nothing around it.
void AppendUtf8(std::string& out, std::string_view excerpt, iconv_t cd) {
  for (std::size_t i = 0; i < excerpt.size();) {
    const auto c = static_cast<unsigned char>(excerpt[i]);
    const std::size_t n = vorta::IsLeadByte(c) && i + 1 < excerpt.size() ? 2 : 1;
    if (n == 1 && (c == '\r' || c == '\n' || c == '\t' || c == '\\')) {
      AppendEscaped(out, c);
    } else if (n == 1 && (c < 0x20 || c == 0x7F)) {
      AppendHexByte(out, c);  // nothing that would steer the terminal
    } else if (n == 1 && c < 0x80) {
      out += static_cast<char>(c);
    } else {
      char in[2] = {excerpt[i], n == 2 ? excerpt[i + 1] : '\0'};
      char converted[8];
      char* src = in;
      std::size_t srcLeft = n;
      char* dst = converted;
      std::size_t dstLeft = sizeof converted;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) && srcLeft == 0) {
        out.append(converted, sizeof converted - dstLeft);
      } else {
        for (std::size_t k = 0; k < n; ++k) AppendHexByte(out, static_cast<unsigned char>(excerpt[i + k]));
      }
    }
    i += n;
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool caseSensitive = false, utf8 = false, hex = false;
  std::vector<std::string> operands;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--case") caseSensitive = true;
    else if (arg == "--utf8") utf8 = true;
    else if (arg == "--hex") hex = true;
    else if (arg == "--") {
      for (++i; i < argc; ++i) operands.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-' && operands.empty()) {
      std::fputs(kUsage, stderr);
      return Fail("unknown option " + std::string(arg));
    } else {
      operands.emplace_back(arg);
    }
  }
  if (operands.size() != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string& folder = operands[0];

  std::string pattern;
  if (hex) {
    if (!ParseHex(operands[1], &pattern)) return Fail("--hex wants pairs of hex digits, e.g. 8341");
  } else {
    switch (Convert("CP932", "UTF-8", operands[1], &pattern)) {
      case Conversion::kDone: break;
      case Conversion::kNoForm: return Fail("the search string is not UTF-8 text that CP932 can write");
      case Conversion::kUnavailable: return Fail("iconv cannot convert UTF-8 to CP932 on this system");
    }
  }
  if (pattern.empty()) return Fail("the search string is empty");
  if (pattern.find('\0') != std::string::npos) return Fail("the search string holds a zero byte");
  if (pattern.size() > vorta::kSearchStringMax)
    return Fail("the search string is " + std::to_string(pattern.size()) + " bytes in CP932; at most " +
                std::to_string(vorta::kSearchStringMax) + " are searched");

  DIR* dir = opendir(folder.c_str());
  if (!dir) return Fail("cannot open the folder " + folder + ": " + std::strerror(errno));
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    if (EndsWithDay(entry->d_name)) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());  // byte order

  const vorta::SearchPattern searchPattern(pattern, caseSensitive);
  // Each file's lines are made by the thread that searched it; they are
  // written in name order at the end.
  struct FileLines {
    std::string text;
    std::size_t hits = 0;
    bool unreadable = false;
  };
  std::vector<FileLines> lines(names.size());
  std::atomic<std::size_t> next{0};
  std::atomic<bool> iconvFailed{false};
  auto work = [&] {
    iconv_t toUtf8 = utf8 ? iconv_open("UTF-8", "CP932") : nullptr;
    if (toUtf8 == reinterpret_cast<iconv_t>(-1)) {
      iconvFailed = true;
      return;
    }
    std::vector<std::uint8_t> buffer;
    std::vector<SearchResult> hits;
    for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < names.size();) {
      const ReadResult read = ReadMonthFile(folder + "/" + names[i], &buffer);
      if (read != ReadResult::kRead) {
        lines[i].unreadable = read == ReadResult::kFailed;
        continue;
      }
      hits.clear();
      Collect sink(&hits);
      vorta::ScanMonthFile(names[i], buffer, searchPattern, sink);
      std::string& out = lines[i].text;
      lines[i].hits = hits.size();
      for (const SearchResult& hit : hits) {
        const std::string_view excerpt(hit.excerpt, strnlen(hit.excerpt, sizeof hit.excerpt));
        if (utf8) {
          out.append(hit.date, 11);
          out += '\t';
          AppendUtf8(out, excerpt, toUtf8);
          out += '\n';
        } else {
          // Room for every byte escaped, and for a whole block stored past the end.
          char line[11 + 1 + 2 * sizeof hit.excerpt + 16 + 1];
          std::memcpy(line, hit.date, 11);
          line[11] = '\t';
          char* p = PutEscapedExcerpt(line + 12, hit.excerpt, excerpt.size());
          *p++ = '\n';
          out.append(line, static_cast<std::size_t>(p - line));
        }
      }
    }
    if (toUtf8) iconv_close(toUtf8);
  };
  // A second core pays once there is more than a little to read.
  const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
  const unsigned helpers = names.size() >= 16 ? cores - 1 : 0;
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < helpers; ++t) threads.emplace_back(work);
  work();
  for (auto& t : threads) t.join();
  if (iconvFailed) return Fail("iconv cannot convert CP932 to UTF-8 here");

  std::size_t total = 0;
  int status = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (lines[i].unreadable) {
      std::fprintf(stderr, "vorta-search: cannot read %s/%s\n", folder.c_str(), names[i].c_str());
      status = 1;
    }
    if (!lines[i].text.empty()) std::fwrite(lines[i].text.data(), 1, lines[i].text.size(), stdout);
    total += lines[i].hits;
  }
  const std::string summary = std::to_string(total) + " hits\n";
  std::fwrite(summary.data(), 1, summary.size(), stdout);
  if (std::fflush(stdout) != 0) return Fail(std::string("cannot write the results: ") + std::strerror(errno));
  return status;
}
