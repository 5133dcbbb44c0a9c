#include <windows.h>

#include "catalogue/catalogue.h"
#include "platform/com_ptr.h"
#include "platform/languages.h"
#include "platform/program_folder.h"
#include "settings/options.h"
#include "toolkit/message_pump.h"
#include "ui/explorer_keep.h"
#include "ui/main_window.h"
#include "ui/splash_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  // The windows hand screen readers their accessible objects through COM.
  platform::ComApartment apartment;
  const std::wstring programFolder = platform::ProgramFolder();
  catalogue::InstallDefaultSelection(programFolder);
  // A translation that cannot be read leaves the program in English, which every text has.
  platform::UseLanguage(programFolder, settings::StartLanguage(programFolder));
  // Explorer's "Keep from cleaning with Trellwipe" keeps what was chosen, lists it and ends.
  if (std::optional<std::vector<std::wstring>> paths = ui::PathsToKeep(GetCommandLineW())) {
    return ui::KeepFromExplorer(programFolder, *paths) ? 0 : 1;
  }
  ui::MainWindow window(instance, programFolder, commandLine ? commandLine : L"");
  bool loaded = false;
  ui::SplashWindow splash(
      instance, programFolder, [&] { loaded = window.Create(); }, [&] { window.ShowAfterSplash(); });
  window.SetBeforeExit([&] { splash.Unload(); });
  if (!splash.Create(true) || !loaded) return 1;
  // The menu shortcuts first, then Tab, Enter, Esc and mnemonics in the windows that are not dialogs.
  toolkit::RunMessageLoop([&](MSG& message) { return window.TranslateShortcut(message); });
  return 0;
}
