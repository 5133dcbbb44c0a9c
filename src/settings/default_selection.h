#pragma once
// The items a new user starts with: the traces of browsing and of Windows that nobody keeps on
// purpose, so that a first cleaning cleans.
#include <span>
#include <string>

namespace settings {

struct DefaultItem {
  const wchar_t* section;
  const wchar_t* key;
};

// Temporary files, caches, histories, typed addresses, recent lists and cookies of every browser and
// of Windows; never passwords, bookmarks, favourites, downloads, accounts, contacts, profiles,
// sessions or the recycle bin.
std::span<const DefaultItem> DefaultSelection();

// Ticks the default selection in a new settings file when the program folder has none yet; a user
// who has one keeps it untouched. False when there was one, or it could not be written.
bool InstallDefaultSelection(const std::wstring& programFolder);

}  // namespace settings
