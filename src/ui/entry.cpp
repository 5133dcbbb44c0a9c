#include <windows.h>

#include "engine/process_values.h"
#include "ui/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  ui::MainWindow window(instance, engine::ProgramFolder());
  if (!window.Create()) return 1;
  ShowWindow(window.Handle(), show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
