// Papermill.exe: the shredder's window, or with an option first its console form for scripts.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "engine/erase_context.h"
#include "papermill/console.h"
#include "papermill/handover.h"
#include "papermill/papermill_window.h"
#include "platform/console_output.h"
#include "platform/handles.h"
#include "platform/languages.h"
#include "platform/program_folder.h"
#include "platform/text.h"
#include "settings/options.h"
#include "settings/policies.h"
#include "shredder/free_space.h"
#include "shredder/shred.h"

namespace {

engine::StopSignal consoleStop;

BOOL WINAPI OnConsoleBreak(DWORD) {
  consoleStop.Request();
  return TRUE;
}

// A program of the window subsystem has standard handles when its caller gave them (a script's pipe
// or file); started from a console without them, it writes to the console it was started from.
class ConsoleStream {
 public:
  explicit ConsoleStream(DWORD which) : handle_(GetStdHandle(which)) {
    if (!handle_ || handle_ == INVALID_HANDLE_VALUE) {
      if (AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED) {
        console_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
        handle_ = console_.get();
      }
    }
  }
  void Line(const std::wstring& text) const { platform::WriteOut(handle_, platform::ToUtf8(text + L"\r\n")); }

 private:
  HANDLE handle_;
  platform::FileHandle console_;
};

std::vector<std::wstring> Arguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < count; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // No dialog about a drive without a disk may wait for a script.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const std::vector<std::wstring> args = Arguments();
  const std::wstring programFolder = platform::ProgramFolder();
  // In the language Trellwipe starts in; a translation that cannot be read leaves it in English.
  platform::UseLanguage(programFolder, settings::StartLanguage(programFolder));
  const ULONGLONG wipeLimit = papermill::WipeLimitFromEnvironment();
  settings::ReadPoliciesInForce();
  if (papermill::IsConsoleForm(args)) {
    ConsoleStream out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    papermill::ConsoleContext context{programFolder, [&](const std::wstring& line) { out.Line(line); },
                                      [&](const std::wstring& line) { err.Line(line); }, &consoleStop, wipeLimit};
    return papermill::RunConsole(args, context);
  }
  // The folder and file dialogs need COM on this thread.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  shredder::RemoveWipeLeftovers();
  std::vector<std::wstring> paths;
  for (const std::wstring& arg : args) paths.push_back(shredder::TypedPath(arg));
  toolkit::StartingTurn turn(papermill::kHandover);
  if (!paths.empty() && toolkit::HandToRunningWindow(papermill::kHandover, paths)) {
    CoUninitialize();
    return 0;
  }
  papermill::PapermillWindow window(programFolder, paths, papermill::SystemPickers(), wipeLimit);
  window.WhenOpen([&] { turn.Release(); });
  window.ShowModal(nullptr);
  CoUninitialize();
  return 0;
}
