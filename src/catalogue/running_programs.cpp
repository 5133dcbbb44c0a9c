#include "catalogue/running_programs.h"

#include <windows.h>

#include <algorithm>

#include "catalogue/browser_rules.h"
#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "settings/item_flags.h"

namespace catalogue {

namespace {

std::vector<std::wstring> Texts(std::initializer_list<const wchar_t*> texts) {
  return std::vector<std::wstring>(texts.begin(), texts.end());
}

bool AnyBuiltInItemOn(const std::wstring& settingsFile, const std::vector<std::wstring>& sections) {
  for (const Item* item : RunOrder()) {
    bool watched = std::any_of(sections.begin(), sections.end(), [&](const std::wstring& section) {
      return platform::EqualsNoCase(section, item->section);
    });
    if (watched && IsOn(*item, settingsFile)) return true;
  }
  return false;
}

bool AnyPluginTicked(const std::vector<catalogue::plugins::PluginEntry>& entries,
                     const std::vector<std::wstring>& names) {
  return std::any_of(entries.begin(), entries.end(), [&](const catalogue::plugins::PluginEntry& entry) {
    return entry.ticked && std::find(names.begin(), names.end(), entry.name) != names.end();
  });
}

}  // namespace

std::vector<WatchedProgram> WatchedPrograms(std::span<const engine::Browser> browsers) {
  std::vector<WatchedProgram> programs;
  for (const engine::Browser& browser : browsers) {
    if (browser.executables.size() != 0) programs.push_back(ProgramOf(browser));
  }
  static const std::vector<WatchedProgram> mail = {
      {L"Outlook Express", {L"msimn.exe"}, {L"Outlook Express"}, {L"outlook"}, {}},
      {L"Windows Live Mail", {L"wlmail.exe"}, {L"Windows Live\\Mail"}, {L"mail"}, {}},
  };
  programs.insert(programs.end(), mail.begin(), mail.end());
  return programs;
}

WatchedProgram ProgramOf(const engine::Browser& browser) {
  return {browser.name, Texts(browser.executables), Texts(browser.installs), Texts(browser.sections),
          rules::BrowserPlugins(browser)};
}

platform::Program ProcessesOf(const WatchedProgram& program, const std::wstring& localAppData) {
  platform::Program processes{program.processes, {}};
  for (const std::wstring& root : {platform::EnvironmentVariable(L"ProgramFiles"),
                                   platform::EnvironmentVariable(L"ProgramFiles(x86)"), localAppData}) {
    if (root.empty()) continue;
    for (const std::wstring& folder : program.installs) processes.folders.push_back(root + L"\\" + folder);
  }
  return processes;
}

std::vector<std::wstring> RunningWatchedExecutables() {
  std::vector<std::wstring> names;
  for (const WatchedProgram& program : WatchedPrograms()) {
    names.insert(names.end(), program.processes.begin(), program.processes.end());
  }
  return platform::RunningExecutables(names);
}

std::vector<std::wstring> RunningProgramsWithItemsOn(const std::wstring& programFolder,
                                                     const std::wstring& localAppData, const ProcessLister& processes,
                                                     std::span<const engine::Browser> browsers) {
  std::vector<std::wstring> found;
  std::vector<std::wstring> running = processes();
  std::wstring settingsFile = settings::SettingsFile(programFolder);
  std::vector<catalogue::plugins::PluginEntry> entries = catalogue::plugins::ProgramPlugins(programFolder);
  for (const WatchedProgram& program : WatchedPrograms(browsers)) {
    const platform::Program processesOf = ProcessesOf(program, localAppData);
    if (std::none_of(running.begin(), running.end(),
                     [&](const std::wstring& path) { return processesOf.Runs(path); })) {
      continue;
    }
    if (AnyBuiltInItemOn(settingsFile, program.sections) || AnyPluginTicked(entries, program.plugins)) {
      found.push_back(program.name);
    }
  }
  return found;
}

const wchar_t kRunningProgramsTitle[] = L"Programs Running";

std::wstring RunningProgramsQuestion(const std::vector<std::wstring>& programs) {
  bool one = programs.size() == 1;
  std::wstring text = one ? L"This program is running:\r\n\r\n" : L"These programs are running:\r\n\r\n";
  for (const std::wstring& program : programs) text += L"    " + program + L"\r\n";
  text += one ? L"\r\nFiles it holds open cannot be erased, and it may write its traces again when it closes. "
                L"For a complete cleaning, close it first."
              : L"\r\nFiles they hold open cannot be erased, and they may write their traces again when they close. "
                L"For a complete cleaning, close them first.";
  return text + L"\r\n\r\nContinue anyway?";
}

}  // namespace catalogue
