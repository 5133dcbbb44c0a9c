#include "ui/ie_windows.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "platform/handles.h"
#include "platform/text.h"

namespace ui::iewindows {

namespace {

// Process-wide: the hot keys that fill and re-apply it arrive at different times on the UI thread.
std::vector<HiddenWindow>& Hidden() {
  static std::vector<HiddenWindow> hidden;
  return hidden;
}

// Every Windows Explorer folder window is hidden whatever its state; the browsers' windows by
// their rows of the browser table.
constexpr wchar_t kFolderWindowClass[] = L"CabinetWClass";

bool MayHide(const std::wstring& className) {
  const auto browsers = engine::Browsers();
  return className == kFolderWindowClass ||
         std::any_of(browsers.begin(), browsers.end(), [&](const engine::Browser& browser) {
           return browser.windowClass && className == browser.windowClass;
         });
}

std::wstring ProgramOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  platform::UniqueHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  wchar_t path[MAX_PATH] = L"";
  DWORD size = MAX_PATH;
  if (!handle || !QueryFullProcessImageNameW(handle.get(), 0, path, &size)) return {};
  std::wstring_view image(path, size);
  return std::wstring(image.substr(image.find_last_of(L'\\') + 1));
}

bool IsShownMainWindow(HWND window) {
  return IsWindowVisible(window) && !GetWindow(window, GW_OWNER) &&
         !(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

BOOL CALLBACK EnumBrowserWindow(HWND window, LPARAM) {
  const std::wstring className = GetClassNameText(window);
  // The program is asked only for a class that may need it: a look at every window's process costs.
  if (!MayHide(className) || !HidesWindow(className, ProgramOf(window), IsShownMainWindow(window))) return TRUE;
  HiddenWindow record{window, {}};
  record.placement.length = sizeof(record.placement);
  // A window that closed during the enumeration has nothing to put back.
  if (!GetWindowPlacement(window, &record.placement)) return TRUE;
  Hidden().push_back(record);
  WINDOWPLACEMENT hide = record.placement;
  hide.showCmd = SW_HIDE;
  SetWindowPlacement(window, &hide);
  return TRUE;
}

}  // namespace

bool HidesWindow(const std::wstring& className, const std::wstring& program, bool shownMainWindow,
                 std::span<const engine::Browser> browsers) {
  if (className == kFolderWindowClass) return true;
  // A Chromium or Firefox window only when it is a main window on the screen, as these programs keep
  // hidden windows of the same class that must stay hidden after a restore.
  return std::any_of(browsers.begin(), browsers.end(), [&](const engine::Browser& browser) {
    if (!browser.windowClass || className != browser.windowClass) return false;
    return browser.everyWindow ||
           (shownMainWindow && std::any_of(browser.executables.begin(), browser.executables.end(),
                                           [&](const wchar_t* name) { return platform::EqualsNoCase(program, name); }));
  });
}

void HideBrowserWindows() {
  Hidden().clear();
  EnumWindows(EnumBrowserWindow, 0);
}

void RestoreBrowserWindows() {
  // A window closed since the hide makes its call fail; the others still come back.
  for (auto record = Hidden().rbegin(); record != Hidden().rend(); ++record)
    SetWindowPlacement(record->window, &record->placement);
}

const std::vector<HiddenWindow>& HiddenBrowserWindows() { return Hidden(); }

std::wstring GetClassNameText(HWND window) {
  wchar_t name[255];
  int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return std::wstring(name, length > 0 ? length : 0);
}

}  // namespace ui::iewindows
