#pragma once
// Every browser the program knows, one row each: what the shipped rules and plug-ins call it, its
// programs and install folders, where its profiles lie and what they hold, its windows and its
// option. The layers above derive their tables from these rows, so a browser is known by one row.
#include <initializer_list>
#include <span>

namespace engine {

// The group the community's rule format numbers a browser by (its "LangSecRef"); 0: none.
struct BrowserCategory {
  int number;
  const wchar_t* name;  // as the cleaners show it
};

// A member a row leaves out is empty: a browser of old has only its programs and settings sections.
struct Browser {
  const wchar_t* name = nullptr;       // "Google Chrome": shown by the running programs and the close options
  const wchar_t* shortName = nullptr;  // "Chrome": the cookie keep list's, and its shipped plug-ins' "Chrome Cache"...
  bool plugins = false;                // the program ships plug-in definitions "<shortName> <kind>"
  // Its shipped rules "<rule> Cache *"..., nullptr: none; their page on the Browsers tab, nullptr:
  // they stay in the rule list; the kind of its rule its "History" definition does.
  const wchar_t* rule = nullptr;
  const wchar_t* tab = nullptr;
  const wchar_t* historyRule = nullptr;
  std::initializer_list<const wchar_t*> executables{};
  // Under each program files folder and the local application data (a per-user install).
  std::initializer_list<const wchar_t*> installs{};
  std::initializer_list<const wchar_t*> sections{};  // settings sections of its built-in items
  bool roaming = false;               // its profiles lie under the roaming application data, else the local
  const wchar_t* profiles = nullptr;  // the folder of its profiles under that; nullptr: none of its own
  bool profileItself = false;         // that folder is its one profile (Opera's)
  bool chromium = false;              // its profiles hold what every Chromium profile keeps
  // A profile's cookie databases, today's first, and its history database.
  std::initializer_list<const wchar_t*> cookies{};
  const wchar_t* history = nullptr;
  const wchar_t* key = nullptr;  // its option "CleanOnClose..." in section "Options"; nullptr: none
  // The class of its main windows, which the boss key hides; every window of it, whoever made it,
  // or only its programs' main windows on the screen.
  const wchar_t* windowClass = nullptr;
  bool everyWindow = false;
  BrowserCategory category{};
  // The names entries call it by, lower case; a search for one of them finds them all.
  std::initializer_list<const wchar_t*> searchNames{};
};

// The most used first: a new user's selection window opens on the first that is installed.
std::span<const Browser> Browsers();

}  // namespace engine
