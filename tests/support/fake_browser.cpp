// A stand-in for a browser: copied under a browser's executable name into a folder laid out like its
// install, it runs until it is ended, as a browser does until its last window closes. A windowed
// program, as browsers are: no console is made for it, which would keep the test's output open.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  Sleep(INFINITE);
  return 0;
}
