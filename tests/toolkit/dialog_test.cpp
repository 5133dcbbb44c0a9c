#include "toolkit/dialog.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A window whose derived part counts the messages it is handed.
class CountingDialog : public toolkit::Dialog {
 public:
  explicit CountingDialog(int& messages) : Dialog({}), messages_(messages) {}

 private:
  toolkit::DialogTemplate Template() const override { return {WS_POPUP | WS_CAPTION, 100, 40, L"Counting"}; }
  void Load() override {}
  INT_PTR OnMessage(UINT, WPARAM, LPARAM) override {
    ++messages_;
    return FALSE;
  }

  int& messages_;
};

// The faults raised on this thread while it lives, even those that the system's message dispatch
// swallows (a call through a destroyed object's table is one).
class RaisedFaults {
 public:
  RaisedFaults() : handler_(AddVectoredExceptionHandler(1, Record)) { count_ = first_ = 0; }
  ~RaisedFaults() { RemoveVectoredExceptionHandler(handler_); }
  unsigned Count() const { return count_; }
  DWORD First() const { return first_; }

 private:
  static LONG CALLBACK Record(EXCEPTION_POINTERS* fault) {
    if (count_++ == 0) first_ = fault->ExceptionRecord->ExceptionCode;
    return EXCEPTION_CONTINUE_SEARCH;
  }
  static inline unsigned count_ = 0;
  static inline DWORD first_ = 0;
  void* handler_;
};

TEST(Dialog, AWindowDestroyedWhileOpenGoesWithoutReachingItsDestroyedPart) {
  int messages = 0;
  auto window = std::make_unique<CountingDialog>(messages);
  ASSERT_TRUE(window->Create(nullptr, false));
  HWND hwnd = window->Handle();
  messages = 0;
  RaisedFaults faults;
  window.reset();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(messages, 0);
  EXPECT_EQ(faults.Count(), 0u) << std::hex << faults.First();
}

}  // namespace
