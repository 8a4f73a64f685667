#include "common/path.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vorta {
namespace {

TEST(Path, SplitsCp932Paths) {
  struct Case {
    const char* path;
    const char* folder;
    const char* title;
    const char* help;
  };
  const Case cases[] = {
      {"C:\\Program Files\\Mirune\\vorta.exe", "C:\\Program Files\\Mirune\\", "vorta", "C:\\Program Files\\Mirune\\vorta.HLP"},
      // ソ ends in 0x5C: not a separator.
      {"C:\\\x83\x5c\x83\x74\x83\x67\\vorta.exe", "C:\\\x83\x5c\x83\x74\x83\x67\\", "vorta", "C:\\\x83\x5c\x83\x74\x83\x67\\vorta.HLP"},
      {"C:\\dir\\\x95\x5c.exe", "C:\\dir\\", "\x95\x5c", "C:\\dir\\\x95\x5c.HLP"},  // 表.exe
      {"C:\\my.dir\\vorta", "C:\\my.dir\\", "vorta", "C:\\my.dir\\vorta.HLP"},
      {"vorta.exe", "", "vorta", "vorta.HLP"},
      {"C:vorta.exe", "C:", "vorta", "C:vorta.HLP"},
      {"Z:/work/vorta.exe", "Z:/work/", "vorta", "Z:/work/vorta.HLP"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FolderOf(c.path), c.folder);
    EXPECT_EQ(FileTitleOf(c.path), c.title);
    EXPECT_EQ(ReplaceExtension(c.path, ".HLP"), c.help);
  }
}

TEST(Path, EndsWithBackslashSkipsSecondBytes) {
  struct Case {
    std::string text;
    bool ends;
  };
  const Case cases[] = {
      {"", false},
      {"\\", true},
      {"C:\\", true},
      {"C:\\vorta", false},
      {"\x83\x5c", false},                // ソ
      {"C:\\\x83\x5c", false},            // C:\ソ
      {"C:\\\x83\x5c\\", true},           // C:\ソ and a separator
      {"\x83\x83\x5c", true},             // 0x83 0x83 is one character; the 0x5C is its own
      {"a\x83", false},                   // a lead byte cut off at the end
      {"\x83\x83\x83\x5c", false},        // ャソ
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(EndsWithBackslash(c.text), c.ends);
  }
}

TEST(Path, LowerSingleBytesLeavesDoubleByteCharactersAlone) {
  struct Case {
    std::string text;
    std::string lowered;
  };
  const Case cases[] = {
      {"", ""},
      {"C:\\PROGRAM Files\\Vorta", "c:\\program files\\vorta"},
      {"@AZ[`az{", "@az[`az{"},             // the neighbours of A-Z stay
      {"\x83\x41", "\x83\x41"},             // ア: its second byte is 'A'
      {"\x83\x5a", "\x83\x5a"},             // ズ: its second byte is 'Z'
      {"\x82\x60\x82\x79", "\x82\x60\x82\x79"},  // full-width Ａ and Ｚ
      {"\x83\x41" "B\x83\x43" "D", "\x83\x41" "b\x83\x43" "d"},
      {"\x83\x83" "A", "\x83\x83" "a"},     // ャ, then a character of its own
      {"A\x83", "a\x83"},                   // a lead byte cut off at the end
      {"\xb1\xB2" "A", "\xb1\xb2" "a"},     // half-width kana are single bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    std::string text = c.text;
    LowerSingleBytes(text);
    EXPECT_EQ(text, c.lowered);
  }
}

// Drives and files as the test says, and every pattern asked about.
class FakeFileSystem : public FileSystemProbe {
 public:
  FakeFileSystem(std::vector<std::string> roots, std::set<std::string> existing)
      : roots_(std::move(roots)), existing_(std::move(existing)) {}

  std::vector<std::string> DriveRoots() const override { return roots_; }
  bool Exists(const std::string& pattern) const override {
    probed_.push_back(pattern);
    return existing_.count(pattern) != 0;
  }

  const std::vector<std::string>& probed() const { return probed_; }

 private:
  std::vector<std::string> roots_;
  std::set<std::string> existing_;
  mutable std::vector<std::string> probed_;
};

constexpr auto kMalformed = FolderCheck::kMalformed;
constexpr auto kExists = FolderCheck::kExists;
constexpr auto kAbsent = FolderCheck::kAbsent;

struct FolderCase {
  std::string path;
  FolderCheck answer;
  const char* probed;  // the pattern Exists gets; nullptr when it is not asked
};

void ExpectFolderChecks(const std::vector<std::string>& roots, const std::set<std::string>& existing,
                        const std::vector<FolderCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path));
    FakeFileSystem fs(roots, existing);
    EXPECT_EQ(CheckFolderPath(c.path, fs), c.answer);
    if (c.probed == nullptr) {
      EXPECT_TRUE(fs.probed().empty()) << testing::PrintToString(fs.probed());
    } else {
      EXPECT_EQ(fs.probed(), std::vector<std::string>{c.probed});
    }
  }
}

const std::set<std::string> kExisting = {
    "C:\\Vorta",
    "C:\\\x83\x5c",  // C:\ソ
    "D:\\Data\\Vorta",
    "\\\\server\\share\\*.*",
    "\\\\server\\share\\vorta.ini",
};

TEST(FolderCheck, DrivePaths) {
  ExpectFolderChecks({"C:\\", "D:\\"}, kExisting, {
      // Drive roots exist without a look.
      {"C:", kExists, nullptr},
      {"C:\\", kExists, nullptr},
      {"c:", kExists, nullptr},
      {"c:\\", kExists, nullptr},
      {"D:\\", kExists, nullptr},
      {"C:\\\\", kMalformed, nullptr},
      // A drive the machine lacks.
      {"E:", kMalformed, nullptr},
      {"E:\\", kMalformed, nullptr},
      {"E:\\Vorta", kMalformed, nullptr},
      // Folders: the trailing backslash is dropped, the case kept as typed.
      {"C:\\Vorta", kExists, "C:\\Vorta"},
      {"C:\\Vorta\\", kExists, "C:\\Vorta"},
      {"c:\\Vorta", kAbsent, "c:\\Vorta"},
      {"C:\\New", kAbsent, "C:\\New"},
      {"C:\\a", kAbsent, "C:\\a"},
      {"C:\\a\\", kAbsent, "C:\\a"},
      {"D:\\Data\\Vorta\\", kExists, "D:\\Data\\Vorta"},
      {"C:\\Program Files\\my.app\\v1.2", kAbsent, "C:\\Program Files\\my.app\\v1.2"},
      // Relative paths.
      {"", kMalformed, nullptr},
      {"VORTA", kMalformed, nullptr},
      {"\\VORTA", kMalformed, nullptr},
      {"\\", kMalformed, nullptr},
      {"C:VORTA", kMalformed, nullptr},
      {"C:/VORTA", kMalformed, nullptr},
      {"CC:\\VORTA", kMalformed, nullptr},
      // Empty and dot names.
      {"C:\\\\Vorta", kMalformed, nullptr},
      {"C:\\a\\\\b", kMalformed, nullptr},
      {"C:\\Vorta\\\\", kMalformed, nullptr},
      {"C:\\.Vorta", kMalformed, nullptr},
      {"C:\\a\\.", kMalformed, nullptr},
      {"C:\\a\\..\\b", kMalformed, nullptr},
      {"C:\\.", kMalformed, nullptr},
  });
}

TEST(FolderCheck, CharactersWindowsRefuses) {
  ExpectFolderChecks({"C:\\"}, kExisting, {
      {"C:\\a\"b", kMalformed, nullptr},
      {"C:\\a/b", kMalformed, nullptr},
      {"C:\\a\\b/", kMalformed, nullptr},
      {"C:\\a*", kMalformed, nullptr},
      {"C:\\a?b", kMalformed, nullptr},
      {"C:\\<a", kMalformed, nullptr},
      {"C:\\a>", kMalformed, nullptr},
      {"C:\\a:b", kMalformed, nullptr},
      {"C:\\a|b", kMalformed, nullptr},
      {"C:\\|", kMalformed, nullptr},
      // After a double-byte character whose second byte is itself a lead byte
      // value, the '|' stands alone.
      {"C:\\\x83\x83|", kMalformed, nullptr},
      // Control bytes.
      {"C:\\a\tb", kMalformed, nullptr},
      {"C:\\a\x01", kMalformed, nullptr},
      {std::string("C:\\a\0b", 6), kMalformed, nullptr},
      {"C:\\a\x7f", kMalformed, nullptr},
      {"C:\\a\x1f\\", kMalformed, nullptr},
      // Double-byte characters cut short or with a second byte CP932 lacks.
      {"C:\\a\x83", kMalformed, nullptr},
      {"C:\\a\x83\\", kAbsent, "C:\\a\x83\\"},  // 0x83 0x5C is ソ; no separator at the end
      {"C:\\\x83 ", kMalformed, nullptr},
      {"C:\\\x83\x7f", kMalformed, nullptr},
      {"C:\\\x83\xfd", kMalformed, nullptr},
      {"C:\\\x83\x3a", kMalformed, nullptr},
  });
}

TEST(FolderCheck, SecondBytesThatLookLikeSeparators) {
  ExpectFolderChecks({"C:\\"}, kExisting, {
      {"C:\\\x83\x5c", kExists, "C:\\\x83\x5c"},               // C:\ソ
      {"C:\\\x83\x5c\\", kExists, "C:\\\x83\x5c"},             // C:\ソ and a separator
      {"C:\\\x83\x5c.txt", kAbsent, "C:\\\x83\x5c.txt"},       // no "\." here
      {"C:\\\x83\x5c\x83\x74\x83\x67", kAbsent, "C:\\\x83\x5c\x83\x74\x83\x67"},  // ソフト
      {"C:\\\x83\x5c\\\\", kMalformed, nullptr},
      {"C:\\\x83\x5c\\.", kMalformed, nullptr},
      {"C:\\\x83\x7c", kAbsent, "C:\\\x83\x7c"},               // '|' as a second byte
      {"C:\\\x83\x7c\\a", kAbsent, "C:\\\x83\x7c\\a"},
      {"C:\\\x95\x5c\x8e\xa6", kAbsent, "C:\\\x95\x5c\x8e\xa6"},  // 表示
  });
}

TEST(FolderCheck, DriveLetterCase) {
  ExpectFolderChecks({"c:\\", "D:\\"}, kExisting, {
      {"C:\\", kExists, nullptr},
      {"c:\\", kExists, nullptr},
      {"C:", kExists, nullptr},
      {"C:\\Vorta", kExists, "C:\\Vorta"},
      {"d:\\Data\\Vorta", kAbsent, "d:\\Data\\Vorta"},
  });
}

TEST(FolderCheck, DriveListUnknownOrOdd) {
  ExpectFolderChecks({}, kExisting, {
      {"C:\\", kMalformed, nullptr},
      {"C:", kMalformed, nullptr},
      {"C:\\Vorta", kMalformed, nullptr},
      // A network path needs no drive.
      {"\\\\server\\share", kExists, "\\\\server\\share\\*.*"},
  });
  // An empty root matches nothing.
  ExpectFolderChecks({"", "C:\\"}, kExisting, {
      {"VORTA", kMalformed, nullptr},
      {"\\VORTA", kMalformed, nullptr},
      {"C:\\Vorta", kExists, "C:\\Vorta"},
  });
}

TEST(FolderCheck, NetworkPaths) {
  ExpectFolderChecks({"C:\\"}, kExisting, {
      {"\\\\server\\share", kExists, "\\\\server\\share\\*.*"},
      {"\\\\server\\share\\", kExists, "\\\\server\\share\\*.*"},
      {"\\\\server\\share\\vorta.ini", kExists, "\\\\server\\share\\vorta.ini"},
      {"\\\\server\\share\\New", kAbsent, "\\\\server\\share\\New\\*.*"},
      {"\\\\srv.example\\share", kAbsent, "\\\\srv.example\\share\\*.*"},  // the dot is not in the last part
      {"\\\\server\\\x83\x5c", kAbsent, "\\\\server\\\x83\x5c\\*.*"},      // \\server\ソ
      {"\\\\server", kAbsent, "\\\\server\\*.*"},
      {"\\\\", kMalformed, nullptr},
      {"\\\\\\x", kMalformed, nullptr},
      {"\\\\\\", kMalformed, nullptr},
      {"\\\\a\\\\b", kMalformed, nullptr},
      {"\\\\a\\.b", kMalformed, nullptr},
      {"\\\\server\\share\\\\", kMalformed, nullptr},
      {"\\\\.\\pipe", kMalformed, nullptr},
      {"\\\\?\\C:\\x", kMalformed, nullptr},
      {"\\\\server:80\\share", kMalformed, nullptr},
      {"\\\\server\\sh|are", kMalformed, nullptr},
      {"\\\\server\\sh*", kMalformed, nullptr},
      {"\\\\server/share", kMalformed, nullptr},
      {"\\\\server\\\x83\x7c", kAbsent, "\\\\server\\\x83\x7c\\*.*"},
      {"\\\\|", kMalformed, nullptr},
  });
}

TEST(FolderCheck, LongestPath) {
  const std::string base = "C:\\" + std::string(kMaxFolderPathBytes - 3, 'a');
  ASSERT_EQ(base.size(), kMaxFolderPathBytes);
  ExpectFolderChecks({"C:\\"}, kExisting, {
      {base, kAbsent, base.c_str()},
      {base + "a", kMalformed, nullptr},
      {base + "\\", kMalformed, nullptr},
  });
}

}  // namespace
}  // namespace vorta
