// The search window driven from outside: the rows it lists against the
// engine's results on the same folder, the entry on screen found before it is
// saved, sorting from a fresh start, Enter in the list, Alt+S, the history
// across restarts, and a capture of the window with its results.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "journal_fixture.h"
#include "tests/common/engine_rows_win.h"

namespace {

using namespace e2e;

constexpr int kSearch = 1020, kFindText = 1038, kResultList = 1037, kHitCount = 1039, kView = 3;
constexpr char kSearchTitle[] = "検索";

using Rows = vorta::testing::SearchRows;  // "date|excerpt"

class SearchE2ETest : public JournalTest {
 protected:
  // Three months with rain here and there; the journal at (20, 20), the
  // search window to the right of it.
  void WriteDiary() {
    MakeData();
    ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(2009, 7)),
                               MonthFile(3, Record(5, 0, "朝から雨。Rain all day.\r\n傘をさして駅まで歩いた。") +
                                                Record(20, 0, "晴れ") + Record(2, 0, "小雨のち曇り"))));
    ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(2008, 12)),
                               MonthFile(2, Record(24, 0, "雨の聖夜。ケーキを買って帰る。") + Record(25, 0, "雪"))));
    ASSERT_TRUE(WriteFileBytes(Data(MonthFileName(2010, 1)), MonthFile(1, Record(1, 0, "元日。rain?"))));
    ASSERT_TRUE(MakeDirectories(ProfileDirectory()));
    ASSERT_TRUE(WriteFileBytes(ProfilePath(), "[WINDOW]\r\nX=20\r\nY=20\r\n[FIND_WINDOW]\r\nX=620\r\nY=20\r\n"));
  }
  void OpenSearch() {
    ASSERT_TRUE(ClickButton(main_, kSearch));
    search_ = WaitForWindow(kSearchTitle, process_->id(), kDefaultTimeoutMs, "#32770");
    ASSERT_NE(search_, nullptr) << "no search window";
  }
  void SearchFor(const std::string& text) {
    ASSERT_TRUE(SetControlText(search_, kFindText, text));
    ASSERT_TRUE(ClickButton(search_, kSearch));
  }
  HWND List() const { return GetDlgItem(search_, kResultList); }
  Rows Listed() const {
    Rows rows;
    for (const auto& row : GetListViewRows(List(), 2).value_or(std::vector<std::vector<std::string>>{}))
      rows.push_back(row[0] + "|" + row[1]);
    return rows;
  }
  Rows Dates() const {
    Rows dates;
    for (const auto& row : Listed()) dates.push_back(row.substr(0, 10));
    return dates;
  }
  // What the engine finds in the installed DATA folder.
  Rows EngineRows(const std::string& text) const { return vorta::testing::EngineRows(Data("DATA"), text, false); }
  // A click on a column header of the result list, as the mouse makes it.
  void ClickHeader(int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(List(), LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    const LPARAM at = MAKELPARAM(column == 0 ? 30 : 150, 6);
    PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(header, WM_LBUTTONUP, 0, at);
  }

  HWND search_ = nullptr;
};

TEST_F(SearchE2ETest, FindsTheEntryOnScreenAndListsWhatTheEngineFinds) {
  WriteDiary();
  Launch();
  NavigateTo({2009, 7, 20});
  ASSERT_TRUE(SetControlText(main_, kEditor, "夕方から雨が降った"));
  OpenSearch();
  SearchFor("雨");
  const Rows rows = Listed();
  EXPECT_EQ(rows, EngineRows("雨"));
  EXPECT_EQ(rows.size(), 4u);
  EXPECT_NE(std::find(rows.begin(), rows.end(), "2009/07/20 |雨が降った"), rows.end())
      << "the entry typed and not yet saved is found";
  EXPECT_EQ(GetControlText(search_, kHitCount), "4件");
  EXPECT_EQ(FocusedWindow(), List());
  EXPECT_EQ(GetListViewFocusedRow(List()), 0);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(search_, kView)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main_, kSearch)));

  // The excerpt quotes the entry as written, whatever the letter case searched.
  SearchFor("RAIN");
  const Rows rain = Listed();
  EXPECT_EQ(rain, EngineRows("RAIN"));
  EXPECT_NE(std::find(rain.begin(), rain.end(), "2009/07/05 |Rain all day.\r\n傘をさして駅まで歩いた。"), rain.end());

  SearchFor("雨");
  CaptureWindow(search_, "search_results");
  CaptureWindow(main_, "search_journal");
}

TEST_F(SearchE2ETest, DateHeaderSortsFromTheOldestFirstAfterStart) {
  WriteDiary();
  Launch();
  NavigateTo({2009, 7, 20});
  OpenSearch();
  SearchFor("雨");
  Rows ascending = Dates();
  ASSERT_EQ(ascending.size(), 3u);
  std::sort(ascending.begin(), ascending.end());
  const Rows descending(ascending.rbegin(), ascending.rend());

  ClickHeader(0);
  EXPECT_TRUE(WaitUntil([&] { return Dates() == ascending; }, 3000)) << "the first click sorts from the oldest";
  ClickHeader(0);
  EXPECT_TRUE(WaitUntil([&] { return Dates() == descending; }, 3000));
  ClickHeader(1);
  ClickHeader(0);
  EXPECT_TRUE(WaitUntil([&] { return Dates() == ascending; }, 3000)) << "内容 sorts nothing and turns nothing";
}

TEST_F(SearchE2ETest, EnterInTheListShowsTheHitAndAltSComesBack) {
  WriteDiary();
  Launch();
  NavigateTo({2009, 7, 20});
  OpenSearch();
  SearchFor("聖夜");
  ASSERT_EQ(Listed(), (Rows{"2008/12/24 |聖夜。ケーキを買って帰る。"}));
  ASSERT_EQ(FocusedWindow(), List());
  ASSERT_TRUE(PostKeyDown(List(), VK_RETURN));
  ASSERT_TRUE(WaitUntil([&] { return Shown().year == 2008; }, 3000)) << TitleLine();
  EXPECT_EQ(Shown().day, 24);
  EXPECT_EQ(EditorText(), "雨の聖夜。ケーキを買って帰る。");
  EXPECT_TRUE(IsWindowVisible(search_)) << "the search window stays open";
  EXPECT_EQ(Listed().size(), 1u) << "and keeps its results";

  // Alt+S from the journal's editor.
  ASSERT_TRUE(PostKeyDown(GetDlgItem(main_, kEditor), 'N', true));
  ASSERT_TRUE(WaitUntil([&] { return GetParent(FocusedWindow()) == main_; }, 3000));
  ASSERT_TRUE(PostKeyDown(GetDlgItem(main_, kEditor), 'S', true));
  EXPECT_TRUE(WaitUntil([&] { return IsChild(search_, FocusedWindow()) != FALSE; }, 3000));
}

TEST_F(SearchE2ETest, TheHistoryAndThePlaceOutliveTheProgram) {
  WriteDiary();
  Launch();
  OpenSearch();
  RECT rect{};
  GetWindowRect(search_, &rect);
  EXPECT_EQ(rect.left, 620);
  EXPECT_EQ(rect.top, 20);
  SearchFor("雨");
  SearchFor("雪");
  MoveWindow(search_, 600, 40, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  CloseAndWait();

  Launch();
  OpenSearch();
  GetWindowRect(search_, &rect);
  EXPECT_EQ(rect.left, 600);
  EXPECT_EQ(rect.top, 40);
  EXPECT_EQ(GetComboCount(search_, kFindText), 2);
  EXPECT_EQ(GetComboItemText(search_, kFindText, 0), "雪") << "the newest first";
  EXPECT_EQ(GetComboItemText(search_, kFindText, 1), "雨");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(search_, 1021)));
}

}  // namespace
