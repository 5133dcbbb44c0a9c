#include "engine/run_and_wait.h"

#include <windows.h>

#include "platform/handles.h"

namespace engine {

namespace {

// The started process, or nothing when it could not be started.
platform::UniqueHandle Start(const std::wstring& commandLine, int show) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info = {};
  std::wstring mutableLine = commandLine;
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return {};
  }
  CloseHandle(info.hThread);
  return platform::UniqueHandle(info.hProcess);
}

}  // namespace

void RunAndWait(const EraseContext& erase, const std::wstring& commandLine, const std::function<void()>& afterwards) {
  if (!erase.Perform(commandLine)) return;
  platform::UniqueHandle process = Start(commandLine, SW_HIDE);
  DWORD code = STILL_ACTIVE;
  // A stopped run waits no longer; the program started finishes on its own.
  while (process && !erase.Stopped() && GetExitCodeProcess(process.get(), &code) && code == STILL_ACTIVE) {
    // Sleeps until the process ends or a message arrives, instead of spinning.
    HANDLE raw = process.get();
    MsgWaitForMultipleObjects(1, &raw, FALSE, 100, QS_ALLINPUT);
    erase.Pump();
  }
  if (afterwards) afterwards();
}

unsigned long StartProcess(const std::wstring& commandLine, int show) {
  platform::UniqueHandle process = Start(commandLine, show);
  return process ? GetProcessId(process.get()) : 0;
}

}  // namespace engine
