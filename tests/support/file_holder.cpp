// A second process for the tests of files in use: opens the file named by its first argument for
// reading and writing, sharing what its fourth argument names ("r", "w" and "d" for read, write and
// delete access; none when it is "-"), signals the event named by its second argument, and keeps the
// file open until it is ended or the process with the id in its third argument ends.
#include <windows.h>

#include <string>

#include "platform/handles.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return 2;
  DWORD share = 0;
  for (const wchar_t* c = argv[4]; *c; ++c) {
    share |= *c == L'r' ? FILE_SHARE_READ : *c == L'w' ? FILE_SHARE_WRITE : *c == L'd' ? FILE_SHARE_DELETE : 0;
  }
  platform::FileHandle file(
      CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return 3;
  platform::UniqueHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
  platform::UniqueHandle parent(OpenProcess(SYNCHRONIZE, FALSE, std::stoul(argv[3])));
  if (!ready || !parent) return 4;
  SetEvent(ready.get());
  WaitForSingleObject(parent.get(), 120000);
  return 0;
}
