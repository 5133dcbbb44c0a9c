// A second process for the tests of files in use: opens the file named by its first argument
// without delete or write sharing, signals the event named by its second argument, and keeps the
// file open until it is ended or the process with the id in its third argument ends.
#include <windows.h>

#include <string>

#include "platform/handles.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  platform::FileHandle file(
      CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return 3;
  platform::UniqueHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
  platform::UniqueHandle parent(OpenProcess(SYNCHRONIZE, FALSE, std::stoul(argv[3])));
  if (!ready || !parent) return 4;
  SetEvent(ready.get());
  WaitForSingleObject(parent.get(), 120000);
  return 0;
}
