#include "uninst/uninst_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorta {
namespace {

// "C:\Program Files\ミルネ\ソフト" with the folder names in CP932; ソ ends in 0x5C.
const std::string kFolder = "C:\\Program Files\\\x83\x7E\x83\x8B\x83\x6C\\\x83\x5C\x83\x74\x83\x67";
const std::string kOwn = kFolder + "\\uninst.exe";
const std::string kPif = "C:\\DEL1A2B.pif";
const std::string kBatch = "C:\\DEL1A2B.bat";

TEST(SelfDeleteBatch, RemovesTheProgramThenItsFolderThenItself) {
  EXPECT_EQ(SelfDeleteBatchText(kOwn, kFolder, kPif, kBatch, true),
            ":Repeat\r\n"
            "del \"C:\\Program Files\\\x83\x7E\x83\x8B\x83\x6C\\\x83\x5C\x83\x74\x83\x67\\uninst.exe\"\r\n"
            "if exist \"C:\\Program Files\\\x83\x7E\x83\x8B\x83\x6C\\\x83\x5C\x83\x74\x83\x67\\uninst.exe\" goto Repeat\r\n"
            "rmdir \"C:\\Program Files\\\x83\x7E\x83\x8B\x83\x6C\\\x83\x5C\x83\x74\x83\x67\"\r\n"
            "del \"C:\\DEL1A2B.pif\"\r\n"
            "del \"C:\\DEL1A2B.bat\"\r\n");
}

TEST(SelfDeleteBatch, LeavesTheFolderWhenSomethingStayedInIt) {
  EXPECT_EQ(SelfDeleteBatchText(kOwn, kFolder, kPif, kBatch, false),
            ":Repeat\r\n"
            "del \"C:\\Program Files\\\x83\x7E\x83\x8B\x83\x6C\\\x83\x5C\x83\x74\x83\x67\\uninst.exe\"\r\n"
            "if exist \"C:\\Program Files\\\x83\x7E\x83\x8B\x83\x6C\\\x83\x5C\x83\x74\x83\x67\\uninst.exe\" goto Repeat\r\n"
            "del \"C:\\DEL1A2B.pif\"\r\n"
            "del \"C:\\DEL1A2B.bat\"\r\n");
}

TEST(SelfDeleteBatch, LongPathsAreWrittenWhole) {
  // Five long paths are more than a 1024-byte formatting buffer holds.
  const std::string folder = "C:\\" + std::string(240, 'a');
  const std::string own = folder + "\\" + std::string(15, 'b');
  const std::string temp = "C:\\" + std::string(230, 't') + "\\DEL1A2B";
  const std::string text = SelfDeleteBatchText(own, folder, temp + ".pif", temp + ".bat", true);
  EXPECT_GT(text.size(), 1024u);
  EXPECT_EQ(text.substr(text.size() - temp.size() - 7), temp + ".bat\"\r\n");
  EXPECT_NE(text.find("rmdir \"" + folder + "\"\r\n"), std::string::npos);
}

TEST(SelfDeleteBatch, APercentSignIsNotAVariable) {
  // "%b%" would be expanded by the command processor; "%%" is a "%".
  EXPECT_EQ(SelfDeleteBatchText("C:\\a%b%\\u.exe", "C:\\a%b%", "C:\\D%.pif", "C:\\D%.bat", true),
            ":Repeat\r\n"
            "del \"C:\\a%%b%%\\u.exe\"\r\n"
            "if exist \"C:\\a%%b%%\\u.exe\" goto Repeat\r\n"
            "rmdir \"C:\\a%%b%%\"\r\n"
            "del \"C:\\D%%.pif\"\r\n"
            "del \"C:\\D%%.bat\"\r\n");
}

TEST(RefusedUninstallFolder, RootsAndSystemFoldersAreRefused) {
  const std::vector<std::string> system = {
      "C:\\Windows", "C:\\Windows\\system32", "C:\\Users\\taro", "C:\\Users\\taro\\Desktop",
      "C:\\Users\\taro\\Documents\\", "C:\\Program Files", "C:\\Program Files (x86)", ""};
  const struct {
    std::string folder;
    bool refused;
  } cases[] = {
      {"", true},
      {"\\", true},
      {"C:\\", true},
      {"C:", true},
      {"d:\\", true},
      {"\\\\server\\share", true},
      {"\\\\server\\share\\", true},
      {"C:\\WINDOWS\\", true},  // letters in either case
      {"c:\\windows", true},
      {"C:\\Windows\\System32\\", true},
      {"C:\\Users\\taro\\desktop\\", true},
      {"C:\\Users\\taro\\Documents", true},  // the list's own final backslash does not count
      {"C:\\Users\\taro", true},
      {"C:\\Program Files\\", true},
      {"C:\\Program Files (x86)\\", true},
      // Folders that hold one of them.
      {"C:\\Users", true},
      {"C:\\Users\\", true},
      {"C:\\users\\TARO\\", true},   // the profile itself, in other letters
      {"C:\\Users\\tar", false},        // a name that begins like it is not its folder
      // Where setup installs: a folder of its own.
      {"C:\\VORTA\\", false},
      {"C:\\Program Files\\VORTA\\", false},
      {"C:\\Users\\taro\\Documents\\VORTA\\", false},
      {"C:\\Windows2\\", false},
      {"C:\\Users\\taro\\Desktop\\\x83\x7E\x83\x8B\x83\x6C\\", false},
      {"\\\\server\\share\\VORTA\\", false},
      // A trail byte 0x5C at the end is not a backslash to drop.
      {"C:\\\x83\x5C", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsRefusedUninstallFolder(c.folder, system), c.refused) << c.folder;
  }
}

TEST(RefusedUninstallFolder, DoubleByteNamesCompareByteForByte) {
  // ｱ (0xB1, a single byte) and ア (0x83 0x41): 0x41 is 'A' only as a single byte.
  const std::vector<std::string> system = {"C:\\\x83\x41"};
  EXPECT_TRUE(IsRefusedUninstallFolder("C:\\\x83\x41\\", system));
  EXPECT_FALSE(IsRefusedUninstallFolder("C:\\\x83\x61\\", system)) << "the second byte is not a letter to fold";
}

}  // namespace
}  // namespace vorta
