#pragma once
// Every window of the program built on the dialog base, for the tests that go through them all.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/about_window.h"
#include "dialogs/cookie_window.h"
#include "dialogs/details_window.h"
#include "dialogs/extension_window.h"
#include "dialogs/first_cleaning_window.h"
#include "dialogs/kept_paths_window.h"
#include "dialogs/locate_window.h"
#include "dialogs/options_window.h"
#include "dialogs/rule_update_window.h"
#include "dialogs/selection_window.h"
#include "dialogs/url_window.h"
#include "papermill/papermill_window.h"
#include "shipped_rules.h"
#include "support/test_support.h"
#include "ui/explorer_keep.h"

namespace testing_support {

// Every window built on the dialog base that the tests open on their own, each with its name and
// the data it shows; `program` is its program folder.
using NamedDialogs = std::vector<std::pair<const char*, std::function<std::unique_ptr<toolkit::Dialog>()>>>;
inline NamedDialogs EveryDialog(TempFolder& program) {
  return {
      // With the shipped rules, whose browsers have tabs of their own.
      {"Cleaning Settings",
       [&] {
         for (const ShippedFile& file : kShippedRules) {
           WriteText(program / (L"rules\\" + std::wstring(file.fileName)), file.text);
         }
         return std::make_unique<dialogs::SelectionWindow>(program.Path(), dialogs::SelectionServices{});
       }},
      {"Options", [&] { return std::make_unique<dialogs::OptionsWindow>(settings::BossKeySwitch{}, program.Path()); }},
      {"About", [&] { return std::make_unique<dialogs::AboutWindow>(program.Path()); }},
      // A download of thousands of entries, one refused in part.
      {"New rules",
       [&] {
         catalogue::rules::RulesDownload download;
         download.pending = true;
         download.oldEntries = 3715;
         download.newEntries = 4067;
         catalogue::rules::RuleChange refused;
         refused.kind = catalogue::rules::ChangeKind::Changed;
         refused.name = L"Example Viewer Logs With A Long Name *";
         refused.erasesMore = refused.appliesHere = true;
         refused.refused = {L"C:\\windows is a protected folder of Windows"};
         catalogue::rules::RuleChange removed;
         removed.kind = catalogue::rules::ChangeKind::Removed;
         removed.name = L"Example Tool *";
         download.changes = {refused, removed};
         return std::make_unique<dialogs::RuleChangesWindow>(program.Path(), download);
       }},
      // Sites from three browsers, one held open.
      {"Cookies",
       [&] {
         return std::make_unique<dialogs::CookieKeepListWindow>(program.Path(), [] {
           return keeplists::CookieCensus{{{L"example.com", {L"Internet Explorer", L"Chrome", L"Firefox"}, 12},
                                           {L"news.org", {L"Edge"}, 1}},
                                          {L"Opera: C:\\Users\\me\\Opera Stable\\Network\\Cookies (in use)"}};
         });
       }},
      {"Addresses", [&] { return std::make_unique<dialogs::UrlKeepListWindow>(program.Path()); }},
      // A folder kept from the details and a pattern written by hand.
      {"Files and folders to keep",
       [&] {
         WriteText(engine::KeptPathsFile(program.Path()),
                   "C:\\Users\\me\\Documents\\Taxes\tthe details\r\nC:\\Logs\\*.log\r\n");
         return std::make_unique<dialogs::KeptPathsWindow>(program.Path());
       }},
      {"Search & Erase", [&] { return std::make_unique<dialogs::LocateWindow>(program.Path()); }},
      {"Extensions",
       [&] {
         return std::make_unique<dialogs::ExtensionWindow>(program.Path(), filesearch::DiskmoteSettings(), nullptr);
       }},
      // A file of the program folder, queued with its refusal.
      {"Papermill",
       [&] {
         return std::make_unique<papermill::PapermillWindow>(program.Path(),
                                                             std::vector<std::wstring>{program / L"prisd.dat"});
       }},
      // Explorer's selection: one path kept, one refused.
      {"Keep from cleaning",
       [&] {
         return std::make_unique<ui::ExplorerKeepWindow>(program.Path(),
                                                         std::vector<std::wstring>{program / L"prisd.dat",
                                                                                   L"relative.txt"});
       }},
  };
}

// Those and the two windows a run opens: the first cleaning's question and a result row's details.
inline NamedDialogs EveryWindow(TempFolder& program) {
  NamedDialogs windows = EveryDialog(program);
  engine::RunReport preview;
  preview.preview = true;
  windows.emplace_back("first cleaning", [&program, preview] {
    return std::make_unique<dialogs::FirstCleaningWindow>(preview, program.Path());
  });
  windows.emplace_back("details", [&program] {
    return std::make_unique<dialogs::DetailsWindow>(L"Chrome Cache - Result", engine::ItemReport{},
                                                    std::vector<engine::RuleReason>{}, false, program.Path());
  });
  return windows;
}

}  // namespace testing_support
