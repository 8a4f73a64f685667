#include "journal/export/cp932_iconv.h"

#include <iconv.h>

#include <cerrno>

#include "common/byte_type.h"

namespace vorta {

namespace {

// U+FFFD as UTF-8 bytes (an escape, so the build's character set leaves it alone).
constexpr char kReplacement[] = "\xEF\xBF\xBD";

class IconvCp932Decoder final : public Cp932Decoder {
 public:
  explicit IconvCp932Decoder(iconv_t cd) : cd_(cd) {}
  ~IconvCp932Decoder() override { iconv_close(cd_); }
  IconvCp932Decoder(const IconvCp932Decoder&) = delete;
  IconvCp932Decoder& operator=(const IconvCp932Decoder&) = delete;

  std::size_t AppendUtf8(std::string_view cp932, std::string* out) override {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(cp932.data());
    std::size_t left = cp932.size();
    std::size_t replaced = 0;
    char buffer[4096];
    while (left > 0) {
      char* dst = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t done = iconv(cd_, &src, &left, &dst, &room);
      const int error = errno;
      out->append(buffer, static_cast<std::size_t>(dst - buffer));
      if (done != static_cast<std::size_t>(-1)) break;
      if (error == E2BIG && dst != buffer) continue;
      // iconv stopped at bytes that are no character it knows (EILSEQ), or at
      // a lead byte that ends the text (EINVAL). A lead byte with a trail byte
      // after it is one character without a Unicode form; any other byte is
      // replaced alone and the next one starts afresh.
      const auto c = static_cast<unsigned char>(src[0]);
      const std::size_t skip = IsLeadByte(c) && left >= 2 && IsTrailByte(static_cast<unsigned char>(src[1])) ? 2 : 1;
      out->append(kReplacement, sizeof kReplacement - 1);
      ++replaced;
      src += skip;
      left -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return replaced;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::unique_ptr<Cp932Decoder> OpenIconvCp932Decoder() {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return std::make_unique<IconvCp932Decoder>(cd);
}

}  // namespace vorta
