#pragma once
// The built-in items a new user starts with: the traces of browsing and of Windows that nobody keeps
// on purpose, so that a first cleaning cleans.
#include <span>

namespace settings {

struct DefaultItem {
  const wchar_t* section;
  const wchar_t* key;
};

// Temporary files, caches, histories, typed addresses, recent lists and cookies of every browser and
// of Windows; never passwords, bookmarks, favourites, downloads, accounts, contacts, profiles,
// sessions or the recycle bin.
std::span<const DefaultItem> DefaultSelection();

}  // namespace settings
