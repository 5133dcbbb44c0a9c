#pragma once
// A profile seeded with traces for whole runs: browser caches and histories under scratch
// application-data folders, a custom file and folder, a plug-in whose registry targets live in a
// scratch key, and the flags that switch them on.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/plugins.h"
#include "platform/text.h"
#include "run/clean_run.h"
#include "settings/custom_list.h"
#include "settings/inifun.h"
#include "support/firefox_places.h"
#include "support/test_support.h"

namespace testing_support {

struct SeededProfile {
  SeededProfile() {
    values.appDataFolder = root / L"Roaming";
    values.localAppDataFolder = root / L"Local";
    values.windowsFolder = root / L"Windows";
    values.ieMajorVersion = 9;
    values.windowsVersion = L"6.1";

    std::wstring firefox = values.appDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default";
    MakeFirefoxPlaces(firefox + L"\\places.sqlite");
    MakeFile(firefox + L"\\cookies.sqlite", 300);
    MakeFile(firefox + L"\\prefs.js", 50);  // not a trace: stays
    std::wstring localFirefox = values.localAppDataFolder + L"\\Mozilla\\Firefox\\Profiles\\abc.default";
    MakeFile(localFirefox + L"\\Cache\\entries\\0A1B", 4096);
    MakeFile(localFirefox + L"\\Cache\\index", 100);
    std::wstring chromeCache = values.localAppDataFolder + L"\\Google\\Chrome\\User Data\\Default\\Cache";
    for (int i = 0; i < 5; ++i) MakeFile(chromeCache + L"\\f_00000" + std::to_wstring(i), 1000 + i);
    hiddenCacheFile = chromeCache + L"\\data_0";
    MakeFile(hiddenCacheFile, 8192);
    SetFileAttributesW(hiddenCacheFile.c_str(), FILE_ATTRIBUTE_HIDDEN);

    customFile = root / L"Own\\notes.txt";
    MakeFile(customFile, 777);
    customFolder = root / L"Own\\Drafts";
    MakeFile(customFolder + L"\\a.doc", 10);
    MakeFile(customFolder + L"\\deep\\b.doc", 20);
    settings::WriteCustomList(settings::CustomListFile(program.Path()),
                              {{customFile, L"File"}, {customFolder, L"Folder"}});

    SetString(HKEY_CURRENT_USER, registry.Subkey() + L"\\History\\Recent", L"1", L"first");
    SetString(HKEY_CURRENT_USER, registry.Subkey() + L"\\History", L"Count", L"1");
    SetString(HKEY_CURRENT_USER, registry.Subkey() + L"\\Settings", L"LastUser", L"someone");
    SetString(HKEY_CURRENT_USER, registry.Subkey() + L"\\Settings", L"Kept", L"stays");
    pluginLogs = root / L"Tool\\Logs";
    MakeFile(pluginLogs + L"\\run.log", 64);
    MakeFile(pluginLogs + L"\\keep.txt", 32);
    std::wstring definition = catalogue::plugins::PluginFolder(program.Path()) + L"\\Tool.ppe";
    MakeFolders(catalogue::plugins::PluginFolder(program.Path()));
    WriteText(definition, "[name]\r\nappname=Tool\r\n[swich]\r\non=1\r\n[regtree]\r\n1=-2147483647," +
                              platform::Narrow(registry.Subkey()) + "\\History\r\n[reg]\r\n1=-2147483647," +
                              platform::Narrow(registry.Subkey()) +
                              "\\Settings,LastUser\r\n[fileext]\r\n1=" + platform::Narrow(pluginLogs) + ",,log\r\n");

    for (const auto& [section, key] : kItems) settings::inifun::WriteIniValue(Settings(), section, key, L"1");
  }

  std::wstring Settings() const { return program / L"prisd.dat"; }

  static constexpr std::pair<const wchar_t*, const wchar_t*> kItems[] = {
      {L"FIREFOX", L"Address"}, {L"FIREFOX", L"Cookies"}, {L"FIREFOX", L"cache"},
      {L"Chrome", L"Cache"},    {L"WINDOWS", L"clip"},    {L"Custom", L"Custom"},
  };

  // A run over this profile with the custom-item and plug-in stages.
  std::unique_ptr<run::CleanRun> MakeRun(run::RunView& view) {
    auto run = std::make_unique<run::CleanRun>(view, program.Path(), values, catalogue::Stages());
    return run;
  }

  TempFolder root;
  TempFolder program;
  TempRegistryKey registry;
  run::ProcessValues values;
  std::wstring hiddenCacheFile, customFile, customFolder, pluginLogs;
};

// A report's content in a form that compares as a whole: one line per record, sorted per item.
inline std::vector<std::wstring> ReportLines(const engine::RunReport& report) {
  std::vector<std::wstring> lines;
  for (const engine::ItemReport& item : report.items) {
    std::vector<std::wstring> records;
    for (const engine::FileRecord& file : item.files)
      records.push_back(L"file " + file.path + L" " + std::to_wstring(file.size));
    for (const std::wstring& folder : item.folders) records.push_back(L"folder " + folder);
    for (const std::wstring& key : item.keys) records.push_back(L"key " + key);
    for (const std::wstring& value : item.values) records.push_back(L"value " + value);
    for (const std::wstring& step : item.steps) records.push_back(L"step " + step);
    for (const engine::LeftRecord& left : item.leftBehind) records.push_back(L"left " + left.path + L" " + left.reason);
    std::sort(records.begin(), records.end());
    lines.push_back(L"item " + item.section + L"/" + item.key + L" " + item.label);
    lines.insert(lines.end(), records.begin(), records.end());
  }
  return lines;
}

}  // namespace testing_support
