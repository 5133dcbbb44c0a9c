#include "catalogue/closing_browsers.h"

#include <windows.h>

#include <algorithm>

#include "catalogue/browser_rules.h"
#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "catalogue/rules.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"

namespace catalogue {

namespace {

// The Chromium browsers keep each profile in a folder of "User Data" with its history and, in
// "Network", its cookies; Firefox's profiles hold places.sqlite and cookies.sqlite.
const std::vector<const wchar_t*> kChromiumHeld = {L"*\\History", L"*\\Network\\Cookies"};

const ClosingBrowser kBrowsers[] = {
    {L"Microsoft Edge", L"CleanOnCloseEdge", L"Microsoft Edge", false, L"Microsoft\\Edge\\User Data", kChromiumHeld},
    {L"Google Chrome", L"CleanOnCloseChrome", L"Google Chrome", false, L"Google\\Chrome\\User Data", kChromiumHeld},
    {L"Brave", L"CleanOnCloseBrave", L"Brave", false, L"BraveSoftware\\Brave-Browser\\User Data", kChromiumHeld},
    {L"Vivaldi", L"CleanOnCloseVivaldi", L"Vivaldi", false, L"Vivaldi\\User Data", kChromiumHeld},
    {L"Opera",
     L"CleanOnCloseOpera",
     L"Opera",
     true,
     L"Opera Software\\Opera Stable",
     {L"History", L"Network\\Cookies"}},
    {L"Mozilla Firefox",
     L"CleanOnCloseFirefox",
     L"Firefox",
     true,
     L"Mozilla\\Firefox\\Profiles",
     {L"*\\places.sqlite", L"*\\cookies.sqlite"}},
    {L"Internet Explorer", L"CleanOnCloseInternetExplorer", nullptr, false, nullptr, {}},
};

std::wstring ProfilesFolder(const ClosingBrowser& browser, const run::ProcessValues& values) {
  if (!browser.profiles) return L"";
  const std::wstring& base = browser.roaming ? values.appDataFolder : values.localAppDataFolder;
  return base.empty() ? L"" : base + L"\\" + browser.profiles;
}

// Its program in one of its install folders.
bool Installed(const ClosingBrowser& browser, const run::ProcessValues& values) {
  const platform::Program program = ProcessesOf(ProgramOf(browser), values.localAppDataFolder);
  for (const std::wstring& folder : program.folders) {
    for (const std::wstring& name : program.names) {
      if (platform::FileExists(folder + L"\\" + name)) return true;
    }
  }
  return false;
}

// The files a pattern of `held` names: "*" at its start stands for each folder of the profiles folder.
std::vector<std::wstring> HeldFiles(const std::wstring& profiles, const std::wstring& pattern) {
  if (!pattern.starts_with(L"*\\")) return {profiles + L"\\" + pattern};
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  platform::FindHandle find(FindFirstFileExW((profiles + L"\\*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchLimitToDirectories, nullptr, 0));
  if (!find) return files;
  do {
    std::wstring name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..") continue;
    files.push_back(profiles + L"\\" + name + pattern.substr(1));
  } while (FindNextFileW(find.get(), &found));
  return files;
}

}  // namespace

std::span<const ClosingBrowser> ClosingBrowsers() { return kBrowsers; }

const WatchedProgram& ProgramOf(const ClosingBrowser& browser) {
  const auto& programs = WatchedPrograms();
  return *std::find_if(programs.begin(), programs.end(),
                       [&](const WatchedProgram& program) { return program.name == browser.name; });
}

std::vector<const ClosingBrowser*> FoundClosingBrowsers(const run::ProcessValues& values) {
  std::vector<const ClosingBrowser*> found;
  for (const ClosingBrowser& browser : kBrowsers) {
    std::wstring profiles = ProfilesFolder(browser, values);
    if (Installed(browser, values) || (!profiles.empty() && platform::FolderExists(profiles))) {
      found.push_back(&browser);
    }
  }
  return found;
}

std::vector<const ClosingBrowser*> BrowsersCleanedOnClose(const std::wstring& programFolder,
                                                          const run::ProcessValues& values) {
  const std::wstring file = settings::SettingsFile(programFolder);
  std::vector<const ClosingBrowser*> on = FoundClosingBrowsers(values);
  std::erase_if(on, [&](const ClosingBrowser* browser) {
    return !settings::inifun::FlagTest(settings::inifun::ReadIniValue(file, kCloseOptionSection, browser->key));
  });
  return on;
}

bool FilesReleased(const ClosingBrowser& browser, const run::ProcessValues& values) {
  const std::wstring profiles = ProfilesFolder(browser, values);
  if (profiles.empty()) return true;
  for (const wchar_t* pattern : browser.held) {
    for (const std::wstring& path : HeldFiles(profiles, pattern)) {
      platform::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      if (!file && GetLastError() == ERROR_SHARING_VIOLATION) return false;
    }
  }
  return true;
}

std::vector<ItemName> TickedItemsOf(const ClosingBrowser& browser, const std::wstring& programFolder) {
  const WatchedProgram& program = ProgramOf(browser);
  const std::wstring file = settings::SettingsFile(programFolder);
  std::vector<ItemName> items;
  for (const Item* item : RunOrder()) {
    bool ours = std::any_of(program.sections.begin(), program.sections.end(), [&](const std::wstring& section) {
      return platform::EqualsNoCase(section, item->section);
    });
    if (ours && IsOn(*item, file)) items.push_back({item->section, item->key});
  }
  for (const catalogue::plugins::PluginEntry& entry :
       catalogue::plugins::ListPlugins(catalogue::plugins::PluginFolder(programFolder))) {
    if (entry.ticked &&
        std::find(program.plugins.begin(), program.plugins.end(), entry.name) != program.plugins.end()) {
      items.push_back({catalogue::plugins::kPluginSection, entry.name});
    }
  }
  if (!browser.rule) return items;
  for (const catalogue::rules::RuleChoice& choice : catalogue::rules::RuleChoices(programFolder)) {
    std::optional<catalogue::rules::BrowserRule> of = catalogue::rules::RuleOfBrowser(choice.rule);
    if (choice.ticked && of && std::wstring_view(of->browser->rule) == browser.rule) {
      items.push_back({choice.rule.section, choice.rule.name});
    }
  }
  return items;
}

run::ItemChoice ChoiceOf(std::vector<ItemName> items) {
  return [items = std::move(items)](const std::wstring& section, const std::wstring& key) {
    return std::any_of(items.begin(), items.end(), [&](const ItemName& item) {
      return platform::EqualsNoCase(item.section, section) && item.key == key;
    });
  };
}

}  // namespace catalogue
