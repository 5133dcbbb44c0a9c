#include "engine/run_and_wait.h"

#include <windows.h>

#include "platform/handles.h"

namespace engine {

void RunAndWait(RunView& view, const std::wstring& commandLine, bool refocus) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info = {};
  std::wstring mutableLine = commandLine;
  if (CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &info)) {
    platform::UniqueHandle process(info.hProcess);
    platform::UniqueHandle thread(info.hThread);
    DWORD code = STILL_ACTIVE;
    while (GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE) {
      // Sleeps until the process ends or a message arrives, instead of spinning.
      MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 100, QS_ALLINPUT);
      view.PumpMessages();
    }
  }
  if (refocus) view.FocusMainWindow();
}

}  // namespace engine
