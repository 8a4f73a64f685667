// The strings the search benchmark looks for, in the two forms it needs: UTF-8
// for vorta-search's command line and the table, CP932 for grep and for the
// generated text. The generator's vocabulary is made so that each of them
// occurs in some entries but not in all.
#pragma once

namespace bench {

struct SearchString {
  const char* kind;   // what the string stands for, shown in the table
  const char8_t* utf8;
  const char* cp932;  // plain literal: the build turns it into CP932
};

inline constexpr SearchString kSearchStrings[] = {
    {"kanji", u8"雨", "雨"},             // one common kanji, 2 bytes
    {"mixed", u8"PCで作", "PCで作"},     // ASCII and Japanese, 6 bytes
    {"ascii", u8"Windows", "Windows"},   // an ASCII word, also written windows/WINDOWS
};

}  // namespace bench
