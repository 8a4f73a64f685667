// Window captures that a person can look at afterwards (24-bit .bmp files), and
// the pixels themselves for checks.
//
// Under Wine PrintWindow gives a blank picture, so a capture copies the screen
// (GetDC(NULL)) where the window is, after bringing it to the top and letting
// it paint. Captures go to the folder named by the environment variable
// E2E_CAPTURE_DIR (a Windows or a Unix path), else to the build tree's
// tests/e2e/captures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // rows top to bottom, 3 bytes a pixel, no padding

  bool empty() const { return width <= 0 || height <= 0; }
  COLORREF Pixel(int x, int y) const;
  // Every pixel the same colour: what a failed capture looks like.
  bool IsUniform() const;
};

// The screen inside area (clipped to the screen); empty on failure.
Image GrabScreen(const RECT& area);
bool SaveBmp(const Image& image, std::string_view path);
// Reads an uncompressed 24-bit .bmp (what SaveBmp writes).
std::optional<Image> LoadBmp(std::string_view path);

// Where captures go; the folder is made if needed.
std::string CaptureDirectory();
// <capture folder>\<Suite>.<Test>-<name>.bmp inside a test, else <name>.bmp.
std::string CapturePath(std::string_view name);

// Restores the window if minimised and puts it on top of the others.
void BringToTop(HWND window);
// The window with its frame, after BringToTop and a repaint; the grab is
// repeated until two in a row agree, so the picture is a settled one.
Image GrabWindow(HWND window);
// GrabWindow saved as CapturePath(name); the file's path, "" on failure.
std::string CaptureWindow(HWND window, std::string_view name);
// Drops the list of the combo box down, captures the area covering the dialog
// and the list, and closes the list again. The file's path, "" on failure
// (also when no dropped list appeared).
std::string CaptureComboDropDown(HWND dialog, int combo_id, std::string_view name);

}  // namespace e2e
