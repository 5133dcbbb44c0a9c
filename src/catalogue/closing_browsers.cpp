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
#include "settings/item_flags.h"
#include "settings/policies.h"

namespace catalogue {

namespace {

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

// The files of a profile's database of that name: the one profile, or each folder of the profiles folder.
std::vector<std::wstring> HeldFiles(const ClosingBrowser& browser, const std::wstring& profiles,
                                    const std::wstring& database) {
  if (browser.profileItself) return {profiles + L"\\" + database};
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  platform::FindHandle find(FindFirstFileExW((profiles + L"\\*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchLimitToDirectories, nullptr, 0));
  if (!find) return files;
  do {
    std::wstring name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == L"." || name == L"..") continue;
    files.push_back(profiles + L"\\" + name + L"\\" + database);
  } while (FindNextFileW(find.get(), &found));
  return files;
}

}  // namespace

std::vector<const ClosingBrowser*> ClosingBrowsers(std::span<const engine::Browser> browsers) {
  std::vector<const ClosingBrowser*> closing;
  for (const engine::Browser& browser : browsers) {
    if (browser.key) closing.push_back(&browser);
  }
  return closing;
}

std::vector<const ClosingBrowser*> FoundClosingBrowsers(const run::ProcessValues& values,
                                                        std::span<const engine::Browser> browsers) {
  std::vector<const ClosingBrowser*> found;
  for (const ClosingBrowser* browser : ClosingBrowsers(browsers)) {
    std::wstring profiles = ProfilesFolder(*browser, values);
    if (Installed(*browser, values) || (!profiles.empty() && platform::FolderExists(profiles))) {
      found.push_back(browser);
    }
  }
  return found;
}

std::vector<const ClosingBrowser*> BrowsersCleanedOnClose(const std::wstring& programFolder,
                                                          const run::ProcessValues& values) {
  const std::wstring file = settings::SettingsFile(programFolder);
  std::vector<const ClosingBrowser*> on = FoundClosingBrowsers(values);
  std::erase_if(on, [&](const ClosingBrowser* browser) { return !settings::OptionSwitch(file, browser->key); });
  return on;
}

bool FilesReleased(const ClosingBrowser& browser, const run::ProcessValues& values) {
  const std::wstring profiles = ProfilesFolder(browser, values);
  if (profiles.empty()) return true;
  // Today's cookie database only: the older one is no longer written.
  const wchar_t* held[] = {browser.history, browser.cookies.size() ? *browser.cookies.begin() : nullptr};
  for (const wchar_t* database : held) {
    if (!database) continue;
    for (const std::wstring& path : HeldFiles(browser, profiles, database)) {
      platform::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
      if (!file && GetLastError() == ERROR_SHARING_VIOLATION) return false;
    }
  }
  return true;
}

std::vector<ItemName> TickedItemsOf(const ClosingBrowser& browser, const std::wstring& programFolder) {
  const WatchedProgram program = ProgramOf(browser);
  const std::wstring file = settings::SettingsFile(programFolder);
  std::vector<ItemName> items;
  for (const Item* item : RunOrder()) {
    bool ours = std::any_of(program.sections.begin(), program.sections.end(), [&](const std::wstring& section) {
      return platform::EqualsNoCase(section, item->section);
    });
    if (ours && IsOn(*item, file)) items.push_back({item->section, item->key});
  }
  for (const catalogue::plugins::PluginEntry& entry : catalogue::plugins::ProgramPlugins(programFolder)) {
    if (entry.ticked &&
        std::find(program.plugins.begin(), program.plugins.end(), entry.name) != program.plugins.end()) {
      items.push_back({catalogue::plugins::kPluginSection, entry.name});
    }
  }
  if (!browser.rule) return items;
  for (const catalogue::rules::RuleChoice& choice : catalogue::rules::RuleChoices(programFolder)) {
    if (choice.ticked && catalogue::rules::RuleOfBrowser(choice.rule, std::span(&browser, 1))) {
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
