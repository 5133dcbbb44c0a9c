#pragma once
// The built-in items a new user starts with: the traces of browsing and of Windows that nobody keeps
// on purpose, so that a first cleaning cleans.
#include <span>
#include <string>

namespace settings {

struct DefaultItem {
  const wchar_t* section;
  const wchar_t* key;
};

// Temporary files, caches, histories, typed addresses and recent lists of every browser and of
// Windows; never cookies, passwords, form data, bookmarks, favourites, downloads, accounts, contacts,
// profiles, sessions or the recycle bin.
std::span<const DefaultItem> DefaultSelection();
// Whether the item is in DefaultSelection(), section and key matched as the settings file matches them.
bool InDefaultSelection(const std::wstring& section, const std::wstring& key);

// The value in [Options] that marks a selection the program ticked, until the user saves one in the
// selection window: no unattended run cleans with a selection the user never saw.
constexpr wchar_t kDefaultSelectionKey[] = L"DefaultSelection";
bool SelectionUnsaved(const std::wstring& settingsFile);

}  // namespace settings
