#include "settings/default_selection.h"

#include <algorithm>

#include "platform/text.h"
#include "settings/inifun.h"

namespace settings {

namespace {

constexpr DefaultItem kDefaultSelection[] = {
    // Traces only: nothing that signs the user out (cookies), or costs passwords, bookmarks, form
    // data or sessions, is ticked for a new user.
    {L"EXPLORER", L"location"},     {L"EXPLORER", L"history"},     {L"EXPLORER", L"cache"},
    {L"FIREFOX", L"Address"},       {L"FIREFOX", L"Cache"},        {L"FIREFOX", L"History"},
    {L"OPERA", L"Address"},         {L"OPERA", L"Cache"},          {L"OPERA", L"History"},
    {L"OPERA", L"Images"},          {L"NETSCAPE", L"Location"},    {L"NETSCAPE", L"Cache"},
    {L"NETSCAPE", L"History"},      {L"AOL", L"Address"},          {L"AOL", L"Cache"},
    {L"AOL", L"History"},           {L"MSN", L"Location"},         {L"MSN", L"Cache"},
    {L"MSN", L"History"},           {L"Mozilla", L"Address"},      {L"Mozilla", L"Cache"},
    {L"Mozilla", L"History"},       {L"Maxthon", L"keywords"},     {L"Chrome", L"Cache"},
    {L"Chrome", L"History"},        {L"Safari", L"history"},       {L"Safari", L"Cache"},
    {L"Safari", L"RecentSearches"}, {L"Safari", L"Images"},        {L"WINDOWS", L"recent"},
    {L"WINDOWS", L"run"},           {L"WINDOWS", L"search"},       {L"WINDOWS", L"temp"},
    {L"WINDOWS", L"open"},          {L"WINDOWS", L"wordpad"},      {L"WINDOWS", L"paint"},
    {L"WINDOWS", L"DirectX"},       {L"WINDOWS", L"findcomputer"}, {L"WINDOWS", L"findfiles"},
    {L"WINDOWS", L"mapnetwork"},    {L"WINDOWS", L"management"},   {L"WINDOWS", L"registryeditor"},
    {L"WINDOWS", L"recentlyused"},  {L"WINDOWS", L"streams"},      {L"WINDOWS", L"userassist"},
};

}  // namespace

std::span<const DefaultItem> DefaultSelection() { return kDefaultSelection; }

bool InDefaultSelection(const std::wstring& section, const std::wstring& key) {
  return std::any_of(std::begin(kDefaultSelection), std::end(kDefaultSelection), [&](const DefaultItem& item) {
    return platform::EqualsNoCase(section, item.section) && platform::EqualsNoCase(key, item.key);
  });
}

bool SelectionUnsaved(const std::wstring& settingsFile) {
  return settings::inifun::FlagTest(settings::inifun::ReadIniValue(settingsFile, L"Options", kDefaultSelectionKey));
}

}  // namespace settings
