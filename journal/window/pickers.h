// The weather and mood pickers: owner-drawn drop-down lists of pictures.
// The list position, the item data and the stored index are the same number.
#pragma once

#include "framework/framework.h"

constexpr int kPickerItemHeight = 15;
constexpr int kWeatherItemCount = 28;
constexpr int kMoodItemCount = 4;

class CWeatherCombo : public CComboBox {
 public:
  // Sets the item heights and adds the 28 weather items.
  void Fill();
  void DrawItem(DRAWITEMSTRUCT* item) override;
  void MeasureItem(MEASUREITEMSTRUCT* item) override;
};

class CMoodCombo : public CComboBox {
 public:
  // Sets the item heights and adds the 4 faces.
  void Fill();
  void DrawItem(DRAWITEMSTRUCT* item) override;
  void MeasureItem(MEASUREITEMSTRUCT* item) override;
};
