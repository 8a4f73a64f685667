// The framework's link between windows and their objects: an object that
// deletes itself with its window, even in the middle of its own message, is
// never written to afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "framework/framework.h"

namespace {

constexpr UINT kCloseNested = WM_APP + 1;  // destroys the window from inside a second message
constexpr unsigned char kFreed = 0xDD;

// A window object that deletes itself when its window is gone. Its memory is
// not given back but filled with kFreed, so that any later write shows.
class SelfDeleting : public CWnd {
 public:
  static void* operator new(std::size_t size) { return ::operator new(size); }
  static void operator delete(void* p, std::size_t size) {
    std::memset(p, kFreed, size);
    s_freed = static_cast<unsigned char*>(p);
    s_size = size;
  }

  static inline unsigned char* s_freed = nullptr;
  static inline std::size_t s_size = 0;
  static inline int s_deletions = 0;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kCloseNested) {
      // The outer message is still being handled while the window goes.
      SendMessage(WM_APP + 2);
      return 0;
    }
    if (message == WM_APP + 2) {
      DestroyWindow();
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
  void PostNcDestroy() override {
    ++s_deletions;
    delete this;
  }
};

TEST(FrameworkTest, AnObjectDeletedInItsOwnMessageIsLeftAlone) {
  auto* object = new SelfDeleting;
  ASSERT_TRUE(object->CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  HWND hwnd = object->m_hWnd;
  ASSERT_EQ(CWnd::FromHandle(hwnd), object);

  ::SendMessageA(hwnd, kCloseNested, 0, 0);

  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(SelfDeleting::s_deletions, 1);
  ASSERT_EQ(static_cast<void*>(SelfDeleting::s_freed), static_cast<void*>(object));
  for (std::size_t i = 0; i < SelfDeleting::s_size; ++i)
    ASSERT_EQ(SelfDeleting::s_freed[i], kFreed) << "byte " << i << " written after the object was deleted";
  ::operator delete(SelfDeleting::s_freed);
}

}  // namespace
