#include "journal/window/pickers.h"

#include "journal/res/resource.h"

namespace {

struct Icon {
  int image;
  int mask;
};
constexpr Icon kSun{IDB_SUN, IDB_SUN_MASK};
constexpr Icon kCloud{IDB_CLOUD, IDB_CLOUD_MASK};
constexpr Icon kUmbrella{IDB_UMBRELLA, IDB_UMBRELLA_MASK};
constexpr Icon kSnowman{IDB_SNOWMAN, IDB_SNOWMAN_MASK};
constexpr Icon kSlash{IDB_SLASH, IDB_SLASH_MASK};
constexpr Icon kArrow{IDB_ARROW, IDB_ARROW_MASK};
constexpr Icon kNone{0, 0};

constexpr int kIconWidth = 12;

// Weather items: one picture, or a weather, a connector and a weather. The
// order is fixed: stored indexes refer to it.
struct WeatherItem {
  Icon first, connector, second;
};
constexpr WeatherItem kWeatherItems[kWeatherItemCount] = {
    {kSun, kNone, kNone},           {kCloud, kNone, kNone},         {kUmbrella, kNone, kNone},
    {kSnowman, kNone, kNone},       {kSun, kSlash, kCloud},         {kSun, kSlash, kUmbrella},
    {kCloud, kSlash, kSun},         {kCloud, kSlash, kUmbrella},    {kUmbrella, kSlash, kSun},
    {kUmbrella, kSlash, kCloud},    {kSun, kArrow, kCloud},         {kSun, kArrow, kUmbrella},
    {kCloud, kArrow, kSun},         {kCloud, kArrow, kUmbrella},    {kUmbrella, kArrow, kSun},
    {kUmbrella, kArrow, kCloud},    {kSnowman, kSlash, kSun},       {kSnowman, kSlash, kCloud},
    {kSnowman, kSlash, kUmbrella},  {kSun, kSlash, kSnowman},       {kCloud, kSlash, kSnowman},
    {kUmbrella, kSlash, kSnowman},  {kSnowman, kArrow, kSun},       {kSnowman, kArrow, kCloud},
    {kSnowman, kArrow, kUmbrella},  {kSun, kArrow, kSnowman},       {kCloud, kArrow, kSnowman},
    {kUmbrella, kArrow, kSnowman},
};

// Mood item → face picture. Item 2 is the sad face (144), item 3 the angry one (143).
constexpr int kMoodFaces[kMoodItemCount] = {IDB_FACE_LAUGHING, IDB_FACE_PLAIN, IDB_FACE_SAD, IDB_FACE_ANGRY};

// Paints the item's background: the highlight colour when selected.
void FillBackground(const DRAWITEMSTRUCT* item) {
  const int colour = (item->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW;
  ScopedGdiObj<HBRUSH> brush(::CreateSolidBrush(::GetSysColor(colour)));
  ::FillRect(item->hDC, &item->rcItem, brush.get());
  ::SetBkMode(item->hDC, TRANSPARENT);
}

// Draws one icon through its mask: the mask clears the icon's shape, the image
// is then XORed into it, so the background shows everywhere else.
void DrawIcon(const DRAWITEMSTRUCT* item, Icon icon, int x, int y) {
  if (icon.image == 0) return;
  HINSTANCE instance = AfxGetInstanceHandle();
  ScopedGdiObj<HBITMAP> image(::LoadBitmapA(instance, MAKEINTRESOURCEA(icon.image)));
  ScopedGdiObj<HBITMAP> mask(::LoadBitmapA(instance, MAKEINTRESOURCEA(icon.mask)));
  if (!image || !mask) return;
  ScopedMemoryDC imageDC(item->hDC);
  ScopedMemoryDC maskDC(item->hDC);
  ScopedSelect selectImage(imageDC.get(), image.get());
  ScopedSelect selectMask(maskDC.get(), mask.get());
  const int width = item->rcItem.right - item->rcItem.left;
  const int height = item->rcItem.bottom - item->rcItem.top;
  ::BitBlt(item->hDC, x, y, width, height, maskDC.get(), 0, 0, SRCAND);
  ::BitBlt(item->hDC, x, y, width, height, imageDC.get(), 0, 0, SRCINVERT);
}

void FillCombo(CComboBox& combo, int count) {
  combo.SetItemHeight(0, kPickerItemHeight);
  combo.SetItemHeight(-1, kPickerItemHeight);
  for (int i = 0; i < count; ++i) combo.AddString(i);
}

}  // namespace

void CWeatherCombo::Fill() { FillCombo(*this, kWeatherItemCount); }

void CWeatherCombo::MeasureItem(MEASUREITEMSTRUCT* item) { item->itemHeight = kPickerItemHeight; }

void CWeatherCombo::DrawItem(DRAWITEMSTRUCT* item) {
  FillBackground(item);
  // An empty selection field (a stored index outside the list) shows nothing.
  if (item->itemID == static_cast<UINT>(-1) || item->itemData >= static_cast<ULONG_PTR>(kWeatherItemCount)) return;
  const WeatherItem& w = kWeatherItems[item->itemData];
  const int x = item->rcItem.left + 1;
  const int y = item->rcItem.top + 1;
  DrawIcon(item, w.first, x, y);
  DrawIcon(item, w.connector, x + kIconWidth, y);
  DrawIcon(item, w.second, x + 2 * kIconWidth, y);
}

void CMoodCombo::Fill() { FillCombo(*this, kMoodItemCount); }

void CMoodCombo::MeasureItem(MEASUREITEMSTRUCT* item) { item->itemHeight = kPickerItemHeight; }

void CMoodCombo::DrawItem(DRAWITEMSTRUCT* item) {
  FillBackground(item);
  if (item->itemID == static_cast<UINT>(-1) || item->itemData >= static_cast<ULONG_PTR>(kMoodItemCount)) return;
  DrawIcon(item, Icon{kMoodFaces[item->itemData], IDB_FACE_MASK}, item->rcItem.left + 1, item->rcItem.top + 1);
}
