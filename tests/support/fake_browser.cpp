// A stand-in for a browser: copied under a browser's executable name into a folder laid out like its
// install, it runs until it is ended, as a browser does until its last window closes.
#include <windows.h>

int wmain() {
  Sleep(INFINITE);
  return 0;
}
