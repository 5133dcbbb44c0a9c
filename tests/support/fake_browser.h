#pragma once
// Processes of a fake browser: the project's stand-in program, copied under the browser's executable
// name into its install folder, started and ended by the test.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "support/test_support.h"

namespace testing_support {

class FakeBrowser {
 public:
  // Lays the program out as `installFolder`\`executable`.
  FakeBrowser(const std::wstring& installFolder, const std::wstring& executable)
      : program_(installFolder + L"\\" + executable) {
    wchar_t fixture[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH);
    MakeFolders(installFolder);
    copied_ = CopyFileW((std::wstring(fixture) + L"\\trellwipe_fake_browser.exe").c_str(), program_.c_str(), FALSE);
  }
  ~FakeBrowser() {
    while (!processes_.empty()) EndOne();
  }
  FakeBrowser(const FakeBrowser&) = delete;
  FakeBrowser& operator=(const FakeBrowser&) = delete;

  bool Copied() const { return copied_; }
  // One more process of the browser; false when it could not start.
  bool Start() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring command = L"\"" + program_ + L"\"";
    if (!CreateProcessW(program_.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info)) {
      return false;
    }
    platform::UniqueHandle thread(info.hThread);
    processes_.emplace_back(info.hProcess);
    return true;
  }
  // Whether every process started is still running.
  bool Running() const {
    return std::all_of(processes_.begin(), processes_.end(), [](const platform::UniqueHandle& process) {
      return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
    });
  }
  // Ends the process started first and waits until it is gone.
  void EndOne() {
    TerminateProcess(processes_.front().get(), 0);
    WaitForSingleObject(processes_.front().get(), 10000);
    processes_.erase(processes_.begin());
  }

 private:
  std::wstring program_;
  bool copied_ = false;
  std::vector<platform::UniqueHandle> processes_;
};

}  // namespace testing_support
