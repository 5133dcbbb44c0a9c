#include "shipped_plugins.h"

#include <gtest/gtest.h>

#include "engine/plugins.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "support/test_support.h"

using namespace testing_support;

TEST(ShippedPlugins, NamedAfterTheirAppnameSwitchedOffAndWellFormed) {
  ASSERT_GE(std::size(kShippedPlugins), 2u);
  TempFolder folder;
  for (const ShippedPlugin& shipped : kShippedPlugins) WriteText(folder / shipped.fileName, shipped.text);
  auto entries = plugins::ListPlugins(folder.Path());
  ASSERT_EQ(entries.size(), std::size(kShippedPlugins));
  for (const plugins::PluginEntry& entry : entries) {
    EXPECT_EQ(entry.file, folder / (entry.name + L".ppe"));
    EXPECT_FALSE(entry.version.empty()) << entry.name;
    EXPECT_GT(entry.description.size(), entry.name.size() + entry.version.size() + 2) << entry.name;
    EXPECT_EQ(inifun::ReadIniValue(entry.file, L"swich", L"on"), L"0") << entry.name;
    size_t lines = 0;
    for (const wchar_t* section : {L"regtree", L"reg", L"file", L"fileext", L"folder"}) {
      for (const std::wstring& line : inifun::ReadIniSection(section, entry.file)) {
        ++lines;
        std::wstring value = line.substr(line.find(L'=') + 1);
        std::wstring first = value.substr(0, value.find(L','));
        size_t fields = 1 + std::count(value.begin(), value.end(), L',');
        if (section == std::wstring_view(L"regtree") || section == std::wstring_view(L"reg")) {
          auto root = plugins::ParseRoot(first);
          EXPECT_TRUE(root && *root == HKEY_CURRENT_USER) << line;
          EXPECT_EQ(fields, section == std::wstring_view(L"reg") ? 3u : 2u) << line;
        } else {
          EXPECT_TRUE(first == L"appdata" || first == L"localappdata") << line;
          EXPECT_EQ(fields, section == std::wstring_view(L"folder") ? 2u : 3u) << line;
          EXPECT_EQ(value.find(L' '), std::wstring::npos) << line;
        }
      }
    }
    EXPECT_GT(lines, 0u) << entry.name;
  }
}
