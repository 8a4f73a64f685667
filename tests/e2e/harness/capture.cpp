#include "harness/capture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "harness/files.h"
#include "harness/process.h"
#include "harness/ui.h"
#include "harness/wait.h"

#ifndef E2E_DEFAULT_CAPTURE_DIR
#define E2E_DEFAULT_CAPTURE_DIR "captures"
#endif

namespace e2e {
namespace {

size_t BmpStride(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

bool Responds(HWND window) {
  DWORD_PTR result = 0;
  return window && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

// Repeats the grab until two in a row agree (painting has finished and Wine
// has put the pixels on the screen), at most about a second.
Image SettledGrab(const RECT& area) {
  Image last = GrabScreen(area);
  for (int attempt = 0; attempt < 20; ++attempt) {
    Sleep(50);
    Image next = GrabScreen(area);
    const bool same = next.width == last.width && next.height == last.height && next.bgr == last.bgr;
    last = std::move(next);
    if (same) break;
  }
  return last;
}

void Repaint(HWND window) {
  if (Responds(window)) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}

// A visible top-level dropped list (class ComboLBox) of the process.
HWND FindDroppedList(DWORD pid) {
  HWND list = nullptr;
  while ((list = FindWindowExA(nullptr, list, "ComboLBox", nullptr)) != nullptr) {
    if (IsWindowVisible(list) && WindowProcessId(list) == pid) return list;
  }
  return nullptr;
}

std::string SafeFileName(std::string name) {
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsDBCSLeadByte(c) && i + 1 < name.size()) {
      ++i;
    } else if (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) {
      name[i] = '_';
    }
  }
  return name;
}

std::string SaveCapture(const Image& image, std::string_view name) {
  if (image.empty()) return {};
  const std::string path = CapturePath(name);
  return SaveBmp(image, path) ? path : std::string();
}

}  // namespace

COLORREF Image::Pixel(int x, int y) const {
  const size_t at = (static_cast<size_t>(y) * width + x) * 3;
  return RGB(bgr[at + 2], bgr[at + 1], bgr[at]);
}

bool Image::IsUniform() const {
  for (size_t i = 3; i + 2 < bgr.size(); i += 3) {
    if (bgr[i] != bgr[0] || bgr[i + 1] != bgr[1] || bgr[i + 2] != bgr[2]) return false;
  }
  return true;
}

Image GrabScreen(const RECT& area) {
  PrepareDesktop();
  Image image;
  RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT r;
  if (!IntersectRect(&r, &area, &screen)) return image;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;

  HDC screen_dc = GetDC(nullptr);
  if (!screen_dc) return image;
  HDC memory = CreateCompatibleDC(screen_dc);
  HBITMAP bitmap = CreateCompatibleBitmap(screen_dc, width, height);
  bool ok = false;
  std::vector<std::uint8_t> padded(BmpStride(width) * height);
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen_dc, r.left, r.top, SRCCOPY | CAPTUREBLT) != FALSE;
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    ok = ok && GetDIBits(memory, bitmap, 0, height, padded.data(), &info, DIB_RGB_COLORS) == height;
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen_dc);
  if (!ok) return image;

  image.width = width;
  image.height = height;
  image.bgr.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    std::memcpy(&image.bgr[static_cast<size_t>(y) * width * 3], &padded[BmpStride(width) * y],
                static_cast<size_t>(width) * 3);
  }
  return image;
}

bool SaveBmp(const Image& image, std::string_view path) {
  if (image.empty()) return false;
  const size_t stride = BmpStride(image.width);
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + stride * image.height);
  info.biSize = sizeof info;
  info.biWidth = image.width;
  info.biHeight = image.height;  // bottom-up, the usual kind
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * image.height);

  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  std::string row(stride, '\0');
  for (int y = image.height - 1; y >= 0; --y) {
    std::memcpy(row.data(), &image.bgr[static_cast<size_t>(y) * image.width * 3],
                static_cast<size_t>(image.width) * 3);
    bytes += row;
  }
  return MakeDirectories(DirectoryPart(path)) && WriteFileBytes(path, bytes);
}

std::optional<Image> LoadBmp(std::string_view path) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  if (!bytes || bytes->size() < sizeof file + sizeof info) return std::nullopt;
  std::memcpy(&file, bytes->data(), sizeof file);
  std::memcpy(&info, bytes->data() + sizeof file, sizeof info);
  if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biCompression != BI_RGB ||
      info.biWidth <= 0 || info.biHeight == 0) {
    return std::nullopt;
  }
  Image image;
  image.width = info.biWidth;
  image.height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
  const size_t stride = BmpStride(image.width);
  if (file.bfOffBits + stride * image.height > bytes->size()) return std::nullopt;
  image.bgr.resize(static_cast<size_t>(image.width) * image.height * 3);
  for (int y = 0; y < image.height; ++y) {
    const int source_row = info.biHeight < 0 ? y : image.height - 1 - y;
    std::memcpy(&image.bgr[static_cast<size_t>(y) * image.width * 3],
                bytes->data() + file.bfOffBits + stride * source_row,
                static_cast<size_t>(image.width) * 3);
  }
  return image;
}

std::string CaptureDirectory() {
  char value[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableA("E2E_CAPTURE_DIR", value, sizeof value);
  const std::string dir =
      WinePathFromUnix(n > 0 && n < sizeof value ? std::string(value, n) : E2E_DEFAULT_CAPTURE_DIR);
  MakeDirectories(dir);
  return dir;
}

std::string CapturePath(std::string_view name) {
  std::string file;
  if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
    file = std::string(test->test_suite_name()) + "." + test->name() + "-";
  }
  file += std::string(name) + ".bmp";
  return JoinPath(CaptureDirectory(), SafeFileName(file));
}

void BringToTop(HWND window) {
  if (!window) return;
  if (IsIconic(window)) {
    ShowWindowAsync(window, SW_RESTORE);
    WaitUntil([&] { return !IsIconic(window); }, kDefaultTimeoutMs);
  }
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(window);
}

Image GrabWindow(HWND window) {
  if (!window || !IsWindow(window)) return {};
  BringToTop(window);
  Repaint(window);
  return SettledGrab(WindowRect(window));
}

std::string CaptureWindow(HWND window, std::string_view name) {
  return SaveCapture(GrabWindow(window), name);
}

std::string CaptureComboDropDown(HWND dialog, int combo_id, std::string_view name) {
  HWND combo = dialog ? GetDlgItem(dialog, combo_id) : nullptr;
  if (!combo) return {};
  // Raise the dialog first: raising it later would take the focus from the
  // combo box, which closes the list.
  BringToTop(dialog);
  Repaint(dialog);
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(combo, CB_SHOWDROPDOWN, TRUE, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
    return {};
  }
  HWND list = nullptr;
  WaitUntil([&] { return (list = FindDroppedList(WindowProcessId(dialog))) != nullptr; }, 2000);
  std::string path;
  if (list) {
    RECT area;
    const RECT dialog_rect = WindowRect(dialog);
    const RECT list_rect = WindowRect(list);
    UnionRect(&area, &dialog_rect, &list_rect);
    path = SaveCapture(SettledGrab(area), name);
  }
  SendMessageTimeoutA(combo, CB_SHOWDROPDOWN, FALSE, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
  return path;
}

}  // namespace e2e
