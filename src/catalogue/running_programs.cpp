#include "catalogue/running_programs.h"

#include <windows.h>

#include <algorithm>

#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "settings/item_flags.h"

namespace catalogue {

namespace {

// The shipped definitions of a browser, one per kind of trace.
std::vector<std::wstring> BrowserPlugins(const std::wstring& browser) {
  std::vector<std::wstring> names;
  for (const wchar_t* kind : {L"Cache", L"Cookies", L"History", L"Sessions"}) names.push_back(browser + L" " + kind);
  return names;
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

const std::vector<WatchedProgram>& WatchedPrograms() {
  static const std::vector<WatchedProgram> programs = {
      {L"Internet Explorer", {L"iexplore.exe"}, {L"Internet Explorer"}, {L"EXPLORER"}, {}},
      {L"Microsoft Edge", {L"msedge.exe"}, {L"Microsoft\\Edge\\Application"}, {}, BrowserPlugins(L"Edge")},
      {L"Google Chrome", {L"chrome.exe"}, {L"Google\\Chrome\\Application"}, {L"Chrome"}, BrowserPlugins(L"Chrome")},
      {L"Brave", {L"brave.exe"}, {L"BraveSoftware\\Brave-Browser\\Application"}, {}, BrowserPlugins(L"Brave")},
      {L"Vivaldi", {L"vivaldi.exe"}, {L"Vivaldi\\Application"}, {}, BrowserPlugins(L"Vivaldi")},
      // Opera runs from a folder of its version inside its install folder.
      {L"Opera", {L"opera.exe"}, {L"Programs\\Opera", L"Opera"}, {L"OPERA"}, BrowserPlugins(L"Opera")},
      {L"Mozilla Firefox", {L"firefox.exe"}, {L"Mozilla Firefox"}, {L"FIREFOX"}, BrowserPlugins(L"Firefox")},
      {L"Mozilla", {L"mozilla.exe", L"seamonkey.exe"}, {L"mozilla.org", L"SeaMonkey"}, {L"Mozilla"}, {}},
      {L"Netscape Navigator", {L"netscape.exe", L"navigator.exe"}, {L"Netscape"}, {L"NETSCAPE"}, {}},
      {L"Safari", {L"safari.exe"}, {L"Safari"}, {L"Safari"}, {}},
      {L"Maxthon Browser", {L"maxthon.exe"}, {L"Maxthon", L"Maxthon2", L"Maxthon3"}, {L"Maxthon"}, {}},
      {L"Outlook Express", {L"msimn.exe"}, {L"Outlook Express"}, {L"outlook"}, {}},
      {L"Windows Live Mail", {L"wlmail.exe"}, {L"Windows Live\\Mail"}, {L"mail"}, {}},
  };
  return programs;
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
                                                     const std::wstring& localAppData, const ProcessLister& processes) {
  std::vector<std::wstring> found;
  std::vector<std::wstring> running = processes();
  std::wstring settingsFile = settings::SettingsFile(programFolder);
  std::vector<catalogue::plugins::PluginEntry> entries =
      catalogue::plugins::ListPlugins(catalogue::plugins::PluginFolder(programFolder));
  for (const WatchedProgram& program : WatchedPrograms()) {
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
