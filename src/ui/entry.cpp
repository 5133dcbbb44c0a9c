#include <windows.h>

#include "engine/process_values.h"
#include "toolkit/keyboard.h"
#include "ui/main_window.h"
#include "ui/splash_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  const std::wstring programFolder = engine::ProgramFolder();
  ui::MainWindow window(instance, programFolder, commandLine ? commandLine : L"");
  bool loaded = false;
  ui::SplashWindow splash(
      instance, programFolder, [&] { loaded = window.Create(); }, [&] { window.ShowAfterSplash(); });
  window.SetBeforeExit([&] { splash.Unload(); });
  if (!splash.Create(true) || !loaded) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The menu shortcuts first, then Tab, Enter, Esc and mnemonics in the windows that are not dialogs.
    if (window.TranslateShortcut(message) || toolkit::TranslateDialogKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
