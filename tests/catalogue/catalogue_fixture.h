#pragma once
// Runs catalogue items through the real cleaning run, one or a few flags at a time, with the
// program's folders pointing into a scratch folder.
#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <utility>

#include "catalogue/catalogue.h"
#include "engine/allerase.h"
#include "engine/regfun.h"
#include "platform/files.h"
#include "platform/text.h"
#include "run/clean_run.h"
#include "settings/inifun.h"
#include "support/test_support.h"

namespace testing_support {

class CatalogueTest : public ::testing::Test {
 protected:
  CatalogueTest() {
    values.appDataFolder = root / L"Roaming";
    values.localAppDataFolder = root / L"Local";
    values.windowsFolder = root / L"Windows";
    values.ieMajorVersion = 9;
    values.windowsVersion = L"6.1";
  }

  // Switches on exactly the given items, runs, and returns the counters of the run.
  run::RunCounters Run(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> items) {
    std::wstring settings = program / L"prisd.dat";
    DeleteFileW(settings.c_str());
    for (const auto& [section, key] : items) settings::inifun::WriteIniValue(settings, section, key, L"1");
    view = RecordingView();
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    run.SetAgeClock([this] { return platform::NowTicks() + platform::TicksOf(agesJudgedLater); });
    run.CleanNow();
    return {Number(settings::inifun::ReadIniValue(settings, L"Options", L"regnum")),
            Number(settings::inifun::ReadIniValue(settings, L"Options", L"filesize"))};
  }

  // Runs every stage with the ticks and switches as the test left them.
  run::RunCounters RunAsTicked() {
    view = RecordingView();
    run::CleanRun run(view, program.Path(), values, catalogue::Stages());
    run.CleanNow();
    return run.Counters();
  }

  static double Number(const std::wstring& text) { return text.empty() ? -1 : std::stod(text); }

  TempFolder root;
  TempFolder program;
  TempFolder documents;
  ScopedRegistryValue personal{HKEY_CURRENT_USER,
                               L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                               L"Personal", documents.Path(), REG_EXPAND_SZ};
  run::ProcessValues values;
  RecordingView view;
  // How long after now a run judges the ages of files: a file made now is that old by then.
  std::chrono::seconds agesJudgedLater{0};
};

}  // namespace testing_support
