#include "common/path.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vorta
