// The main dialog hosted in the test's own process, for what another process
// cannot see under Wine: the system menu, the editor font, the answer to the
// instance query.
#include "journal/window/journal_dlg.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>
#include <imm.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "journal/app/journal_app.h"
#include "journal/res/resource.h"
#include "journal/window/pickers.h"
#include "tests/win/dialog_test_support.h"

namespace {

class JournalDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_ = UseTemporaryProfile("dialog-test");
  }
  void TearDown() override {
    if (dialog_.m_hWnd) dialog_.DestroyWindow();
    ::DeleteFileA(profile_.c_str());
  }

  void Open(int fontSizeItem) {
    dialog_.m_nFontSizeItem = fontSizeItem;
    ASSERT_TRUE(dialog_.Create(IDD_JOURNAL));
    sysMenu_ = ::GetSystemMenu(dialog_.m_hWnd, FALSE);
    ASSERT_NE(sysMenu_, nullptr);
  }

  HMENU FontMenu() const {
    for (int i = 0; i < ::GetMenuItemCount(sysMenu_); ++i)
      if (HMENU sub = ::GetSubMenu(sysMenu_, i)) return sub;
    return nullptr;
  }
  std::string ItemText(HMENU menu, UINT item, UINT flags) const {
    char text[128] = {};
    ::GetMenuStringA(menu, item, text, sizeof text, flags);
    return text;
  }
  UINT State(HMENU menu, UINT item, UINT flags) const { return ::GetMenuState(menu, item, flags); }
  LONG EditorFontHeight() const {
    LOGFONTA font{};
    HFONT handle = reinterpret_cast<HFONT>(::SendMessageA(::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR), WM_GETFONT, 0, 0));
    ::GetObjectA(handle, sizeof font, &font);
    return font.lfHeight;
  }
  LONG HeightOfPoints(int points) const {
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return -::MulDiv(points, dpi, 72);
  }

  std::string profile_;
  CJournalDlg dialog_;
  HMENU sysMenu_ = nullptr;
};

TEST_F(JournalDialogTest, SystemMenuOnFirstStart) {
  Open(IDM_FONT_MEDIUM);
  // No Maximize; Restore grayed, Minimize enabled.
  EXPECT_EQ(State(sysMenu_, SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_TRUE(State(sysMenu_, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_FALSE(State(sysMenu_, 3, MF_BYPOSITION) & MF_GRAYED);

  HMENU font = FontMenu();
  ASSERT_NE(font, nullptr);
  const struct { UINT id; const char* text; } items[] = {
      {32, "最大"}, {48, "大"}, {64, "中"}, {80, "小"}, {96, "最小"}};
  ASSERT_EQ(::GetMenuItemCount(font), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(::GetMenuItemID(font, i), items[i].id);
    EXPECT_EQ(ItemText(font, items[i].id, MF_BYCOMMAND), items[i].text);
    EXPECT_EQ((State(font, items[i].id, MF_BYCOMMAND) & MF_CHECKED) != 0, items[i].id == 64) << items[i].text;
  }
  EXPECT_EQ(ItemText(sysMenu_, IDM_ABOUTBOX, MF_BYCOMMAND), "バージョン情報 (&A)...");
  bool fontPopupFound = false;
  for (int i = 0; i < ::GetMenuItemCount(sysMenu_); ++i)
    if (::GetSubMenu(sysMenu_, i) == font) fontPopupFound = ItemText(sysMenu_, i, MF_BYPOSITION) == "文字のサイズ(&F)";
  EXPECT_TRUE(fontPopupFound);
  EXPECT_EQ(EditorFontHeight(), HeightOfPoints(12));
}

TEST_F(JournalDialogTest, ChoosingAFontSize) {
  Open(IDM_FONT_MEDIUM);
  HMENU font = FontMenu();
  dialog_.SendMessage(WM_SYSCOMMAND, IDM_FONT_LARGEST);
  EXPECT_EQ(dialog_.m_nFontSizeItem, IDM_FONT_LARGEST);
  EXPECT_TRUE(State(font, IDM_FONT_LARGEST, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(State(font, IDM_FONT_MEDIUM, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(EditorFontHeight(), HeightOfPoints(16));

  // The checked item again changes nothing.
  dialog_.SendMessage(WM_SYSCOMMAND, IDM_FONT_LARGEST);
  EXPECT_EQ(dialog_.m_nFontSizeItem, IDM_FONT_LARGEST);
  EXPECT_EQ(EditorFontHeight(), HeightOfPoints(16));

  dialog_.SendMessage(WM_SYSCOMMAND, IDM_FONT_SMALLEST);
  EXPECT_EQ(EditorFontHeight(), HeightOfPoints(8));
  EXPECT_FALSE(State(font, IDM_FONT_LARGEST, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(JournalDialogTest, SavedSizeAndFaceAreApplied) {
  ASSERT_TRUE(AfxGetApp()->WriteProfileString("FONT", "NAME", "IPAGothic"));
  Open(IDM_FONT_SMALL);
  EXPECT_TRUE(State(FontMenu(), IDM_FONT_SMALL, MF_BYCOMMAND) & MF_CHECKED);
  LOGFONTA font{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR), WM_GETFONT, 0, 0)),
               sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "IPAGothic");
  EXPECT_EQ(font.lfHeight, HeightOfPoints(10));
}

TEST_F(JournalDialogTest, DamagedFontSizeIsTakenAsMedium) {
  // SC_CLOSE is a system command too: a damaged profile must not close the window.
  Open(SC_CLOSE);
  EXPECT_TRUE(::IsWindow(dialog_.m_hWnd));
  EXPECT_EQ(dialog_.m_nFontSizeItem, IDM_FONT_MEDIUM);
  EXPECT_TRUE(State(FontMenu(), IDM_FONT_MEDIUM, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(JournalDialogTest, InstanceQueryAndMinimiseState) {
  Open(IDM_FONT_MEDIUM);
  EXPECT_EQ(dialog_.SendMessage(kInstanceQueryMessage, 12345, 0), -1);
  dialog_.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
  EXPECT_TRUE(::IsIconic(dialog_.m_hWnd));
  EXPECT_FALSE(State(sysMenu_, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(State(sysMenu_, 3, MF_BYPOSITION) & MF_GRAYED);
  // Minimising recorded the window's rectangle.
  EXPECT_GT(dialog_.m_nWindowCX, 0);
  EXPECT_GT(dialog_.m_nWindowCY, 0);

  EXPECT_EQ(dialog_.SendMessage(kInstanceQueryMessage, kInstanceQueryCode, 0),
            static_cast<LRESULT>(kInstanceQueryCode));
  EXPECT_TRUE(State(sysMenu_, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_FALSE(State(sysMenu_, 3, MF_BYPOSITION) & MF_GRAYED);

  // The session may end: the journal agrees and enables Minimize again.
  dialog_.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
  ASSERT_TRUE(State(sysMenu_, 3, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_NE(dialog_.SendMessage(WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_FALSE(State(sysMenu_, 3, MF_BYPOSITION) & MF_GRAYED);
}

TEST_F(JournalDialogTest, PickersHoldTheirItems) {
  Open(IDM_FONT_MEDIUM);
  HWND weather = ::GetDlgItem(dialog_.m_hWnd, IDC_WEATHER);
  HWND mood = ::GetDlgItem(dialog_.m_hWnd, IDC_MOOD);
  ASSERT_EQ(::SendMessageA(weather, CB_GETCOUNT, 0, 0), 28);
  ASSERT_EQ(::SendMessageA(mood, CB_GETCOUNT, 0, 0), 4);
  for (int i = 0; i < 28; ++i) EXPECT_EQ(::SendMessageA(weather, CB_GETITEMDATA, i, 0), i);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(::SendMessageA(mood, CB_GETITEMDATA, i, 0), i);
  EXPECT_EQ(::SendMessageA(weather, CB_GETITEMHEIGHT, 0, 0), 15);
  EXPECT_EQ(::SendMessageA(mood, CB_GETITEMHEIGHT, 3, 0), 15);
  // The selection field: Wine adds its border to what was set.
  EXPECT_GE(::SendMessageA(weather, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 15);
}

// The pixels of a bitmap resource as 0x00RRGGBB, row by row from the top.
std::vector<std::uint32_t> ResourcePixels(int id, int* width = nullptr) {
  HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
  if (!bitmap) return {};
  BITMAP info{};
  ::GetObjectA(bitmap, sizeof info, &info);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = info.bmWidth;
  format.bmiHeader.biHeight = -info.bmHeight;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC dc = ::GetDC(nullptr);
  ::GetDIBits(dc, bitmap, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, dc);
  ::DeleteObject(bitmap);
  if (width) *width = info.bmWidth;
  for (auto& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// One picker item drawn into a 40 x 15 picture on the window colour.
class DrawnItem {
 public:
  DrawnItem(CComboBox& picker, int item, bool selected) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = kWidth;
    format.bmiHeader.biHeight = -kPickerItemHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    HDC screen = ::GetDC(nullptr);
    dc_ = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(dc_, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const std::uint32_t*>(bits);
    old_ = ::SelectObject(dc_, bitmap_);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_COMBOBOX;
    draw.itemID = static_cast<UINT>(item);
    draw.itemData = static_cast<ULONG_PTR>(item);
    draw.itemState = selected ? ODS_SELECTED : 0;
    draw.hDC = dc_;
    draw.rcItem = {0, 0, kWidth, kPickerItemHeight};
    picker.DrawItem(&draw);
    ::GdiFlush();
  }
  ~DrawnItem() {
    ::SelectObject(dc_, old_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
  }
  std::uint32_t At(int x, int y) const { return bits_[y * kWidth + x] & 0xFFFFFF; }

  // Whether the 12 x 12 cell at (x, y) shows `image` through `mask` on `background`.
  bool ShowsIcon(int x, int y, int image, int mask, std::uint32_t background) const {
    const auto picture = ResourcePixels(image);
    const auto shape = ResourcePixels(mask);
    if (picture.size() != 144 || shape.size() != 144) return false;
    for (int row = 0; row < 12; ++row)
      for (int col = 0; col < 12; ++col) {
        const bool inside = shape[row * 12 + col] == 0;  // black in the mask: the icon's shape
        if (At(x + col, y + row) != (inside ? picture[row * 12 + col] : background)) return false;
      }
    return true;
  }

  static constexpr int kWidth = 40;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  const std::uint32_t* bits_ = nullptr;
};

std::uint32_t SystemColour(int index) {
  const COLORREF c = ::GetSysColor(index);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST(PickerPictures, EachItemShowsItsIconsThroughTheirMasks) {
  AfxWinInit(::GetModuleHandleA(nullptr));
  constexpr int kSun = 131, kCloud = 133, kUmbrella = 135, kSnowman = 137, kSlash = 146, kArrow = 147;
  const auto mask = [](int image) { return image == kSlash ? 149 : image == kArrow ? 148 : image + 1; };
  const struct {
    int item;
    std::vector<int> icons;
  } weathers[] = {
      {0, {kSun}},  {3, {kSnowman}},  {4, {kSun, kSlash, kCloud}},  {10, {kSun, kArrow, kCloud}},
      {21, {kUmbrella, kSlash, kSnowman}},  {27, {kUmbrella, kArrow, kSnowman}},
  };
  CWeatherCombo weather;
  for (const auto& w : weathers) {
    for (bool selected : {false, true}) {
      SCOPED_TRACE("weather " + std::to_string(w.item) + (selected ? " selected" : ""));
      const DrawnItem drawn(weather, w.item, selected);
      const std::uint32_t background = SystemColour(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
      EXPECT_EQ(drawn.At(0, 0), background);
      for (size_t i = 0; i < w.icons.size(); ++i)
        EXPECT_TRUE(drawn.ShowsIcon(1 + 12 * static_cast<int>(i), 1, w.icons[i], mask(w.icons[i]), background)) << i;
      if (w.icons.size() == 1) {
        EXPECT_EQ(drawn.At(20, 6), background) << "one icon only";
      }
    }
  }
  // Past the last item nothing but the background is drawn.
  const DrawnItem none(weather, 28, false);
  for (int x = 0; x < DrawnItem::kWidth; ++x) EXPECT_EQ(none.At(x, 6), SystemColour(COLOR_WINDOW));

  // The faces: item 2 is image 144, item 3 image 143, all through mask 145.
  const int faces[] = {141, 142, 144, 143};
  CMoodCombo mood;
  for (int item = 0; item < 4; ++item) {
    SCOPED_TRACE("mood " + std::to_string(item));
    const DrawnItem drawn(mood, item, false);
    EXPECT_TRUE(drawn.ShowsIcon(1, 1, faces[item], 145, SystemColour(COLOR_WINDOW)));
  }
}

TEST_F(JournalDialogTest, EditorIsReadyForJapaneseInput) {
  Open(IDM_FONT_MEDIUM);
  HWND editor = ::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR);
  EXPECT_EQ(::GetFocus(), editor);
  EXPECT_EQ(::SendMessageA(editor, EM_GETLIMITTEXT, 0, 0), 5120);
  HIMC imc = ::ImmGetContext(editor);
  ASSERT_NE(imc, nullptr);
  EXPECT_TRUE(::ImmGetOpenStatus(imc));
  ::ImmReleaseContext(editor, imc);
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog_.m_hWnd, IDC_LIST_VIEWER)));
}

// The editor counts characters, a day stores at most 5119 bytes: what would
// not be stored is refused as it is typed or pasted.
TEST_F(JournalDialogTest, EditorRefusesTextThatCannotBeStored) {
  Open(IDM_FONT_MEDIUM);
  HWND editor = ::GetDlgItem(dialog_.m_hWnd, IDC_EDITOR);
  const std::string fits(5117, 'a');
  ::SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fits.c_str()));
  EXPECT_EQ(::GetWindowTextLengthA(editor), 5117);
  // One double-byte character more would make 5119 bytes: it fits.
  ::SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\x82\xa0"));
  EXPECT_EQ(::GetWindowTextLengthA(editor), 5119);
  // Another one would not: it is refused and the text stays as it was.
  ::SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\x82\xa2"));
  auto text = [&] {
    std::string t(8000, '\0');
    t.resize(static_cast<size_t>(::GetWindowTextA(editor, t.data(), static_cast<int>(t.size()))));
    return t;
  };
  EXPECT_TRUE(text() == fits + "\x82\xa0") << "length " << text().size();

  // A paste in the middle loses its end, in whole characters, to what fits;
  // the text around it stays and the caret stands after what was kept.
  ::SetWindowTextA(editor, "head tail!");
  ::SendMessageA(editor, EM_SETSEL, 5, 5);
  auto units = [](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "\x82\xa0" "1";  // "あ1"
    return s;
  };
  const std::string paste = "x" + units(2000);  // 6001 bytes: 892 too many
  ::SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(paste.c_str()));
  const std::string kept = "x" + units(1702) + "\x82\xa0";
  const std::string after = text();
  EXPECT_EQ(after.size(), 5119u);
  EXPECT_TRUE(after == "head " + kept + "tail!");
  DWORD caret = 0;
  ::SendMessageA(editor, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  EXPECT_EQ(caret, 5u + 1 + 2 * 1702 + 1) << "characters before the caret";
}

// While a modal dialog runs the framework's loop, a modeless dialog on the
// same thread still gets its keyboard interface: Tab moves its focus.
TEST_F(JournalDialogTest, ModalLoopServesAModelessDialog) {
  Open(IDM_FONT_MEDIUM);
  static HWND s_modeless, s_start, s_focusAfterTab;
  static int s_ticks;
  s_modeless = dialog_.m_hWnd;
  s_start = ::GetDlgItem(s_modeless, IDC_TODAY);
  s_focusAfterTab = nullptr;
  s_ticks = 0;
  CJournalDlg modal;
  modal.m_nFontSizeItem = IDM_FONT_MEDIUM;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND modalWindow = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM found) -> BOOL {
          if (hwnd == s_modeless || !::GetDlgItem(hwnd, IDC_EDITOR) || !::IsWindowVisible(hwnd)) return TRUE;
          *reinterpret_cast<HWND*>(found) = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&modalWindow));
    if (!modalWindow) return;
    switch (++s_ticks) {
      case 1:
        ::SetActiveWindow(s_modeless);
        ::SetFocus(s_start);
        ::PostMessageA(s_start, WM_KEYDOWN, VK_TAB, 0x000F0001);
        break;
      case 2:
        s_focusAfterTab = ::GetFocus();
        ::PostMessageA(modalWindow, WM_COMMAND, IDCANCEL, 0);
        break;
    }
  });
  EXPECT_EQ(modal.DoModal(), IDCANCEL);
  ::KillTimer(nullptr, timer);
  ASSERT_EQ(s_ticks, 2);
  EXPECT_NE(s_focusAfterTab, s_start);
  EXPECT_NE(s_focusAfterTab, nullptr);
  EXPECT_EQ(::GetParent(s_focusAfterTab), s_modeless);
}

TEST_F(JournalDialogTest, ToolTipsNameEachButton) {
  Open(IDM_FONT_MEDIUM);
  HWND tooltip = nullptr;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM found) -> BOOL {
        char cls[64] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (std::string(cls) != TOOLTIPS_CLASSA) return TRUE;
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&tooltip));
  ASSERT_NE(tooltip, nullptr);
  const std::map<int, std::string> expected = {
      {IDC_PREV_DAY, "前の日へ （Alt + Left Arrow）"},
      {IDC_TODAY, "今日へ"},
      {IDC_NEXT_DAY, "次の日へ （Alt + Right Arrow）"},
      {IDOK, "保存終了"},
      {IDC_ANNIVERSARY, "チェックを付けるとカレンダーで緑色表示されます"},
      {IDC_PREV_YEAR, "前の年へ"},
      {IDC_NEXT_YEAR, "次の年へ"},
      {IDC_PREV_MONTH, "前の月へ"},
      {IDC_NEXT_MONTH, "次の月へ"},
      {IDC_CALENDAR, "カレンダーを表示する"},
  };
  std::map<int, std::string> found;
  const int count = static_cast<int>(::SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(::SendMessageA(tooltip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool)));
    found[::GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))] = text;
  }
  EXPECT_EQ(found, expected);
  EXPECT_EQ(::SendMessageA(tooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 300);
}

}  // namespace
