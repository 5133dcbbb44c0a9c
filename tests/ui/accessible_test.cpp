#include "support/window_support.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/text.h"
#include "platform/window_text.h"
#include "settings/inifun.h"
#include "support/every_dialog.h"
#include "support/keyboard_support.h"
#include "support/message_recorder.h"
#include "support/test_support.h"
#include "toolkit/live_region.h"
#include "ui/main_commands.h"
#include "ui/main_window.h"

using namespace testing_support;

namespace {

VARIANT Child(LONG id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

std::wstring Name(IAccessible* object, LONG id) {
  BSTR text = nullptr;
  if (object->get_accName(Child(id), &text) != S_OK || !text) return L"";
  std::wstring name(text, SysStringLen(text));
  SysFreeString(text);
  return name;
}

LONG Number(HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, VARIANT*), IAccessible* object, LONG id) {
  VARIANT value;
  VariantInit(&value);
  return (object->*read)(Child(id), &value) == S_OK && value.vt == VT_I4 ? value.lVal : -1;
}

platform::ComPtr<IAccessible> ClientObject(HWND window) {
  IAccessible* object = nullptr;
  AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                             reinterpret_cast<void**>(&object));
  return platform::ComPtr<IAccessible>(object);
}

struct AccessibleMainWindow : testing::Test {
  AccessibleMainWindow() {
    ui::MainWindowActions actions;
    actions.trackPopupMenu = [](HMENU, HWND) { return 0u; };
    window.emplace(GetModuleHandleW(nullptr), program.Path(), L"", std::move(actions));
    EXPECT_TRUE(window->Create());
  }
  ~AccessibleMainWindow() override { DrainQuit(); }

  platform::ComApartment apartment;
  TempFolder program;
  std::optional<ui::MainWindow> window;
};

// The navigation bar is drawn by the program, so it tells a screen reader itself what each image is.
TEST_F(AccessibleMainWindow, TheNavigationBarIsAToolBarOfNamedButtonsTheCurrentPageSelected) {
  HWND bar = window->Navigation().Handle();
  platform::ComPtr<IAccessible> object = ClientObject(bar);
  ASSERT_TRUE(object);
  EXPECT_EQ(Name(object.get(), CHILDID_SELF), L"Navigation");
  EXPECT_EQ(Number(&IAccessible::get_accRole, object.get(), CHILDID_SELF), ROLE_SYSTEM_TOOLBAR);
  LONG count = 0;
  ASSERT_EQ(object.get()->get_accChildCount(&count), S_OK);
  const auto images = ui::NavigationImages();
  ASSERT_EQ(count, static_cast<LONG>(images.size()));
  auto selected = [&] {
    std::vector<std::wstring> names;
    for (LONG id = 1; id <= count; ++id) {
      if (Number(&IAccessible::get_accState, object.get(), id) & STATE_SYSTEM_SELECTED)
        names.push_back(Name(object.get(), id));
    }
    return names;
  };
  for (LONG id = 1; id <= count; ++id) {
    const int index = id - 1;
    EXPECT_EQ(Name(object.get(), id), images[index].caption);
    EXPECT_EQ(Number(&IAccessible::get_accRole, object.get(), id), ROLE_SYSTEM_PUSHBUTTON);
    const bool unavailable = Number(&IAccessible::get_accState, object.get(), id) & STATE_SYSTEM_UNAVAILABLE;
    EXPECT_EQ(unavailable, !window->Navigation().Available(index)) << id;
    // Where the image is drawn, and what lies there.
    RECT place = window->Navigation().ImageRect(index);
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&place), 2);
    LONG left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(object.get()->accLocation(&left, &top, &width, &height, Child(id)), S_OK);
    EXPECT_EQ((std::vector<LONG>{left, top, left + width, top + height}),
              (std::vector<LONG>{place.left, place.top, place.right, place.bottom}))
        << id;
    VARIANT hit;
    ASSERT_EQ(object.get()->accHitTest((place.left + place.right) / 2, (place.top + place.bottom) / 2, &hit), S_OK);
    EXPECT_EQ(hit.vt == VT_I4 ? hit.lVal : -1, id);
  }
  EXPECT_EQ(selected(), std::vector<std::wstring>{L"Home"});

  // Pressing "Status" through the object shows the status page, which then reads as selected.
  ASSERT_EQ(object.get()->accDoDefaultAction(Child(3)), S_OK);
  PumpAll();
  EXPECT_EQ(window->CurrentPage(), ui::MainWindow::Page::Status);
  EXPECT_EQ(selected(), std::vector<std::wstring>{L"Status"});

  // The arrow keys move the focus a screen reader follows.
  SetFocus(bar);
  SendMessageW(bar, WM_KEYDOWN, VK_DOWN, 0);
  VARIANT focus;
  ASSERT_EQ(object.get()->get_accFocus(&focus), S_OK);
  EXPECT_EQ(focus.vt == VT_I4 ? focus.lVal : -1, window->Navigation().Focused() + 1);
  EXPECT_TRUE(Number(&IAccessible::get_accState, object.get(), focus.lVal) & STATE_SYSTEM_FOCUSED);

  // An object a screen reader keeps after the window is gone answers, but with nothing.
  window.reset();
  EXPECT_EQ(object.get()->get_accChildCount(&count), RPC_E_DISCONNECTED);
}

// The status line's text as each of its live-region events arrives (after the event: Wine delivers
// them when the thread next looks at its messages, and calls no in-context hook).
HWND statusHeard = nullptr;
std::vector<std::wstring> heardStatus;
void CALLBACK HearStatus(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (hwnd == statusHeard && object == OBJID_CLIENT && child == CHILDID_SELF) {
    heardStatus.push_back(platform::WindowText(hwnd));
  }
}

// A cleaning raises the status line's live-region event at its start, with its first item, and at
// its end; the items between pass unannounced.
TEST_F(AccessibleMainWindow, TheStatusLineIsALiveRegionAtTheStartAndTheEndOfACleaning) {
  TempFolder data;
  MakeFile(data / L"trace.txt", 524288);
  WriteText(program / L"cusd.dat", platform::Narrow(data / L"trace.txt") + "\tFile\r\n");
  settings::inifun::WriteIniValue(program / L"prisd.dat", L"Custom", L"Custom", L"1");
  MessageRecorder messages;
  statusHeard = window->StatusLine();
  heardStatus.clear();
  HWINEVENTHOOK hook = SetWinEventHook(toolkit::kLiveRegionChanged, toolkit::kLiveRegionChanged, nullptr, HearStatus,
                                       GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  SendMessageW(window->StartButton(), BM_CLICK, 0, 0);
  PumpAll();
  UnhookWinEvent(hook);
  ASSERT_EQ(heardStatus.size(), 2u);
  EXPECT_EQ(heardStatus.back(), L"Task complete Successfully!");
}

// The controls of `window` a user can reach with Tab (on any page) that a screen reader finds no name
// for, each as its class and text.
std::vector<std::string> UnnamedControls(HWND window) {
  std::vector<std::string> unnamed;
  EnumChildWindows(
      window,
      [](HWND control, LPARAM found) -> BOOL {
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        if (!(style & WS_TABSTOP) || !(style & WS_VISIBLE)) return TRUE;
        platform::ComPtr<IAccessible> object = ClientObject(control);
        if (!object || Name(object.get(), CHILDID_SELF).empty()) {
          reinterpret_cast<std::vector<std::string>*>(found)->push_back(
              platform::Narrow(ClassOf(control) + L" \"" + platform::WindowText(control) + L"\""));
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&unnamed));
  return unnamed;
}

TEST_F(AccessibleMainWindow, EveryControlTabReachesHasAName) {
  for (UINT page : {ui::kShowHomeCommand, ui::kShowStatusCommand}) {
    SendMessageW(window->Handle(), WM_COMMAND, page, 0);
    EXPECT_EQ(UnnamedControls(window->Handle()), std::vector<std::string>{}) << page;
  }
}

TEST(AccessibleWindows, EveryControlTabReachesInEveryWindowHasAName) {
  platform::ComApartment apartment;
  TempFolder program;
  const NamedDialogs windows = EveryWindow(program);
  for (const auto& [name, make] : windows) {
    auto dialog = make();
    ASSERT_TRUE(dialog->Create(nullptr, false)) << name;
    EXPECT_EQ(UnnamedControls(dialog->Handle()), std::vector<std::string>{}) << name;
  }
}

}  // namespace
