// The search window beside the journal, both hosted in the test's own
// process: the rows it lists against the engine's results on the same folder,
// viewing a hit, the history in the profile, sorting, and its life.
#include "journal/window/search_dlg.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "common/ini_file_win.h"
#include "journal/app/journal_app.h"
#include "journal/res/resource.h"
#include "journal/search/search_engine.h"
#include "journal/window/journal_dlg.h"
#include "tests/common/engine_rows_win.h"
#include "tests/win/dialog_test_support.h"

namespace {

using Rows = vorta::testing::SearchRows;  // "date|excerpt"

class SearchTest : public HostedJournalTest {
 public:
  void WriteMonth(int year, int month, const std::vector<std::pair<int, std::string>>& days) {
    vorta::MonthBuffer buffer;
    for (const auto& [day, text] : days) buffer.PutDayRecord(day, text, 0, 0, 0);
    ASSERT_TRUE(WriteBytes(MonthPath(year, month), vorta::EncodeMonthFile(buffer)));
  }
  // A diary of a few months with rain here and there.
  void WriteDiary() {
    WriteMonth(2009, 7, {{5, "朝から雨。Rain all day."}, {20, "晴れ"}, {2, "小雨のち曇り"}});
    WriteMonth(2008, 12, {{24, "雨の聖夜"}, {25, "雪"}});
    WriteMonth(2010, 1, {{1, "元日。rain?"}});
  }
  void WriteProfile(const std::string& text) {
    HANDLE file = ::CreateFileA(profile_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  std::string ProfileValue(const char* key) {
    vorta::IniStore store;
    vorta::LoadIniFile(profile_, &store);
    return store.GetString("Find History", key, "(none)");
  }

  void OpenSearch() {
    Click(dialog_.m_hWnd, IDC_SEARCH);
    ASSERT_TRUE(dialog_.IsSearchOpen()) << "no search window";
  }
  HWND Search() { return dialog_.IsSearchOpen() ? dialog_.Search().m_hWnd : nullptr; }
  HWND Item(int id) { return ::GetDlgItem(Search(), id); }
  HWND List() { return Item(IDC_RESULT_LIST); }

  void SearchFor(const std::string& text) {
    ::SetWindowTextA(Item(IDC_FIND_TEXT), text.c_str());
    ::SetFocus(Item(IDC_FIND_TEXT));
    Click(Search(), IDC_SEARCH);
  }

  std::string CellText(int row, int column) {
    char text[128] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  Rows ListedRows() {
    Rows rows;
    const int count = static_cast<int>(::SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) rows.push_back(CellText(i, 0) + "|" + CellText(i, 1));
    return rows;
  }
  Rows EngineRows(const std::string& text, bool caseSensitive) {
    return vorta::testing::EngineRows(data_, text, caseSensitive);
  }
  void ClickColumn(int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = List();
    click.hdr.idFrom = IDC_RESULT_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    ::SendMessageA(Search(), WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
  }
  Rows Dates() {
    Rows dates;
    for (const auto& row : ListedRows()) dates.push_back(row.substr(0, 10));
    return dates;
  }
  std::vector<std::string> ComboItems() {
    std::vector<std::string> items;
    const int count = static_cast<int>(::SendMessageA(Item(IDC_FIND_TEXT), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[64] = {};
      ::SendMessageA(Item(IDC_FIND_TEXT), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    return items;
  }
  bool Enabled(HWND hwnd) { return ::IsWindowEnabled(hwnd) != FALSE; }
  std::string Title() { return WindowText(::GetDlgItem(dialog_.m_hWnd, IDC_TITLE_GROUP)); }

};

TEST_F(SearchTest, OpensEmptyBesideTheJournalAndLocksItsButton) {
  OpenJournalAt("200907", 5);
  OpenSearch();
  EXPECT_EQ(WindowText(Search()), "検索");
  EXPECT_EQ(::GetWindow(Search(), GW_OWNER), dialog_.m_hWnd);
  EXPECT_FALSE(Enabled(::GetDlgItem(dialog_.m_hWnd, IDC_SEARCH)));
  EXPECT_EQ(::GetWindowLongA(Search(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0) << "no taskbar button of its own";
  EXPECT_EQ(::GetFocus(), ::GetWindow(Item(IDC_FIND_TEXT), GW_CHILD)) << "the string's edit field has the focus";

  // An empty profile: nothing offered, nothing to clear, nothing to view.
  EXPECT_EQ(ComboItems(), std::vector<std::string>{});
  EXPECT_FALSE(Enabled(Item(IDC_CLEAR_HISTORY)));
  EXPECT_FALSE(Enabled(Item(IDC_VIEW_RESULT)));
  EXPECT_EQ(WindowText(Item(IDC_HIT_COUNT)), "");
  EXPECT_EQ(::SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(::SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const struct {
    int width;
    const char* header;
  } columns[] = {{90, "日付"}, {180, "内容"}};
  for (int c = 0; c < 2; ++c) {
    char header[32] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = header;
    column.cchTextMax = sizeof header;
    ASSERT_TRUE(::SendMessageA(List(), LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(column.cx, columns[c].width);
    EXPECT_STREQ(header, columns[c].header);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
  HWND animation = ::GetDlgItem(Item(IDC_ANIMATION_FRAME), IDC_SEARCH_ANIMATION);
  ASSERT_NE(animation, nullptr) << "the animation sits in its frame";
  EXPECT_TRUE(::IsWindowVisible(animation));

  // A second command of the journal's button opens nothing more.
  HWND search = Search();
  Click(dialog_.m_hWnd, IDC_SEARCH);
  EXPECT_EQ(Search(), search);

  // Alt+S brings the focus back from the journal.
  ::SetFocus(::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR));
  ::PostMessageA(::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR), WM_SYSKEYDOWN, 'S', 1 | (1 << 29));
  Pump();
  EXPECT_TRUE(::IsChild(Search(), ::GetFocus()));
}

TEST_F(SearchTest, ListsWhatTheEngineFindsWithTheUnsavedEntryAmongIt) {
  WriteDiary();
  OpenJournalAt("200907", 20);
  // Typed and not saved: the search writes it first.
  ::SetWindowTextA(::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR), "夕方から雨が降った");
  OpenSearch();
  SearchFor("雨");

  const Rows rows = ListedRows();
  EXPECT_EQ(rows, EngineRows("雨", false));
  EXPECT_NE(std::find(rows.begin(), rows.end(), "2009/07/20 |雨が降った"), rows.end()) << "the entry on screen is found";
  EXPECT_EQ(rows.size(), 4u);
  EXPECT_EQ(StoredText(2009, 7, 20), "夕方から雨が降った");
  EXPECT_EQ(WindowText(Item(IDC_HIT_COUNT)), "4件");
  EXPECT_TRUE(Enabled(Item(IDC_VIEW_RESULT)));
  EXPECT_EQ(::GetFocus(), List());
  EXPECT_EQ(::SendMessageA(List(), LVM_GETITEMSTATE, 0, LVIS_FOCUSED), LVIS_FOCUSED) << "the first hit has the focus";
  // With the focus in the list, "表示" looks like the default button; in the
  // string's box, "検索" does.
  auto looksDefault = [&](int id) { return (::GetWindowLongA(Item(id), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; };
  EXPECT_TRUE(looksDefault(IDC_VIEW_RESULT));
  EXPECT_FALSE(looksDefault(IDC_SEARCH));
  ::SetFocus(Item(IDC_FIND_TEXT));
  EXPECT_TRUE(looksDefault(IDC_SEARCH));
  EXPECT_FALSE(looksDefault(IDC_VIEW_RESULT));

  // Letters in either case by default; the box makes case count.
  SearchFor("rain");
  EXPECT_EQ(ListedRows(), EngineRows("rain", false));
  EXPECT_EQ(ListedRows().size(), 2u);
  ::SendMessageA(Item(IDC_CASE_SENSITIVE), BM_CLICK, 0, 0);
  SearchFor("rain");
  EXPECT_EQ(ListedRows(), (Rows{"2010/01/01 |rain?"}));
  EXPECT_EQ(WindowText(Item(IDC_HIT_COUNT)), "1件");

  // Nothing found: an empty list, "0件", nothing to view; the string is
  // still remembered.
  SearchFor("台風");
  EXPECT_EQ(ListedRows(), Rows{});
  EXPECT_EQ(WindowText(Item(IDC_HIT_COUNT)), "0件");
  EXPECT_FALSE(Enabled(Item(IDC_VIEW_RESULT)));
  EXPECT_EQ(ProfileValue("Find Count"), "3");
  EXPECT_EQ(ProfileValue("Find3"), "台風");
  EXPECT_EQ(ComboItems(), (std::vector<std::string>{"台風", "rain", "雨"}));
}

TEST_F(SearchTest, RunningOutOfMemoryListsWhatWasFoundAndSaysSo) {
  WriteDiary();
  OpenJournalAt("200907", 20);
  OpenSearch();
  CSearchDlg::SetResultRoomForTesting(2);
  const auto boxes = boxes_.Run([&] { SearchFor("雨"); });
  CSearchDlg::SetResultRoomForTesting(-1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("メモリが不足しています。", 0), 0u) << boxes[0];
  EXPECT_EQ(ListedRows().size(), 2u);
  EXPECT_EQ(WindowText(Item(IDC_HIT_COUNT)), "2件");
  EXPECT_EQ(ProfileValue("Find1"), "雨");
  SearchFor("雨");
  EXPECT_EQ(ListedRows().size(), 3u) << "the next search has room again";
}

TEST_F(SearchTest, AnEmptyStringChangesNothing) {
  WriteDiary();
  OpenJournalAt("200907", 20);
  OpenSearch();
  SearchFor("雨");
  const Rows before = ListedRows();
  SearchFor("");
  EXPECT_EQ(ListedRows(), before);
  EXPECT_EQ(WindowText(Item(IDC_HIT_COUNT)), "3件");
  EXPECT_EQ(ProfileValue("Find Count"), "1");
  EXPECT_EQ(ComboItems(), std::vector<std::string>{"雨"});
}

TEST_F(SearchTest, ViewingAHitShowsItsDayAndKeepsTheWindow) {
  WriteDiary();
  OpenJournalAt("200907", 20);
  OpenSearch();
  SearchFor("聖夜");
  ASSERT_EQ(ListedRows(), (Rows{"2008/12/24 |聖夜"}));

  struct Way {
    const char* name;
    void (*view)(SearchTest* t);
  };
  const Way ways[] = {
      {"表示", [](SearchTest* t) { ::SendMessageA(t->Item(IDC_VIEW_RESULT), BM_CLICK, 0, 0); }},
      {"double click",
       [](SearchTest* t) {
         NMITEMACTIVATE click = {};
         click.hdr = {t->List(), IDC_RESULT_LIST, static_cast<UINT>(NM_DBLCLK)};
         ::SendMessageA(t->Search(), WM_NOTIFY, IDC_RESULT_LIST, reinterpret_cast<LPARAM>(&click));
       }},
      {"Enter in the list",
       [](SearchTest* t) {
         ::SetFocus(t->List());
         ::PostMessageA(t->List(), WM_KEYDOWN, VK_RETURN, 1);
         Pump();
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    dialog_.GoToDate("200907", 20);
    ASSERT_NE(Title().find("2009年 7月20日"), std::string::npos) << Title();
    way.view(this);
    EXPECT_NE(Title().find("2008年12月24日"), std::string::npos) << Title();
    EXPECT_EQ(WindowText(::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR)), "雨の聖夜");
    EXPECT_TRUE(dialog_.IsSearchOpen());
    EXPECT_EQ(ListedRows(), (Rows{"2008/12/24 |聖夜"}));
    EXPECT_EQ(ProfileValue("Find Count"), "1") << "viewing is no new search";
  }
}

TEST_F(SearchTest, DateClicksSortBothWaysAndTheExcerptColumnLeavesTheOrder) {
  WriteDiary();
  OpenJournalAt("200907", 20);
  OpenSearch();
  SearchFor("雨");
  Rows ascending = Dates();
  std::sort(ascending.begin(), ascending.end());
  Rows descending(ascending.rbegin(), ascending.rend());

  // The direction belongs to the program, not to this window: take the
  // order of the first click as it comes, then it alternates.
  ClickColumn(0);
  const Rows first = Dates();
  ASSERT_TRUE(first == ascending || first == descending);
  const Rows other = first == ascending ? descending : ascending;
  ClickColumn(1);
  EXPECT_EQ(Dates(), first) << "内容 compares nothing";
  ClickColumn(0);
  EXPECT_EQ(Dates(), other);
  // A new search lists in file order; the next click goes on alternating.
  SearchFor("雨");
  ClickColumn(0);
  EXPECT_EQ(Dates(), first);
}

TEST_F(SearchTest, TheHistoryComesFromTheProfileAndGoesBackToIt) {
  WriteProfile("[Find History]\r\nFind Count=3\r\nFind1=ABC\r\nFind2=def\r\nFind3=ghi\r\n");
  WriteDiary();
  OpenJournalAt("200907", 20);
  OpenSearch();
  EXPECT_EQ(ComboItems(), (std::vector<std::string>{"ghi", "def", "ABC"}));
  EXPECT_TRUE(Enabled(Item(IDC_CLEAR_HISTORY)));
  SearchFor("abc");
  EXPECT_EQ(ComboItems(), (std::vector<std::string>{"abc", "ghi", "def"}));
  EXPECT_EQ(ProfileValue("Find Count"), "3");
  EXPECT_EQ(ProfileValue("Find1"), "def");
  EXPECT_EQ(ProfileValue("Find3"), "abc");
  EXPECT_EQ(WindowText(Item(IDC_FIND_TEXT)), "abc") << "the newest is selected";

  // Clearing asks first; No keeps everything.
  EXPECT_EQ(boxes_.Run([&] { Click(Search(), IDC_CLEAR_HISTORY); }, IDNO),
            std::vector<std::string>{"検索に使用した文字列をすべて削除してよろしいですか?"});
  EXPECT_EQ(ComboItems().size(), 3u);
  EXPECT_EQ(ProfileValue("Find Count"), "3");
  // Yes: a count of 0, the keys kept empty, an empty box, the button off.
  boxes_.Run([&] { Click(Search(), IDC_CLEAR_HISTORY); }, IDYES);
  EXPECT_EQ(ProfileValue("Find Count"), "0");
  EXPECT_EQ(ProfileValue("Find1"), "");
  EXPECT_EQ(ProfileValue("Find3"), "");
  EXPECT_EQ(ComboItems(), std::vector<std::string>{});
  EXPECT_EQ(WindowText(Item(IDC_FIND_TEXT)), "");
  EXPECT_FALSE(Enabled(Item(IDC_CLEAR_HISTORY)));

  // Reopened, the box is unchecked and the search folds case again.
  ::SendMessageA(Item(IDC_CASE_SENSITIVE), BM_CLICK, 0, 0);
  ::SendMessageA(Search(), WM_COMMAND, IDCANCEL, 0);
  OpenSearch();
  EXPECT_EQ(::SendMessageA(Item(IDC_CASE_SENSITIVE), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SearchFor("RAIN");
  EXPECT_EQ(ListedRows().size(), 2u);
}

TEST_F(SearchTest, ClearingLeavesNoStringBehind) {
  // Three case variants stored apart are listed, but the history holds one:
  // clearing empties all three keys.
  WriteProfile("[Find History]\r\nFind Count=3\r\nFind1=Rain\r\nFind2=rain\r\nFind3=RAIN\r\n");
  OpenJournalAt("200907", 20);
  OpenSearch();
  EXPECT_EQ(ComboItems(), (std::vector<std::string>{"RAIN", "rain", "Rain"}));
  boxes_.Run([&] { Click(Search(), IDC_CLEAR_HISTORY); }, IDYES);
  EXPECT_EQ(ProfileValue("Find Count"), "0");
  for (const char* key : {"Find1", "Find2", "Find3"}) EXPECT_EQ(ProfileValue(key), "") << key;
  EXPECT_EQ(ProfileValue("Find4"), "(none)") << "no key is added";
}

TEST_F(SearchTest, ClosesEveryWayAndKeepsItsPlace) {
  OpenJournalAt("200907", 20);
  dialog_.MoveWindow(120, 80, 500, 340);
  struct Way {
    const char* name;
    void (*close)(HWND search);
  };
  const Way ways[] = {
      {"button", [](HWND s) { ::SendMessageA(::GetDlgItem(s, IDCANCEL), BM_CLICK, 0, 0); }},
      {"Escape", [](HWND s) { ::PostMessageA(::GetDlgItem(s, IDC_FIND_TEXT), WM_KEYDOWN, VK_ESCAPE, 1); }},
      {"close box", [](HWND s) { ::SendMessageA(s, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  int x = 200;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    OpenSearch();
    RECT rect{};
    ::GetWindowRect(Search(), &rect);
    ::MoveWindow(Search(), x, 60, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    way.close(Search());
    Pump();
    EXPECT_FALSE(dialog_.IsSearchOpen());
    EXPECT_TRUE(Enabled(::GetDlgItem(dialog_.m_hWnd, IDC_SEARCH)));
    EXPECT_EQ(dialog_.m_nSearchX, x);
    EXPECT_EQ(dialog_.m_nSearchY, 60);
    x += 10;
  }
  // Reopened where it was; from beyond the screen, at the journal's corner.
  OpenSearch();
  RECT rect{};
  ::GetWindowRect(Search(), &rect);
  EXPECT_EQ(rect.left, x - 10);
  EXPECT_EQ(rect.top, 60);
  ::SendMessageA(Search(), WM_COMMAND, IDCANCEL, 0);
  dialog_.m_nSearchX = ::GetSystemMetrics(SM_CXSCREEN) + 1;
  dialog_.m_nSearchY = ::GetSystemMetrics(SM_CYSCREEN) + 1;
  OpenSearch();
  ::GetWindowRect(Search(), &rect);
  EXPECT_EQ(rect.left, 120);
  EXPECT_EQ(rect.top, 80);
  EXPECT_EQ(dialog_.m_nSearchX, 120);
  EXPECT_EQ(dialog_.m_nSearchY, 80);
}

}  // namespace
