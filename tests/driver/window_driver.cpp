// Drives a running Trellwipe from outside, the way a user would reach it: scripts use it to end the
// program through its own Exit command, open windows for screenshots and read the result list.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/handles.h"
#include "platform/text.h"
#include "support/cookie_databases.h"
#include "support/script_fonts.h"
#include "ui/main_commands.h"

namespace {

constexpr wchar_t kMainClass[] = L"TrellwipeMainWindow";

struct Named {
  const wchar_t* name;
  UINT command;
};

constexpr Named kCommands[] = {
    {L"exit", ui::kExitCommand},
    {L"cleannow", ui::kCleanNowCommand},
    {L"trayclean", ui::kTrayCleanNowCommand},
    {L"trayshutdown", ui::kTrayCleanShutdownCommand},
    {L"settings", ui::kCleanSettingsCommand},
    {L"options", ui::kCleanOptionsCommand},
    {L"search", ui::kSearchEraseCommand},
    {L"about", ui::kAboutCommand},
    {L"home", ui::kShowHomeCommand},
    {L"status", ui::kShowStatusCommand},
    {L"restore", ui::kRestoreCommand},
    {L"shredder", ui::kFileShredderCommand},
    {L"cancel", ui::kCancelCommand},
    {L"preview", ui::kPreviewCommand},
    {L"keptpaths", ui::kKeptPathsCommand},
};

HWND MainWindow() { return FindWindowW(kMainClass, nullptr); }

bool WaitFor(const std::wstring& caption, int seconds, bool present) {
  for (int i = 0; i < seconds * 10; ++i) {
    HWND window = caption.empty() ? MainWindow() : FindWindowW(nullptr, caption.c_str());
    if ((window != nullptr) == present) return true;
    Sleep(100);
  }
  return false;
}

struct RemoteMemory {
  HANDLE process;
  void* address;
  ~RemoteMemory() {
    if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
  }
};

// The result list lives in the program's process: the item record and its text buffer are placed there.
int PrintRows() {
  HWND list = FindWindowExW(MainWindow(), nullptr, WC_LISTVIEWW, nullptr);
  if (!list) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  platform::UniqueHandle process(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (!process) return 1;
  constexpr int kChars = 512;
  RemoteMemory remote{process.get(), VirtualAllocEx(process.get(), nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                                    MEM_COMMIT, PAGE_READWRITE)};
  if (!remote.address) return 1;
  auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.address) + sizeof(LVITEMW));
  auto text = [&](int row, int column) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = kChars;
    wchar_t buffer[kChars] = L"";
    if (!WriteProcessMemory(process.get(), remote.address, &item, sizeof(item), nullptr)) return std::wstring();
    auto length = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.address));
    ReadProcessMemory(process.get(), remoteText, buffer, sizeof(buffer) - sizeof(wchar_t), nullptr);
    return std::wstring(buffer, static_cast<size_t>(length < 0 ? 0 : length < kChars ? length : kChars - 1));
  };
  LRESULT rows = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  for (int row = 0; row < rows; ++row) wprintf(L"%ls\t%ls\n", text(row, 0).c_str(), text(row, 1).c_str());
  return 0;
}

// Maps the interface fonts to the font of `language`'s script, for the programs started after it, or
// back to the prefix's own.
int UseScriptFont(const std::wstring& language) {
  platform::RegKey substitutes;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, testing_support::kFontSubstitutes, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      substitutes.out(), nullptr) != ERROR_SUCCESS) {
    return 1;
  }
  const wchar_t* font = testing_support::ScriptFontOf(language);
  for (const wchar_t* face : testing_support::kInterfaceFonts) {
    const LSTATUS status = font
                               ? RegSetValueExW(substitutes.get(), face, 0, REG_SZ, reinterpret_cast<const BYTE*>(font),
                                                static_cast<DWORD>((wcslen(font) + 1) * sizeof(wchar_t)))
                               : RegDeleteValueW(substitutes.get(), face);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return 1;
  }
  return 0;
}

int Usage() {
  fwprintf(stderr,
           L"usage: trellwipe_driver COMMAND\n"
           L"  post NAME              posts a main-window command: exit cleannow trayclean trayshutdown\n"
           L"                         settings options search about home status restore shredder cancel\n"
           L"                         preview keptpaths\n"
           L"  rows                   prints the result list, one \"item<TAB>state\" line per row\n"
           L"  details ROW            opens the details of the result list's row (0 is the first)\n"
           L"  menu CAPTION LINE      opens the pop-up menu of that line of the window's list, as the menu key does\n"
           L"  tab CAPTION INDEX      shows a tab of the window with that caption (0 is the first)\n"
           L"  click CAPTION TEXT INDEX   clicks the INDEX-th shown button with that text (0 is the first)\n"
           L"  wait-window [CAPTION] SECONDS   waits for a window with that caption (the main window without one)\n"
           L"  answer                 prints how many ms the main window takes to answer a message\n"
           L"  wait-gone SECONDS      waits until the main window is gone\n"
           L"  close CAPTION          asks the window with that caption to close\n"
           L"  maximise CAPTION       maximises the window with that caption, as its title bar's button does\n"
           L"  cookies chromium|firefox FILE HOST...   makes a cookie database with one cookie per host\n"
           L"  fonts LANGUAGE         shows the interface fonts in the font of the language's script, from the\n"
           L"                         next program started (English: the prefix's own fonts)\n");
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  std::wstring verb = argv[1];
  if (verb == L"post" && argc == 3) {
    for (const Named& named : kCommands) {
      if (named.name == std::wstring(argv[2])) {
        HWND window = MainWindow();
        return window && PostMessageW(window, WM_COMMAND, MAKEWPARAM(named.command, 0), 0) ? 0 : 1;
      }
    }
    return Usage();
  }
  if (verb == L"rows" && argc == 2) return PrintRows();
  if (verb == L"fonts" && argc == 3) return UseScriptFont(argv[2]);
  if (verb == L"cookies" && argc >= 5) {
    // No sqlite3 tool is sure to be there: the samples' cookie databases are made here.
    std::vector<std::string> hosts;
    for (int i = 4; i < argc; ++i) hosts.push_back(platform::Narrow(argv[i]));
    const auto& table =
        std::wstring(argv[2]) == L"firefox" ? testing_support::kFirefoxCookies : testing_support::kChromiumCookies;
    return testing_support::MakeCookieDatabase(argv[3], table, hosts) ? 0 : 1;
  }
  if (verb == L"details" && argc == 3) {
    // As a user opens a row's details with the keyboard: Home, Down to the row, Enter.
    HWND list = FindWindowExW(MainWindow(), nullptr, WC_LISTVIEWW, nullptr);
    if (!list) return 1;
    PostMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    for (int row = 0; row < _wtoi(argv[2]); ++row) PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    return PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0) ? 0 : 1;
  }
  if (verb == L"menu" && argc == 4) {
    HWND window = FindWindowW(nullptr, argv[2]);
    HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    if (!list) return 1;
    // As a user selects the line with the keyboard, then presses the menu key.
    PostMessageW(list, WM_KEYDOWN, VK_HOME, 0);
    for (int line = 0; line < _wtoi(argv[3]); ++line) PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    return PostMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1) ? 0 : 1;
  }
  if (verb == L"wait-window" && (argc == 3 || argc == 4)) {
    return WaitFor(argc == 4 ? argv[2] : L"", _wtoi(argv[argc - 1]), true) ? 0 : 1;
  }
  if (verb == L"click" && argc == 5) {
    // Presses the window's INDEX-th shown button (0 is the first) with that text, as a user clicks it:
    // the hidden pages of a window with tabs hold buttons of the same text.
    struct Search {
      const wchar_t* text;
      int left;
      HWND found;
    } search{argv[3], _wtoi(argv[4]), nullptr};
    EnumChildWindows(
        FindWindowW(nullptr, argv[2]),
        [](HWND child, LPARAM data) {
          auto& search = *reinterpret_cast<Search*>(data);
          wchar_t text[128] = L"";
          GetWindowTextW(child, text, 128);
          if (std::wstring(text) == search.text && IsWindowVisible(child) && search.left-- == 0) search.found = child;
          return search.found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found && PostMessageW(search.found, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (verb == L"tab" && argc == 4) {
    // As a click on a tab: the tab control moves there and tells its window.
    HWND tabs = FindWindowExW(FindWindowW(nullptr, argv[2]), nullptr, WC_TABCONTROLW, nullptr);
    if (!tabs) return 1;
    SendMessageW(tabs, TCM_SETCURFOCUS, _wtoi(argv[3]), 0);
    return 0;
  }
  if (verb == L"answer" && argc == 2) {
    // How long the main window takes to answer a message, as a repaint or a click waits for it.
    HWND window = MainWindow();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    DWORD_PTR result = 0;
    if (!window || !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) return 1;
    QueryPerformanceCounter(&end);
    std::printf("%.0f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
    return 0;
  }
  if (verb == L"wait-gone" && argc == 3) return WaitFor(L"", _wtoi(argv[2]), false) ? 0 : 1;
  if (verb == L"maximise" && argc == 3) {
    HWND window = FindWindowW(nullptr, argv[2]);
    return window && PostMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0) ? 0 : 1;
  }
  if (verb == L"close" && argc == 3) {
    HWND window = FindWindowW(nullptr, argv[2]);
    if (!window) return 1;
    // A dialog closes through its Cancel button, or OK when it has no other (message boxes under Wine
    // ignore WM_CLOSE); other windows through WM_CLOSE.
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770") {
      HWND button = GetDlgItem(window, IDCANCEL);
      if (!button) button = GetDlgItem(window, IDOK);
      if (button) return PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
      return PostMessageW(window, WM_COMMAND, IDCANCEL, 0) ? 0 : 1;
    }
    return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  return Usage();
}
