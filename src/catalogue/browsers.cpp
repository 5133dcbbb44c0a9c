#include <windows.h>

#include "catalogue/catalogue.h"
#include "engine/allerase.h"
#include "engine/kept_data.h"
#include "engine/kept_paths.h"
#include "engine/normal.h"
#include "engine/places_history.h"
#include "engine/regfun.h"
#include "engine/run_and_wait.h"
#include "engine/user_folders.h"
#include "keeplists/keep_list_file.h"
#include "keeplists/url_history.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system_folders.h"
#include "platform/translation.h"
#include "settings/policies.h"

// Internet Explorer, Firefox, Opera, Netscape, AOL Explorer, MSN Explorer, Mozilla, Maxthon, Chrome,
// Safari. AOL Explorer shares Internet Explorer's stores.
namespace catalogue {

namespace {

// Item labels are shown through the catalogue.
using platform::TrLater;

// The shell folders Internet Explorer keeps its stores in, each with where Windows puts it for another
// user whose hive does not say.
enum class Store { Cookies, Cache, History, Favorites };
constexpr struct {
  const wchar_t* name;
  const wchar_t* usual;
} kStores[] = {
    {L"Cookies", L"\\AppData\\Roaming\\Microsoft\\Windows\\Cookies"},
    {L"Cache", L"\\AppData\\Local\\Microsoft\\Windows\\INetCache"},
    {L"History", L"\\AppData\\Local\\Microsoft\\Windows\\History"},
    {L"Favorites", L"\\Favorites"},
};

// The store's folder for the user of the run: the current user's exactly as the session reads it;
// another user's only inside that user's profile.
std::wstring FolderOf(const run::ItemContext& context, Store store) {
  const auto& folder = kStores[static_cast<size_t>(store)];
  return engine::UserFolderFor(context.erase, context.values.user, folder.name, folder.usual);
}

// Internet Explorer's control panel clears its own tracks when asked through rundll32. Wine exports
// the entry point only as a stub: rundll32 then crashes into the debugger and never ends, so there
// the step does nothing, as on a system without the control panel.
bool CanClearTracks() {
  static const bool available = [] {
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return false;
    platform::Module panel(LoadLibraryExW(L"inetcpl.cpl", nullptr, 0));
    return panel && (GetProcAddress(panel.get(), "ClearMyTracksByProcessW") ||
                     GetProcAddress(panel.get(), "ClearMyTracksByProcess"));
  }();
  return available;
}

std::wstring ClearTracksCommand(const wchar_t* argument) {
  return std::wstring(L"RunDll32.exe InetCpl.cpl,ClearMyTracksByProcess ") + argument;
}

// The row's note when the control panel's clearing would have taken what the user keeps.
constexpr const wchar_t* kTracksSparingKept =
    TrLater(L"Done, without Internet Explorer's own clearing: its stores hold files you keep");

// The control panel clears the tracks of the user the program runs as: another user's run leaves it.
// It spares nothing in the stores it clears, so it is left out when they hold what the user keeps; the
// item's own walks still take the rest.
bool ClearsTracks(run::ItemContext& context) {
  if (!context.values.user.Current() || !CanClearTracks()) return false;
  if (!engine::KeepsWithin(context.erase, {FolderOf(context, Store::Cookies), FolderOf(context, Store::Cache),
                                           FolderOf(context, Store::History)})) {
    return true;
  }
  context.outcome = platform::Tr(kTracksSparingKept);
  return false;
}

void ClearTracksAndWait(run::ItemContext& context, const wchar_t* argument) {
  if (ClearsTracks(context)) {
    engine::RunAndWait(context.erase, ClearTracksCommand(argument), [&] { context.view.FocusMainWindow(); });
  }
}

void ClearTracksMinimised(run::ItemContext& context, const wchar_t* argument) {
  if (ClearsTracks(context) && context.erase.Perform(ClearTracksCommand(argument))) {
    engine::StartProcess(ClearTracksCommand(argument), SW_SHOWMINIMIZED);
  }
}

constexpr wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

std::wstring TypedUrlName(size_t index) { return L"url" + std::to_wstring(index + 1); }

// Whether the key holds the kept addresses as the item writes them back, and nothing else.
bool HoldsOnlyKept(HKEY root, const std::wstring& subkey, const std::vector<std::wstring>& kept) {
  platform::RegKey key;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
  DWORD subkeys = 0, values = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS ||
      subkeys != 0 || values != kept.size()) {
    return false;
  }
  for (size_t i = 0; i < kept.size(); ++i) {
    auto value = engine::regfun::ReadRegistryValueRaw(root, subkey, TypedUrlName(i));
    if (!value || value->type != REG_SZ || value->text != kept[i]) return false;
  }
  return true;
}

// The typed-address key comes back holding exactly the kept addresses, as "url1", "url2", ... Another
// user's key comes back only in that user's hive: a hive that could not be loaded gets none. A key that
// holds just that already (on a clean system, an empty key) stays as it is: deleting it and making it
// again would erase nothing, and it is not counted as erased; the counters add their fixed amount.
void ResetTypedAddresses(run::ItemContext& context) {
  const engine::UserScope& user = context.values.user;
  const auto [root, subkey] = user.Key(HKEY_CURRENT_USER, kTypedUrls);
  std::vector<std::wstring> kept = keeplists::LoadKeptUrls(context.programFolder);
  // The organisation's addresses are kept too, though never written into the user's list.
  if (const std::vector<std::wstring>* added = settings::PoliciesInForce().List(L"KeepAddresses")) {
    kept.insert(kept.end(), added->begin(), added->end());
  }
  const std::wstring key = user.KeyPath(std::wstring(L"HKEY_CURRENT_USER\\") + kTypedUrls);
  if (HoldsOnlyKept(root, subkey, kept)) {
    if (!context.erase.Stopped()) context.AddKeys(engine::allerase::kKeyCount);
  } else {
    context.AddKeys(engine::allerase::DeleteRegistryKey(context.erase, root, subkey));
    platform::RegKey hive;
    if (!user.Current() && RegOpenKeyExW(HKEY_USERS, user.hive.c_str(), 0, KEY_READ, hive.out()) != ERROR_SUCCESS) {
      return;
    }
    engine::regfun::CreateRegistryKey(context.erase, key);
    for (size_t i = 0; i < kept.size(); ++i) {
      engine::regfun::WriteRegistryString(context.erase, key, TypedUrlName(i), kept[i]);
    }
  }
  for (size_t i = 0; i < kept.size(); ++i) {
    context.erase.Kept(key + L"\\" + TypedUrlName(i), engine::KeptFor::Address, kept[i],
                       platform::Fill(platform::Tr(L"the typed address {address}"), {{L"address", kept[i]}}));
  }
}

// Every cookie file except those the keep list names and those of a kept site.
void PurgeCookies(run::ItemContext& context) {
  std::wstring folder = FolderOf(context, Store::Cookies);
  if (!IsFullPath(folder)) return;
  std::vector<std::wstring> kept =
      keeplists::KeptCookieFiles(context.programFolder, folder, context.erase.addedKeptSites);
  context.AddBytes(engine::allerase::EraseFilesInFolderExcept(context.erase, folder, kept));
}

// The store clears its own files, sparing none the user keeps.
void ClearUrlHistory(run::ItemContext& context) {
  if (engine::KeepsWithin(context.erase, {FolderOf(context, Store::History)})) {
    context.outcome = platform::Tr(kTracksSparingKept);
    return;
  }
  if (!context.erase.Perform(platform::Tr(L"Clear Internet Explorer's history store"))) return;
  keeplists::CURLHistory history;
  history.Clear();
}

// The history store answers for the user the program runs as: another user's history is the files of
// that user's History folder.
bool EraseOtherUsersHistory(run::ItemContext& context) {
  if (context.values.user.Current()) return false;
  std::wstring history = FolderOf(context, Store::History);
  if (IsFullPath(history)) context.AddBytes(engine::allerase::EraseAllFilesInTree(context.erase, history));
  return true;
}

void ClearIeHistory(run::ItemContext& context) {
  if (EraseOtherUsersHistory(context)) return;
  if (context.values.windowsVersion.rfind(L"6", 0) != 0) {
    ClearUrlHistory(context);
  } else {
    ClearTracksAndWait(context, L"1");
  }
}

void EraseCacheFolder(run::ItemContext& context) {
  std::wstring cache = FolderOf(context, Store::Cache);
  if (IsFullPath(cache)) context.AddBytes(engine::allerase::EraseAllFilesInTree(context.erase, cache));
}

void ClearIeCache(run::ItemContext& context) {
  EraseCacheFolder(context);
  if (context.values.ieMajorVersion > 6) ClearTracksAndWait(context, L"8 ");
}

void ClearAolCache(run::ItemContext& context) {
  EraseCacheFolder(context);
  if (context.values.ieMajorVersion > 6) ClearTracksMinimised(context, L"8 ");
}

void ClearAolHistory(run::ItemContext& context) {
  if (EraseOtherUsersHistory(context)) return;
  ClearUrlHistory(context);
  if (context.values.ieMajorVersion > 6) ClearTracksMinimised(context, L"1");
}

void RecreateShellFolder(run::ItemContext& context, const std::wstring& folder) {
  if (IsFullPath(folder)) context.AddBytes(engine::allerase::RecreateFolder(context.erase, folder));
}

void RecreateFavorites(run::ItemContext& context) { RecreateShellFolder(context, FolderOf(context, Store::Favorites)); }

// Internet Explorer 6 has no command line for its form data: its control panel is opened on the
// content page and driven by keystrokes, which are sent only while a window of that panel is the
// active one, so they can never land in another program.
bool PanelIsActive(DWORD panel) {
  DWORD owner = 0;
  HWND foreground = GetForegroundWindow();
  return foreground && GetWindowThreadProcessId(foreground, &owner) && owner == panel;
}

void ClearFormDataWithKeystrokes() {
  DWORD panel = engine::StartProcess(L"rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,3", SW_HIDE);
  if (!panel) return;
  for (int tries = 0; tries < 50 && !PanelIsActive(panel); ++tries) Sleep(100);
  for (WORD key : {static_cast<WORD>('U'), static_cast<WORD>('C'), static_cast<WORD>(VK_RETURN),
                   static_cast<WORD>(VK_ESCAPE), static_cast<WORD>(VK_ESCAPE)}) {
    if (!PanelIsActive(panel)) return;
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    Sleep(200);
  }
}

void ClearFormData(run::ItemContext& context) {
  if (context.values.ieMajorVersion > 6) {
    ClearTracksAndWait(context, L"16");
    ClearTracksAndWait(context, L"32");
  } else if (context.values.ieMajorVersion == 6 &&
             context.erase.Perform(platform::Tr(L"Clear the form data in Internet Explorer's control panel"))) {
    ClearFormDataWithKeystrokes();
  }
  context.view.FocusMainWindow();
}

constexpr wchar_t kFirefoxProfiles[] = L"\\Mozilla\\Firefox\\Profiles";
constexpr wchar_t kChromeUserData[] = L"\\Google\\Chrome\\User Data";

// The profile folders directly in a browser's folder of profiles; links are not followed.
std::vector<std::wstring> ProfileFolders(const std::wstring& profiles) {
  std::vector<std::wstring> folders;
  if (!IsFullPath(profiles)) return folders;
  platform::ListFolder(profiles, [&](const platform::FolderEntry& entry) {
    if (entry.IsFolder() && !entry.IsLink()) folders.push_back(profiles + L"\\" + entry.name);
  });
  return folders;
}

// The history inside every Firefox profile's "places.sqlite", whose bookmarks stay. Like the cookie
// databases below, found from the run's values alone, so for every user of the computer.
void EraseFirefoxHistory(run::ItemContext& context) {
  for (const std::wstring& profile : ProfileFolders(context.AppDataFolder() + kFirefoxProfiles)) {
    engine::EraseFirefoxHistory(context.erase, profile + L"\\places.sqlite");
  }
}

// Every profile's cookie database, cleaned inside of every site the keep list does not keep.
void CleanCookieDatabases(run::ItemContext& context, const std::wstring& profiles,
                          std::initializer_list<const wchar_t*> databases) {
  for (const std::wstring& profile : ProfileFolders(profiles)) {
    for (const wchar_t* database : databases) {
      context.AddBytes(engine::allerase::EraseFile(context.erase, profile + database));
    }
  }
}

void CleanFirefoxCookies(run::ItemContext& context) {
  CleanCookieDatabases(context, context.AppDataFolder() + kFirefoxProfiles, {L"\\cookies.sqlite"});
}

// Today's Chrome keeps them in "Network\Cookies" of each profile; before, in the profile itself.
void CleanChromeCookies(run::ItemContext& context) {
  CleanCookieDatabases(context, context.LocalAppDataFolder() + kChromeUserData, {L"\\Network\\Cookies", L"\\Cookies"});
}

constexpr const wchar_t* kOnlyIe9 = TrLater(L"Only Support IE9, IE10.");

void RequireIe9(run::ItemContext& context) {
  if (context.values.ieMajorVersion < 9) context.outcome = platform::Tr(kOnlyIe9);
}

void RecreateDownloadFolders(run::ItemContext& context) {
  if (context.values.ieMajorVersion < 9) {
    context.outcome = platform::Tr(kOnlyIe9);
    return;
  }
  // Only where the user's hive names them: no usual place is guessed for folders that hold downloads.
  const engine::UserScope& user = context.values.user;
  RecreateShellFolder(context,
                      engine::UserFolderFor(context.erase, user, L"Default Download Directory", L"",
                                            L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main"));
  RecreateShellFolder(context,
                      engine::UserFolderFor(
                          context.erase, user, L"{374DE290-123F-4565-9164-39C4925E467B}", L"",
                          L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"));
}

// The index files are always in use while Windows runs: they go at the next restart.
void ScheduleIndexFiles(run::ItemContext& context) {
  const struct {
    Store shellFolder;
    const wchar_t* suffix;
    const wchar_t* message;
  } kIndexFiles[] = {
      {Store::Cache, L"\\Content.IE5\\index.dat", L"Clearing IE Cache Index.dat File Content......"},
      {Store::History, L"\\History.IE5\\index.dat", L"Clearing IE History Index.dat File Content......"},
      {Store::Cookies, L"\\index.dat", L"Clearing IE Cookies Index.dat File Content......"},
  };
  for (const auto& index : kIndexFiles) {
    std::wstring path = FolderOf(context, index.shellFolder) + index.suffix;
    context.view.SetRowState(index.message);
    engine::normal::DeleteFileAtReboot(context.erase, path);
  }
  context.AddBytes(3500000);
  context.outcome = platform::Tr(L"Need to reboot your computer!");
}

void ClearInPrivateFilter(run::ItemContext& context) {
  if (context.values.ieMajorVersion < 8) return;
  std::wstring profile = context.values.user.profile;
  if (context.values.user.Current()) {
    if (std::wstring session = platform::EnvironmentVariable(L"USERPROFILE"); !session.empty()) profile = session;
  }
  if (!profile.empty()) {
    context.AddBytes(engine::allerase::EraseNamedFileInFolder(context.erase, profile + L"\\PrivacIE", L"index.dat"));
  }
  RecreateShellFolder(context, context.AppDataFolder() + L"\\Microsoft\\Windows\\PrivacIE");
}

void ResetAddOns(run::ItemContext& context) {
  if (context.values.ieMajorVersion < 7) return;
  ClearTracksAndWait(context, L"4351 ");
  context.AddKeys(15);
  context.AddBytes(500000);
}

// A browser's folder, a base and the path below it, with the steps that name what lies in it.
struct Place {
  Base base;
  const wchar_t* path;
  constexpr Step Files(const wchar_t* name) const { return NamedFiles(base, path, name); }
  constexpr Step Folders(const wchar_t* name) const { return NamedFolders(base, path, name); }
  constexpr Step File(const wchar_t* name) const { return FileIn(base, path, name); }
};
constexpr Place kFirefox{Base::AppData, kFirefoxProfiles};
constexpr Place kFirefoxLocal{Base::LocalAppData, kFirefoxProfiles};
constexpr Place kOpera{Base::AppData, L"\\Opera\\Opera"};
constexpr Place kOperaLocal{Base::LocalAppData, L"\\Opera\\Opera"};
constexpr Place kNetscape{Base::NetscapeProfiles, L""};
constexpr Place kMozilla{Base::AppData, L"\\Mozilla\\Profiles"};
constexpr Place kMaxthon{Base::AppData, L"\\Maxthon3\\Users"};
constexpr Place kChrome{Base::LocalAppData, L"\\Google\\Chrome\\User Data\\Default"};
constexpr Place kSafari{Base::AppData, L"\\Apple Computer\\Safari"};
constexpr Place kSafariLocal{Base::LocalAppData, L"\\Apple Computer\\Safari"};

using enum FlagRule;

// One item a line; an item whose steps do not fit lists them on the lines below it.
// clang-format off
const Item kBrowserItems[] = {
    {L"EXPLORER", L"location", TrLater(L"IE Location Bar History"), 5, ExactlyOne, {UserCall(ResetTypedAddresses)}},
    {L"EXPLORER", L"history", TrLater(L"IE Internet History Files"), 6, ExactlyOne,
     {UserCall(ClearIeHistory), Keys(15), Bytes(500000)}},
    {L"EXPLORER", L"cache", TrLater(L"IE Internet Cache"), 8, ExactlyOne, {UserCall(ClearIeCache)}},
    {L"EXPLORER", L"cookies", TrLater(L"IE Cookies"), 10, ExactlyOne, {UserCall(PurgeCookies)}},
    {L"EXPLORER", L"favorites", TrLater(L"IE Favorites"), 11, ExactlyOne, {UserCall(RecreateFavorites)}},
    {L"EXPLORER", L"autocomplete", TrLater(L"IE Autocomplete Memory"), 11, ExactlyOne,
     {Key(L"Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW"),
      Key(L".DEFAULT\\Software\\Microsoft\\Internet Explorer\\IntelliForms", Hive::Users),
      Call(ClearFormData), Keys(3)}},
    {L"EXPLORER", L"downloaded", TrLater(L"IE Downloaded Files(Only IE9, IE10)"), 11, ExactlyOne,
     {UserCall(RecreateDownloadFolders)}},
    {L"EXPLORER", L"downloadedhistory", TrLater(L"IE Downloaded History(Only IE9, IE10)"), 11, ExactlyOne, {Call(RequireIe9)}},
    {L"EXPLORER", L"index", TrLater(L"IE Index.dat Files"), kNoProgress, ExactlyOne, {UserCall(ScheduleIndexFiles)}},
    {L"EXPLORER", L"inprivate", TrLater(L"IE Inprivate Filter"), 12, ExactlyOne, {UserCall(ClearInPrivateFilter)}},
    {L"EXPLORER", L"addons", TrLater(L"IE Add-ons Settings"), 12, ExactlyOne, {Call(ResetAddOns)}},
    // Today's "places.sqlite" holds the bookmarks with the history: the history goes inside it.
    {L"FIREFOX", L"Address", TrLater(L"Firefox Address Bar History"), 12, ExactlyOne, {UserCall(EraseFirefoxHistory)}},
    {L"FIREFOX", L"Cookies", TrLater(L"Firefox Cookies"), 13, ExactlyOne, {UserCall(CleanFirefoxCookies)}},
    {L"FIREFOX", L"cache", TrLater(L"Firefox Cache"), 14, ExactlyOne,
     {kFirefoxLocal.Folders(L"cache"), kFirefoxLocal.Folders(L"cache2"), kFirefoxLocal.Files(L"places.sqlite")}},
    {L"FIREFOX", L"History", TrLater(L"Firefox History Files"), 15, ExactlyOne, {UserCall(EraseFirefoxHistory)}},
    {L"FIREFOX", L"Download", TrLater(L"Firefox Download Manager History"), 15, ExactlyOne,
     {kFirefox.Files(L"downloads.sqlite")}},
    {L"FIREFOX", L"bookmarks", TrLater(L"Firefox Bookmarks Files"), kNoProgress, ExactlyOne,
     {kFirefox.Files(L"places.sqlite")}, engine::kKeptBookmarks},
    // Today's Firefox keeps the passwords in "logins.json"; "key3.db" held them before.
    {L"FIREFOX", L"passwords", TrLater(L"Firefox Saved Passwords"), 16, ExactlyOne,
     {kFirefox.Files(L"key3.db"), kFirefox.Files(L"logins.json")}, engine::kKeptPasswords},
    {L"Opera", L"Address", TrLater(L"Opera Address Bar History"), 17, ExactlyOne, {kOpera.Files(L"typed_history.xml")}},
    {L"Opera", L"Cookies", TrLater(L"Opera Cookies"), 18, ExactlyOne, {kOpera.Files(L"cookies4.dat")}},
    {L"Opera", L"cache", TrLater(L"Opera Cache"), 19, ExactlyOne, {kOperaLocal.Folders(L"cache")}},
    {L"Opera", L"History", TrLater(L"Opera History Files"), kNoProgress, ExactlyOne, {kOpera.Files(L"global_history.dat")}},
    {L"Opera", L"downloads", TrLater(L"Opera Download History"), kNoProgress, ExactlyOne, {kOpera.Files(L"download.dat")}},
    {L"Opera", L"Sessions", TrLater(L"Opera Sessions Files"), kNoProgress, ExactlyOne, {kOpera.Folders(L"sessions")}},
    {L"Opera", L"Images", TrLater(L"Opera Site Image Files"), kNoProgress, ExactlyOne, {kOperaLocal.Folders(L"thumbnails")}},
    {L"Opera", L"Bookmarks", TrLater(L"Opera Bookmarks"), kNoProgress, ExactlyOne, {kOpera.Files(L"bookmarks.adr")}},
    {L"Opera", L"Passwords", TrLater(L"Opera Passwords"), 20, ExactlyOne, {kOpera.Files(L"wand.dat")}},
    {L"Netscape", L"Location", TrLater(L"Netscape Address Bar History"), 21, ExactlyOne, {kNetscape.Files(L"history.dat")}},
    {L"Netscape", L"Cookies", TrLater(L"Netscape Cookies"), 22, ExactlyOne, {kNetscape.Files(L"cookies.txt")}},
    {L"Netscape", L"Cache", TrLater(L"Netscape Cache"), 23, ExactlyOne,
     {kNetscape.Folders(L"cache"), kNetscape.Files(L"localstore.rdf")}},
    {L"Netscape", L"History", TrLater(L"Netscape History Files"), kNoProgress, ExactlyOne, {kNetscape.Files(L"history.dat")}},
    {L"Netscape", L"download", TrLater(L"Netscape Download Manager History"), kNoProgress, ExactlyOne,
     {kNetscape.Files(L"downloads.rdf")}},
    {L"Netscape", L"bookmarks", TrLater(L"Netscape Bookmarks"), kNoProgress, ExactlyOne, {kNetscape.Files(L"bookmarks.html")}},
    {L"Netscape", L"passwords", TrLater(L"Netscape Saved Passwords"), 24, ExactlyOne,
     {kNetscape.Files(L"signons2.txt"), kNetscape.Files(L"signons.txt")}},
    {L"AOL", L"Address", TrLater(L"AOL Explorer Address Bar History"), 25, ExactlyOne,
     {UserCall(ResetTypedAddresses), Keys(10)}},
    {L"AOL", L"cookies", TrLater(L"AOL Explorer Cookies"), 26, ExactlyOne, {UserCall(PurgeCookies)}},
    {L"AOL", L"cache", TrLater(L"AOL Explorer Cache"), 27, ExactlyOne, {UserCall(ClearAolCache)}},
    {L"AOL", L"history", TrLater(L"AOL Explorer History Files"), 28, ExactlyOne,
     {UserCall(ClearAolHistory), Keys(15), Bytes(500000)}},
    {L"MSN", L"Location", TrLater(L"MSN Explorer Address Bar History"), 29, ExactlyOne,
     {Key(L"Software\\Microsoft\\MSN6\\Users")}},
    {L"MSN", L"cookies", TrLater(L"MSN Explorer Cookies"), 30, ExactlyOne, {}},
    {L"MSN", L"cache", TrLater(L"MSN Explorer Cache"), 31, ExactlyOne, {Bytes(500000)}},
    {L"MSN", L"history", TrLater(L"MSN Explorer History Files"), 32, ExactlyOne, {}},
    {L"Mozilla", L"Address", TrLater(L"Mozilla Address Bar History"), kNoProgress, ExactlyOne, {kMozilla.Files(L"history.dat")}},
    {L"Mozilla", L"Cookies", TrLater(L"Mozilla Cookies"), kNoProgress, ExactlyOne, {kMozilla.Files(L"cookies.txt")}},
    {L"Mozilla", L"cache", TrLater(L"Mozilla Cache"), kNoProgress, ExactlyOne,
     {kMozilla.Files(L"localstore.rdf"), kMozilla.Folders(L"cache")}},
    {L"Mozilla", L"History", TrLater(L"Mozilla History Files"), kNoProgress, ExactlyOne, {kMozilla.Files(L"history.dat")}},
    {L"Maxthon", L"keywords", TrLater(L"Maxthon Typed Urls"), kNoProgress, NumberOne, {kMaxthon.Files(L"SmartUrl.dat")}},
    // "Config.ini" holds Maxthon's settings: "Maxthon settings" erases it, this item only the tabs.
    {L"Maxthon", L"pages", TrLater(L"Maxthon information about open pages"), kNoProgress, NumberOne,
     {kMaxthon.Files(L"lasttabs.dat")}},
    {L"Maxthon", L"settings", TrLater(L"Maxthon settings"), kNoProgress, NumberOne,
     {kMaxthon.Files(L"Config.ini"), kMaxthon.Files(L"config.dat")}},
    {L"Maxthon", L"groups", TrLater(L"Maxthon History Files"), kNoProgress, NumberOne,
     {kMaxthon.Files(L"History.dat"), kMaxthon.Files(L"Cookie.dat"), kMaxthon.Files(L"mxundo.dat"),
      kMaxthon.Files(L"tempfb3.dat"), kMaxthon.Files(L"SvrInfo.dat")}},
    {L"Maxthon", L"folder", TrLater(L"Maxthon Download Task history"), kNoProgress, NumberOne,
     {AllFiles(Base::AppData, L"\\Maxthon3\\Public\\Downloader\\TaskList")}},
    {L"Chrome", L"download", TrLater(L"Chrome download History"), kNoProgress, ExactlyOne, {kChrome.Files(L"History")}},
    {L"Chrome", L"Cookies", TrLater(L"Chrome Cookies"), kNoProgress, ExactlyOne, {UserCall(CleanChromeCookies)}},
    {L"Chrome", L"Cache", TrLater(L"Chrome Cache"), kNoProgress, ExactlyOne,
     {AllFiles(Base::LocalAppData, L"\\Google\\Chrome\\User Data\\Default\\Cache")}},
    // Today's Chrome keeps settings in "Preferences", autofill and cards in "Web Data", sync data
    // beside them and the key to the saved passwords in "Local State": history is the rest.
    {L"Chrome", L"History", TrLater(L"Chrome History"), kNoProgress, ExactlyOne,
     {kChrome.Files(L"History"), kChrome.Files(L"History-journal"), kChrome.Files(L"Archived History"),
      kChrome.Files(L"Visited Links"), kChrome.Files(L"Shortcuts")}},
    {L"Chrome", L"Forms", TrLater(L"Chrome Forms Data/Saved passwords"), kNoProgress, ExactlyOne,
     {kChrome.Files(L"Web Data"), kChrome.Files(L"Login Data")}, engine::kKeptAutofill | engine::kKeptPasswords},
    {L"Chrome", L"Session", TrLater(L"Chrome Session"), kNoProgress, ExactlyOne,
     {kChrome.Files(L"Last Session"), kChrome.Files(L"Current Session"), kChrome.Files(L"Top Sites"),
      kChrome.Files(L"Current Tabs"),
      AllFiles(Base::LocalAppData, L"\\Google\\Chrome\\User Data\\Default\\Session Storage"),
      AllFiles(Base::LocalAppData, L"\\Google\\Chrome\\User Data\\Default\\Sessions")}},
    {L"Safari", L"History", TrLater(L"Safari History"), kNoProgress, ExactlyOne,
     {FilesIn(Base::LocalAppData, L"\\Apple Computer\\Safari\\History"), kSafari.File(L"History.plist")}},
    {L"Safari", L"pages", TrLater(L"Safari Information about open pages"), kNoProgress, ExactlyOne,
     {kSafari.File(L"LastSession.plist"), kSafari.File(L"TopSites.plist")}},
    {L"Safari", L"Cache", TrLater(L"Safari Cache"), kNoProgress, ExactlyOne,
     {kSafariLocal.File(L"Cache.db"), kSafariLocal.File(L"WebpageIcons.db")}},
    {L"Safari", L"Cookies", TrLater(L"Safari Cookies"), kNoProgress, ExactlyOne,
     {FileIn(Base::AppData, L"\\Apple Computer\\Safari\\Cookies", L"Cookies.plist")}},
    {L"Safari", L"download", TrLater(L"Safari Download information"), kNoProgress, ExactlyOne,
     {kSafari.File(L"Downloads.plist")}},
    {L"Safari", L"Autocomplete", TrLater(L"Safari Autocomplete"), kNoProgress, ExactlyOne,
     {kSafari.File(L"Form Values.plist"),
      FileIn(Base::AppData, L"\\Apple Computer\\Safari\\Preferences", L"keychain.plist")}},
    {L"Safari", L"Images", TrLater(L"Safari Webpage Preview Images"), kNoProgress, ExactlyOne,
     {FilesIn(Base::LocalAppData, L"\\Apple Computer\\Safari\\Webpage Previews")}},
    // The recent searches lie inside "com.apple.Safari.plist", which holds every Safari setting: it
    // stays, and the item erases nothing.
    {L"Safari", L"RecentSearches", TrLater(L"Safari Recent Searches"), kNoProgress, ExactlyOne, {}},
};
// clang-format on

}  // namespace

std::span<const Item> BrowserItems() { return kBrowserItems; }

// The calls that read a keep list before they erase.
KeepList SparedBy(const Item& item) {
  for (const Step& step : item.steps) {
    if (step.call == ResetTypedAddresses) return KeepList::TypedAddresses;
    if (step.call == PurgeCookies || step.call == CleanChromeCookies || step.call == CleanFirefoxCookies) {
      return KeepList::Cookies;
    }
  }
  return KeepList::None;
}

}  // namespace catalogue
