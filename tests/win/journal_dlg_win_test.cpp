// The main dialog hosted in the test's own process, for what another process
// cannot see under Wine: the system menu, the editor font, the answer to the
// instance query.
#include "journal/window/journal_dlg.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "journal/app/journal_app.h"
#include "journal/res/resource.h"

namespace {

class JournalDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AfxWinInit(::GetModuleHandleA(nullptr));
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    profile_ = std::string(temp) + "vorta-dialog-test-" + std::to_string(::GetCurrentProcessId()) + ".INI";
    ::DeleteFileA(profile_.c_str());
    AfxGetApp()->m_pszProfileName = profile_;
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

}  // namespace
