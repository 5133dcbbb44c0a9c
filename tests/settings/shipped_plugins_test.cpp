#include "shipped_plugins.h"

#include <gtest/gtest.h>

#include "catalogue/plugins.h"
#include "platform/text.h"
#include "settings/inifun.h"
#include "support/test_support.h"

using namespace testing_support;

namespace {

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::wstring::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The tree sections walk whole profiles, so a definition must never name what the user keeps.
void ExpectWellFormedTreeLine(const std::wstring& line, size_t expectedFields) {
  std::vector<std::wstring> fields = Split(line.substr(line.find(L'=') + 1), L',');
  ASSERT_EQ(fields.size(), expectedFields) << line;
  EXPECT_TRUE(fields[0] == L"appdata" || fields[0] == L"localappdata") << line;
  for (const std::wstring& field : fields) {
    // Blanks inside a folder name are real ("User Data"); blanks at a field's ends are mistakes.
    EXPECT_FALSE(field.empty() || field.front() == L' ' || field.back() == L' ') << line;
  }
  ASSERT_EQ(fields[1].front(), L'\\') << line;
  std::vector<std::wstring> segments = Split(fields[1].substr(1), L'\\');
  if (expectedFields == 3) segments.push_back(fields[2]);
  for (const std::wstring& segment : segments) {
    EXPECT_FALSE(segment.empty()) << line;
    EXPECT_TRUE(segment == L"*" || segment.find(L'*') == std::wstring::npos) << line;
    std::wstring lower = platform::ToLower(segment);
    for (const wchar_t* kept : {L"login data", L"bookmarks", L"extensions", L"preferences", L"places.sqlite",
                                L"logins.json", L"key4.db", L"web data", L"prefs.js"}) {
      EXPECT_NE(lower, kept) << line;
    }
  }
}

}  // namespace

TEST(ShippedPlugins, NamedAfterTheirAppnameSwitchedOffAndWellFormed) {
  ASSERT_GE(std::size(kShippedPlugins), 2u);
  TempFolder folder;
  for (const ShippedFile& shipped : kShippedPlugins) WriteText(folder / shipped.fileName, shipped.text);
  auto entries = catalogue::plugins::ListPlugins(folder.Path());
  ASSERT_EQ(entries.size(), std::size(kShippedPlugins));
  for (const catalogue::plugins::PluginEntry& entry : entries) {
    EXPECT_EQ(entry.file, folder / (entry.name + L".ppe"));
    EXPECT_FALSE(entry.version.empty()) << entry.name;
    EXPECT_GT(entry.description.size(), entry.name.size() + entry.version.size() + 2) << entry.name;
    EXPECT_EQ(settings::inifun::ReadIniValue(entry.file, L"swich", L"on"), L"0") << entry.name;
    size_t lines = 0;
    for (const wchar_t* section : catalogue::plugins::kSections) {
      std::wstring_view name = section;
      for (const std::wstring& line : settings::inifun::ReadIniSection(entry.file, section)) {
        ++lines;
        std::wstring value = line.substr(line.find(L'=') + 1);
        std::wstring first = value.substr(0, value.find(L','));
        size_t fields = 1 + std::count(value.begin(), value.end(), L',');
        if (name == L"regtree" || name == L"reg") {
          auto root = catalogue::plugins::ParseRoot(first);
          EXPECT_TRUE(root && *root == HKEY_CURRENT_USER) << line;
          EXPECT_EQ(fields, name == L"reg" ? 3u : 2u) << line;
        } else if (name == L"file" || name == L"fileext" || name == L"folder") {
          EXPECT_TRUE(first == L"appdata" || first == L"localappdata") << line;
          EXPECT_EQ(fields, name == L"folder" ? 2u : 3u) << line;
          EXPECT_EQ(value.find(L' '), std::wstring::npos) << line;
        } else {
          ExpectWellFormedTreeLine(line, name == L"alltree" ? 2u : 3u);
        }
      }
    }
    EXPECT_GT(lines, 0u) << entry.name;
  }
}
