#include "toolkit/handover.h"

#include <algorithm>

#include "platform/translation.h"

namespace toolkit {

namespace {

// Far more than the hundred items Explorer offers a verb; a larger message is no handover.
constexpr DWORD kLargestHandover = 1024 * 1024;
constexpr DWORD kWaitMs = 10000;

std::wstring ImageOf(DWORD processId) {
  platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  wchar_t path[MAX_PATH * 4] = L"";
  DWORD size = static_cast<DWORD>(std::size(path));
  return process && QueryFullProcessImageNameW(process.get(), 0, path, &size) ? std::wstring(path, size) : L"";
}

// The window of the program's own file: a window of another program with the same caption gets no
// paths.
HWND RunningWindow(const std::wstring& caption) {
  const std::wstring own = ImageOf(GetCurrentProcessId());
  for (HWND window = FindWindowW(L"#32770", caption.c_str()); window && !own.empty();
       window = FindWindowExW(nullptr, window, L"#32770", caption.c_str())) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (CompareStringOrdinal(ImageOf(processId).c_str(), -1, own.c_str(), -1, TRUE) == CSTR_EQUAL) return window;
  }
  return nullptr;
}

}  // namespace

bool HandToRunningWindow(const Handover& handover, const std::vector<std::wstring>& paths) {
  HWND window = RunningWindow(platform::Tr(handover.caption));
  if (!window) return false;
  std::wstring joined;
  for (const std::wstring& path : paths) joined += path + L'\0';
  COPYDATASTRUCT data{handover.marker, static_cast<DWORD>(joined.size() * sizeof(wchar_t)), joined.data()};
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  // The window comes to the front to show what it was given.
  AllowSetForegroundWindow(processId);
  DWORD_PTR taken = FALSE;
  return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kWaitMs,
                             &taken) &&
         taken;
}

std::optional<std::vector<std::wstring>> HandedPaths(const Handover& handover, const COPYDATASTRUCT& data) {
  if (data.dwData != handover.marker || data.cbData % sizeof(wchar_t) || data.cbData > kLargestHandover ||
      (data.cbData && !data.lpData)) {
    return std::nullopt;
  }
  std::wstring_view text(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
  std::vector<std::wstring> paths;
  while (!text.empty()) {
    const size_t end = std::min(text.find(L'\0'), text.size());
    if (end > 0) paths.emplace_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return paths;
}

StartingTurn::StartingTurn(const Handover& handover) : mutex_(CreateMutexW(nullptr, FALSE, handover.turnName)) {
  const DWORD waited = mutex_ ? WaitForSingleObject(mutex_.get(), kWaitMs) : WAIT_FAILED;
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void StartingTurn::Release() {
  if (held_) ReleaseMutex(mutex_.get());
  held_ = false;
}

}  // namespace toolkit
