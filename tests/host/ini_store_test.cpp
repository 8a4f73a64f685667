#include "common/ini_store.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace vorta {
namespace {

// 251 bytes such as the scrambled password may hold: every byte 20..FF once,
// then byte pairs that are not CP932 characters, quotes, blanks, '=', ';', '['
// and a lead byte with nothing after it at the very end.
std::string PasswordLikeValue() {
  std::string s;
  for (int b = 0xFF; b >= 0x20; --b) s += static_cast<char>(b);
  s += "\x81\x20" "\x85\x40" "\x81" "=" "\xA0\x81" "\"" " ;[x] " "\xFC\x7F" "'";
  while (s.size() < 250) s += ' ';
  s += '\xFC';
  return s;
}

TEST(IniStore, ValuesRoundTripByteForByte) {
  const std::string password = PasswordLikeValue();
  ASSERT_EQ(password.size(), 251u);
  struct Case {
    const char* what;
    std::string section, key, value;
  };
  const std::vector<Case> cases = {
      {"blanks around", "Settings", "Padded", "  two blanks each side  "},
      {"tabs around", "Settings", "Tabbed", "\t tab \t"},
      {"double quotes", "Settings", "Quoted", "\"quoted\""},
      {"single quotes", "Settings", "Single", "'single'"},
      {"only blanks", "Settings", "Blank", "   "},
      {"empty", "Settings", "Empty", ""},
      {"= ; [ ] inside", "Settings", "Marks", "=a=b; c;[x]=;"},
      {"Japanese everywhere", "日記の設定", "検索履歴", "今日は晴れ。明日も"},
      {"trail bytes 5C 5B 5D", "ゾーン表示", "ソ能", "表示ゾーン\\"},
      {"invalid pairs", "Settings", "Odd", "\x81\x20" "a" "\x85\x40" "\xFC"},
      {"password", "Settings", "Password", password},
      {"longest value read", "Settings", "Long", std::string(kIniValueLimit, '\x88')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IniStore store;
    ASSERT_TRUE(store.SetString("Other", "Before", "1"));
    ASSERT_TRUE(store.SetString(c.section, c.key, c.value));
    const std::string file = store.Serialize();
    EXPECT_NE(file.find(c.key + "=" + c.value + "\r\n"), std::string::npos);

    const IniStore again = IniStore::Parse(file);
    EXPECT_EQ(again.GetString(c.section, c.key, "missing"), c.value);
    EXPECT_EQ(again.GetString("Other", "Before", ""), "1");
    EXPECT_EQ(again.Serialize(), file);

    // The same value written by hand with LF line ends reads the same.
    const IniStore by_hand = IniStore::Parse("[" + c.section + "]\n" + c.key + "=" + c.value);
    EXPECT_EQ(by_hand.GetString(c.section, c.key, "missing"), c.value);
  }
}

TEST(IniStore, GetIntReadsLikeWindows) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"-12", -12},        {"  7", 7},         {"7  ", 7},        {"+3", 3},
      {"abc", 0},          {"12abc", 12},      {"- 3", 0},        {"", 99},
      {"   ", 99},         {"\"\"", 99},       {"\"5\"", 5},      {" ' -4 ' ", -4},
      {"0x1F", 31},        {"-0x10", -16},     {"0X", 0},         {"0b101", 5},
      {"0o17", 15},        {"019", 19},        {"2147483647", INT_MAX},
      {"2147483648", INT_MIN},                 {"4294967295", -1},
      {"4294967296", 0},   {"１２", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("value \"") + c.text + "\"");
    const IniStore store = IniStore::Parse(std::string("[S]\r\nk=") + c.text + "\r\n");
    EXPECT_EQ(store.GetInt("S", "k", 99), c.expected);
  }
  const IniStore store = IniStore::Parse("[S]\r\nk=5\r\n");
  EXPECT_EQ(store.GetInt("S", "absent", 99), 99);
  EXPECT_EQ(store.GetInt("Absent", "k", -7), -7);
}

TEST(IniStore, SetIntWritesSignedDecimal) {
  for (int v : {0, -12, 7, INT_MAX, INT_MIN}) {
    IniStore store;
    ASSERT_TRUE(store.SetInt("Window", "Left", v));
    EXPECT_EQ(store.Serialize(), "[Window]\r\nLeft=" + std::to_string(v) + "\r\n");
    EXPECT_EQ(IniStore::Parse(store.Serialize()).GetInt("Window", "Left", 1), v);
  }
}

TEST(IniStore, NamesMatchIgnoringAsciiCaseOnly) {
  IniStore store = IniStore::Parse(
      "[Find History]\r\nFind Count=3\r\n"
      "[ア]\r\nア=1\r\nx=a\r\n"
      "[ヂ]\r\nヂ=2\r\nx=b\r\n");
  EXPECT_EQ(store.GetInt("FIND HISTORY", "find count", -1), 3);
  EXPECT_EQ(store.GetInt("find history", "FIND COUNT", -1), 3);
  // ア is 83 41 and ヂ is 83 61: their second bytes differ only in ASCII case.
  EXPECT_EQ(store.GetString("ア", "x", ""), "a");
  EXPECT_EQ(store.GetString("ヂ", "x", ""), "b");
  EXPECT_EQ(store.GetInt("ア", "ヂ", -1), -1);
  EXPECT_EQ(store.GetInt("ヂ", "ア", -1), -1);
  EXPECT_EQ(store.GetString("Find Histor", "Find Count", "none"), "none");
  EXPECT_EQ(store.GetString("Find History", "Find Count ", "none"), "none");

  // A replaced value keeps the spelling of the name in the file.
  ASSERT_TRUE(store.SetString("find HISTORY", "FIND count", "4"));
  ASSERT_TRUE(store.SetString("ヂ", "ヂ", "5"));
  EXPECT_EQ(store.Serialize(),
            "[Find History]\r\nFind Count=4\r\n"
            "[ア]\r\nア=1\r\nx=a\r\n"
            "[ヂ]\r\nヂ=5\r\nx=b\r\n");
}

TEST(IniStore, ReplacingAValueLeavesEveryOtherByteAlone) {
  IniStore store = IniStore::Parse(
      "; settings\n"
      "orphan=before any section\n"
      "\n"
      "  [Main]  ; the main window\n"
      "  Left  =  10  \n"
      "junk line without equals\n"
      "Top=20\n"
      "Top=21\n"
      "\n"
      "[Main]\n"
      "Width=300\n");
  ASSERT_TRUE(store.SetString("Main", "Left", "11"));
  ASSERT_TRUE(store.SetInt("Main", "Top", -5));
  EXPECT_EQ(store.Serialize(),
            "; settings\r\n"
            "orphan=before any section\r\n"
            "\r\n"
            "  [Main]  ; the main window\r\n"
            "  Left  =11\r\n"
            "junk line without equals\r\n"
            "Top=-5\r\n"
            "Top=21\r\n"
            "\r\n"
            "[Main]\r\n"
            "Width=300\r\n");
  EXPECT_EQ(store.GetInt("Main", "Top", 0), -5);
  // Only the first [Main] counts; keys before any section belong to none.
  EXPECT_EQ(store.GetInt("Main", "Width", -1), -1);
  EXPECT_EQ(store.GetString("", "orphan", "none"), "none");
}

TEST(IniStore, NewKeysAndSectionsGoWhereTheyBelong) {
  IniStore store = IniStore::Parse(
      "orphan=1\r\n"
      "[A]\r\n"
      "x=1\r\n"
      "; about y\r\n"
      "\r\n"
      "[Empty]\r\n"
      "\r\n"
      "[B]\r\n"
      "z=1\r\n"
      "[A]\r\n"
      "later=1\r\n");
  ASSERT_TRUE(store.SetString("a", "y", "2"));
  ASSERT_TRUE(store.SetString("Empty", "k", "v"));
  ASSERT_TRUE(store.SetString("New", "n", "1"));
  ASSERT_TRUE(store.SetString("New", "m", "2"));
  ASSERT_TRUE(store.SetString("", "orphan", "2"));
  EXPECT_EQ(store.Serialize(),
            "orphan=1\r\n"
            "[A]\r\n"
            "x=1\r\n"
            "y=2\r\n"
            "; about y\r\n"
            "\r\n"
            "[Empty]\r\n"
            "k=v\r\n"
            "\r\n"
            "[B]\r\n"
            "z=1\r\n"
            "[A]\r\n"
            "later=1\r\n"
            "[New]\r\n"
            "n=1\r\n"
            "m=2\r\n"
            "[]\r\n"
            "orphan=2\r\n");
  EXPECT_EQ(store.GetString("", "orphan", ""), "2");

  IniStore empty;
  EXPECT_TRUE(empty.empty());
  ASSERT_TRUE(empty.SetString("S", "k", "v"));
  EXPECT_EQ(empty.Serialize(), "[S]\r\nk=v\r\n");
}

TEST(IniStore, LinesAndTheirKinds) {
  const IniStore store = IniStore::Parse(
      "[S]\n"
      "  spaced  \t=\t value \n"
      "double==v\n"
      "=no key\n"
      ";k=comment\n"
      "  ;k2=comment\n"
      "[unclosed\n"
      "after unclosed=still S\n"
      "[ゾーン]\n"           // 83 5D: the second byte of ゾ is ']'
      "z=1\n"
      "  [T] trailing] text\n"
      "t=2\n"
      "[\x81]\n"            // ']' is the second byte of 81 5D: no header
      "u=3\n");
  EXPECT_EQ(store.GetString("S", "spaced", ""), "\t value ");
  EXPECT_EQ(store.GetString("S", "double", ""), "=v");
  EXPECT_EQ(store.GetString("S", "", "none"), "none");
  EXPECT_EQ(store.GetString("S", ";k", "none"), "none");
  EXPECT_EQ(store.GetString("S", "k", "none"), "none");
  EXPECT_EQ(store.GetString("S", "after unclosed", ""), "still S");
  EXPECT_EQ(store.GetString("ゾーン", "z", ""), "1");
  EXPECT_EQ(store.GetString("T] trailing", "t", ""), "2");
  EXPECT_EQ(store.GetString("T] trailing", "u", ""), "3");
}

TEST(IniStore, LineEnds) {
  struct Case {
    const char* what;
    std::string input, serialized;
  };
  const std::vector<Case> cases = {
      {"CRLF", "[S]\r\na=1\r\n", "[S]\r\na=1\r\n"},
      {"LF", "[S]\na=1\n", "[S]\r\na=1\r\n"},
      {"mixed", "[S]\na=1\r\n\nb=2\n", "[S]\r\na=1\r\n\r\nb=2\r\n"},
      {"no line end at the end", "[S]\r\na=1", "[S]\r\na=1\r\n"},
      {"lone CR is text", "[S]\r\na=1\r2\r\r\n", "[S]\r\na=1\r2\r\r\n"},
      {"empty", "", ""},
      {"only line ends", "\n\r\n", "\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const IniStore store = IniStore::Parse(c.input);
    EXPECT_EQ(store.Serialize(), c.serialized);
    EXPECT_EQ(IniStore::Parse(c.serialized).Serialize(), c.serialized);
  }
  EXPECT_EQ(IniStore::Parse("[S]\na=1").GetString("S", "a", ""), "1");
  EXPECT_EQ(IniStore::Parse("[S]\r\na=1\r2\r\r\n").GetString("S", "a", ""), "1\r2\r");
  EXPECT_EQ(IniStore::Parse("[S]\r\nb=2\r\n").GetString("S", "b", ""), "2");
}

TEST(IniStore, RefusesWhatCannotBeReadBack) {
  struct Case {
    const char* what;
    std::string section, key, value;
  };
  const std::vector<Case> cases = {
      {"CR in value", "S", "k", "a\rb"},
      {"LF in value", "S", "k", "a\nb"},
      {"CRLF ending value", "S", "k", "ab\r\n"},
      {"NUL in value", "S", "k", std::string("a\0b", 3)},
      {"LF in key", "S", "k\nx", "v"},
      {"LF in section", "S\n[T", "k", "v"},
      {"LF in new section", "New\n", "k", "v"},
      {"empty key", "S", "", "v"},
      {"blank key", "S", "  ", "v"},
      {"blanks around key", "S", " k", "v"},
      {"'=' in key", "S", "a=b", "v"},
      {"key starting with ';'", "S", ";k", "v"},
      {"key starting with '['", "S", "[k]", "v"},
      {"section ending in a lone lead byte", "\x81", "k", "v"},
  };
  const std::string file = "[S]\r\nk=old\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IniStore store = IniStore::Parse(file);
    EXPECT_FALSE(store.SetString(c.section, c.key, c.value));
    EXPECT_EQ(store.Serialize(), file);
  }
  IniStore store = IniStore::Parse(file);
  EXPECT_FALSE(store.SetInt("S", "", 1));
  EXPECT_EQ(store.Serialize(), file);
  // A ']' inside a section name is fine: the last one closes it.
  EXPECT_TRUE(store.SetString("a]b", "k", "v"));
  EXPECT_EQ(IniStore::Parse(store.Serialize()).GetString("a]b", "k", ""), "v");
}

TEST(IniStore, LongValuesAreCutAtACharacter) {
  struct Case {
    const char* what;
    std::string value;
    std::size_t kept;
  };
  const std::string a4093(4093, 'a'), a4094(4094, 'a');
  const std::vector<Case> cases = {
      {"single bytes", std::string(5000, 'a'), 4095},
      {"character ends at the limit", a4093 + "日", 4095},
      {"character across the limit", a4094 + "日", 4094},
      {"lone lead byte at the limit", a4094 + "\x81", 4095},
      {"pair with an invalid trail byte", a4094 + "\x81\x20", 4094},
      {"double bytes only", std::string(6000, '\x88'), 4094},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const IniStore store = IniStore::Parse("[S]\r\nk=" + c.value + "\r\n");
    EXPECT_EQ(store.GetString("S", "k", ""), c.value.substr(0, c.kept));
    EXPECT_EQ(store.GetString("S", "absent", c.value), c.value.substr(0, c.kept));
  }
}

TEST(IniStore, ArbitraryBytesNeitherCrashNorDrift) {
  // Bytes biased towards what the parser looks at.
  const char interesting[] = {'[', ']', '=', ';', ' ', '\t', '\r', '\n', '\0',
                              'a', 'K', '\x81', '\x83', '\x5D', '\xFC', '\xFF'};
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 400; ++round) {
    std::string bytes(next() % 300, '\0');
    for (char& c : bytes) {
      const auto r = next();
      c = (r & 1) ? interesting[(r >> 1) % sizeof interesting] : static_cast<char>(r >> 1);
    }
    IniStore store = IniStore::Parse(bytes);
    const std::string once = store.Serialize();
    ASSERT_EQ(IniStore::Parse(once).Serialize(), once);

    // Look up and set names made of the same bytes.
    const std::string section = bytes.substr(0, bytes.size() / 8);
    const std::string key = bytes.substr(bytes.size() / 8, 3);
    store.GetString(section, key, "");
    store.GetInt(section, key, 0);
    if (store.SetString(section, key, "value")) {
      const IniStore again = IniStore::Parse(store.Serialize());
      ASSERT_EQ(again.GetString(section, key, ""), "value") << "round " << round;
    }
    if (store.SetString("Fixed", "Key", bytes)) {
      ASSERT_EQ(IniStore::Parse(store.Serialize()).GetString("Fixed", "Key", ""),
                bytes.substr(0, kIniValueLimit))
          << "round " << round;
    }
  }
}

}  // namespace
}  // namespace vorta
