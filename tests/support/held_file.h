#pragma once
// A file held open by a second process, as a running program holds its database.
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace testing_support {

// The project's holder process opens the file for reading and writing, sharing `share` ("r", "w",
// "d" in any combination, "-" for nothing), for the life of the object.
class HeldByAnotherProcess {
 public:
  explicit HeldByAnotherProcess(const std::wstring& path, const std::wstring& share = L"r") {
    // The test emulator puts the holder, built beside the tests, into the fixture folder.
    wchar_t fixture[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"TRELLWIPE_LINK_FIXTURE", fixture, MAX_PATH)) return;
    std::wstring holder = std::wstring(fixture) + L"\\trellwipe_file_holder.exe";
    std::wstring eventName =
        L"trellwipe-holder-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    platform::UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    std::wstring command = L"\"" + holder + L"\" \"" + path + L"\" " + eventName + L" " +
                           std::to_wstring(GetCurrentProcessId()) + L" " + share;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(holder.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info)) {
      return;
    }
    process_.reset(info.hProcess);
    platform::UniqueHandle thread(info.hThread);
    HANDLE waits[] = {ready.get(), process_.get()};
    holding_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
  }
  ~HeldByAnotherProcess() { Release(); }
  HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
  HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

  bool holding() const { return holding_; }
  // Ends the holder, which closes the file.
  void Release() {
    if (!process_) return;
    TerminateProcess(process_.get(), 0);
    WaitForSingleObject(process_.get(), 10000);
    process_.reset();
  }

 private:
  platform::UniqueHandle process_;
  bool holding_ = false;
};

}  // namespace testing_support
