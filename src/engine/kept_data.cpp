#include "engine/kept_data.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <vector>

#include "platform/text.h"
#include "platform/translation.h"

namespace engine {

namespace {

// The families of programs whose profiles hold kept files: the folders that hold the profiles (beside
// those of the browser table's rows of the family), the patterns of the profile folders' names, and a
// profile's files and folders that hold more than traces.
struct Family {
  bool chromium;
  std::initializer_list<const wchar_t*> homes;
  std::initializer_list<const wchar_t*> profiles;
  std::initializer_list<KeptEntry> entries;
};
const Family kFamilies[] = {
    // Chromium browsers: their profiles lie below a folder named as the browser table says ("User
    // Data"; "Opera Software", whose one profile is "Opera Stable").
    {true,
     {},
     {L"Default", L"Profile *", L"Guest Profile", L"System Profile", L"Opera *"},
     {
         {L"Login Data", platform::TrLater(L"saved passwords"), kKeptPasswords},
         {L"Login Data For Account", platform::TrLater(L"saved passwords"), kKeptPasswords},
         {L"Local State", platform::TrLater(L"the key to saved passwords and settings"), kKeptPasswords},
         {L"Web Data", platform::TrLater(L"autofill, cards and addresses"), kKeptAutofill},
         {L"Bookmarks", platform::TrLater(L"bookmarks"), kKeptBookmarks},
         {L"Bookmarks.bak", platform::TrLater(L"bookmarks"), kKeptBookmarks},
         {L"Account Web Data", platform::TrLater(L"autofill, cards and addresses"),
          kKeptAutofill},                                                      // those the account syncs
         {L"Collections", platform::TrLater(L"collections"), kKeptBookmarks},  // Edge's
         {L"Preferences", platform::TrLater(L"settings"), kKeptSettings},
         {L"Secure Preferences", platform::TrLater(L"settings"), kKeptSettings},
         {L"Extensions", platform::TrLater(L"extensions"), kKeptExtensions},
         {L"Local Extension Settings", platform::TrLater(L"extensions"), kKeptExtensions},
         {L"Sync Data", platform::TrLater(L"sync data"), kKeptSync},
     }},
    // Mozilla programs (Firefox, Thunderbird, the Mozilla suite, Netscape) below their "Profiles" folder.
    {false,
     {L"Profiles"},
     {L"*"},
     {
         {L"places.sqlite", platform::TrLater(L"bookmarks"), kKeptBookmarks},
         {L"favicons.sqlite", platform::TrLater(L"bookmarks' icons"), kKeptBookmarks},
         {L"bookmarkbackups", platform::TrLater(L"bookmarks"), kKeptBookmarks},
         {L"key4.db", platform::TrLater(L"the key to saved passwords"), kKeptPasswords},
         {L"logins.json", platform::TrLater(L"saved passwords"), kKeptPasswords},
         {L"key3.db", platform::TrLater(L"saved passwords"), kKeptPasswords},  // the older Firefox's
         {L"signons.sqlite", platform::TrLater(L"saved passwords"), kKeptPasswords},
         {L"autofill-profiles.json", platform::TrLater(L"addresses and cards"), kKeptAutofill},
         {L"abook.sqlite", platform::TrLater(L"address books"), kKeptContacts},  // Thunderbird's
         {L"abook.mab", platform::TrLater(L"address books"), kKeptContacts},
         {L"cert9.db", platform::TrLater(L"certificates"), kKeptSettings},
         {L"prefs.js", platform::TrLater(L"settings"), kKeptSettings},
         // The Mozilla suite, Netscape and the Firefox of their time keep toolbars and windows here.
         {L"localstore.rdf", platform::TrLater(L"toolbar and window settings"), kKeptSettings},
     }},
};

// Below HKEY_CURRENT_USER.
constexpr KeptEntry kKeys[] = {
    {L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites",
     platform::TrLater(L"Regedit's favourites"), kKeptFavourites},
};

std::vector<std::wstring> Parts(const std::wstring& path) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (size_t slash; (slash = path.find(L'\\', start)) != std::wstring::npos; start = slash + 1) {
    if (slash > start) parts.push_back(path.substr(start, slash - start));
  }
  if (start < path.size()) parts.push_back(path.substr(start));
  return parts;
}

// A database's companions ("Login Data-journal", "places.sqlite-wal") hold what it holds.
bool Names(const std::wstring& part, const wchar_t* name, bool last) {
  if (platform::EqualsNoCase(part, name)) return true;
  std::wstring_view entry(name);
  return last && part.size() > entry.size() + 1 && part[entry.size()] == L'-' &&
         platform::EqualsNoCase(std::wstring_view(part).substr(0, entry.size()), entry);
}

// The folder that holds a Chromium browser's profiles: the last of its profiles folder, or the one
// above when that is its one profile.
std::wstring_view ChromiumHome(const Browser& browser) {
  std::wstring_view folder(browser.profiles);
  if (browser.profileItself) folder = folder.substr(0, folder.find_last_of(L'\\'));
  return folder.substr(folder.find_last_of(L'\\') + 1);
}

std::vector<std::wstring_view> Homes(const Family& family, std::span<const Browser> browsers) {
  std::vector<std::wstring_view> homes(family.homes.begin(), family.homes.end());
  for (const Browser& browser : browsers) {
    if (family.chromium && browser.chromium && browser.profiles) homes.push_back(ChromiumHome(browser));
  }
  return homes;
}

// Where the first home folder of the family is among the parts; their number when none is.
size_t HomeAt(const std::vector<std::wstring>& parts, const Family& family, std::span<const Browser> browsers) {
  const std::vector<std::wstring_view> homes = Homes(family, browsers);
  size_t at = 0;
  while (at < parts.size() && std::none_of(homes.begin(), homes.end(), [&](std::wstring_view home) {
           return platform::EqualsNoCase(parts[at], home);
         })) {
    ++at;
  }
  return at;
}

const KeptEntry* Named(const std::wstring& part, const Family& family, bool last) {
  for (const KeptEntry& entry : family.entries) {
    if (Names(part, entry.name, last)) return &entry;
  }
  return nullptr;
}

// The entry named by a part below the first home folder of the family in the path.
const KeptEntry* Below(const std::vector<std::wstring>& parts, const Family& family,
                       std::span<const Browser> browsers) {
  for (size_t part = HomeAt(parts, family, browsers) + 1; part < parts.size(); ++part) {
    if (const KeptEntry* entry = Named(parts[part], family, part + 1 == parts.size())) return entry;
  }
  return nullptr;
}

std::wstring WithoutSeparators(const std::wstring& subkey) {
  size_t first = subkey.find_first_not_of(L'\\');
  size_t last = subkey.find_last_not_of(L'\\');
  return first == std::wstring::npos ? std::wstring() : subkey.substr(first, last - first + 1);
}

// The kept keys are a user's own: below HKEY_CURRENT_USER, or below any user's hive in HKEY_USERS,
// which names the same keys by the user's SID. The key below the user's hive; nothing for other roots.
std::optional<std::wstring> InUserHive(HKEY root, const std::wstring& subkey) {
  std::wstring key = WithoutSeparators(subkey);
  if (root == HKEY_CURRENT_USER) return key;
  if (root != HKEY_USERS) return std::nullopt;
  size_t hive = key.find(L'\\');
  return hive == std::wstring::npos ? std::wstring() : WithoutSeparators(key.substr(hive + 1));
}

bool AtOrBelow(const std::wstring& key, const std::wstring& top) {
  return platform::EqualsNoCase(key, top) || platform::IsBelow(key, top);
}

}  // namespace

const KeptEntry* KeptFile(const std::wstring& path, std::span<const Browser> browsers) {
  std::vector<std::wstring> parts = Parts(path);
  for (const Family& family : kFamilies) {
    if (const KeptEntry* entry = Below(parts, family, browsers)) return entry;
  }
  return nullptr;
}

KeptFolder::KeptFolder(const std::wstring& folder, std::span<const Browser> browsers) {
  const std::vector<std::wstring> parts = Parts(folder);
  for (size_t family = 0; family < std::size(kFamilies); ++family) {
    size_t home = HomeAt(parts, kFamilies[family], browsers);
    if (home == parts.size()) continue;
    const KeptEntry* entry = nullptr;
    for (size_t part = home + 1; part < parts.size() && !entry; ++part) {
      entry = Named(parts[part], kFamilies[family], false);
    }
    families_.push_back({family, entry});
  }
}

const KeptEntry* KeptFolder::File(const std::wstring& name) const {
  for (const Judged& judged : families_) {
    if (const KeptEntry* entry = judged.entry ? judged.entry : Named(name, kFamilies[judged.family], true)) {
      return entry;
    }
  }
  return nullptr;
}

const KeptEntry* KeptFileReached(const std::wstring& folder, const std::vector<std::wstring>& patterns,
                                 std::span<const Browser> browsers) {
  constexpr const wchar_t* kCompanions[] = {L"", L"-journal", L"-wal", L"-shm"};
  auto matchesAny = [](const std::wstring& name, const auto& wanted) {
    return std::any_of(std::begin(wanted), std::end(wanted),
                       [&](const auto& pattern) { return platform::MatchesPattern(name, pattern); });
  };
  const std::vector<std::wstring> parts = Parts(folder);
  for (const Family& family : kFamilies) {
    if (const KeptEntry* entry = Below(parts, family, browsers)) return entry;
    const std::vector<std::wstring_view> homes = Homes(family, browsers);
    auto home =
        std::find_if(parts.begin(), parts.end(), [&](const std::wstring& part) { return matchesAny(part, homes); });
    if (home == parts.end()) continue;
    // Kept files lie in the home folder and in its profile folders, which a wildcard stands for.
    const std::wstring& last = parts.back();
    const bool profile = home + 2 == parts.end() && (platform::HasWildcard(last) || matchesAny(last, family.profiles));
    if (home + 1 != parts.end() && !profile) continue;
    for (const KeptEntry& entry : family.entries) {
      for (const wchar_t* companion : kCompanions) {
        if (matchesAny(entry.name + std::wstring(companion), patterns)) return &entry;
      }
    }
  }
  return nullptr;
}

const KeptEntry* KeptKeyWithin(HKEY root, const std::wstring& subkey) {
  std::optional<std::wstring> key = InUserHive(root, subkey);
  if (!key) return nullptr;
  for (const KeptEntry& entry : kKeys) {
    if (AtOrBelow(entry.name, *key)) return &entry;
  }
  return nullptr;
}

const KeptEntry* KeptKeyHolding(HKEY root, const std::wstring& subkey) {
  std::optional<std::wstring> key = InUserHive(root, subkey);
  if (!key || key->empty()) return nullptr;
  for (const KeptEntry& entry : kKeys) {
    if (AtOrBelow(*key, entry.name)) return &entry;
  }
  return nullptr;
}

std::wstring KeptRefusal(const KeptEntry& entry) {
  return platform::Fill(platform::Tr(L"holds {what} the user keeps"), {{L"what", platform::Tr(entry.holds)}});
}

std::wstring KeptKeyPath(const KeptEntry& entry) { return std::wstring(L"HKEY_CURRENT_USER\\") + entry.name; }

}  // namespace engine
