#include <windows.h>

#include "catalogue/catalogue.h"
#include "engine/allerase.h"
#include "engine/kept_data.h"
#include "engine/normal.h"
#include "engine/places_history.h"
#include "engine/regfun.h"
#include "engine/run_and_wait.h"
#include "keeplists/keep_list_file.h"
#include "keeplists/url_history.h"
#include "platform/files.h"
#include "platform/handles.h"

// Internet Explorer, Firefox, Opera, Netscape, AOL Explorer, MSN Explorer, Mozilla, Maxthon, Chrome,
// Safari. AOL Explorer shares Internet Explorer's stores.
namespace catalogue {

namespace {

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

// The store's folder for the user of the run: the current user's exactly as the session reads it.
std::wstring FolderOf(const run::ItemContext& context, Store store) {
  const auto& folder = kStores[static_cast<size_t>(store)];
  return engine::regfun::ResolveUserFolder(context.values.user, folder.name, folder.usual);
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

// The control panel clears the tracks of the user the program runs as: another user's run leaves it.
bool ClearsTracks(const run::ItemContext& context) { return context.values.user.Current() && CanClearTracks(); }

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

// The typed-address key comes back holding exactly the kept addresses, as "url1", "url2", ... Another
// user's key comes back only in that user's hive: a hive that could not be loaded gets none.
void ResetTypedAddresses(run::ItemContext& context) {
  const engine::UserScope& user = context.values.user;
  const auto [root, subkey] = user.Key(HKEY_CURRENT_USER, kTypedUrls);
  context.AddKeys(engine::allerase::DeleteRegistryKey(context.erase, root, subkey));
  platform::RegKey hive;
  if (!user.Current() && RegOpenKeyExW(HKEY_USERS, user.hive.c_str(), 0, KEY_READ, hive.out()) != ERROR_SUCCESS) return;
  std::vector<std::wstring> kept = keeplists::LoadKeptUrls(context.programFolder);
  std::wstring key = user.KeyPath(std::wstring(L"HKEY_CURRENT_USER\\") + kTypedUrls);
  engine::regfun::CreateRegistryKey(context.erase, key);
  for (size_t i = 0; i < kept.size(); ++i) {
    engine::regfun::WriteRegistryString(context.erase, key, L"url" + std::to_wstring(i + 1), kept[i]);
  }
}

// Every cookie file except those the keep list names and those of a kept site.
void PurgeCookies(run::ItemContext& context) {
  std::wstring folder = FolderOf(context, Store::Cookies);
  if (!IsFullPath(folder)) return;
  std::vector<std::wstring> kept = keeplists::KeptCookieFiles(context.programFolder, folder);
  context.AddBytes(engine::allerase::EraseFilesInFolderExcept(context.erase, folder, kept));
}

void ClearUrlHistory(run::ItemContext& context) {
  if (!context.erase.Perform(L"Clear Internet Explorer's history store")) return;
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
             context.erase.Perform(L"Clear the form data in Internet Explorer's control panel")) {
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
  for (const std::wstring& profile : ProfileFolders(context.values.appDataFolder + kFirefoxProfiles)) {
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
  CleanCookieDatabases(context, context.values.appDataFolder + kFirefoxProfiles, {L"\\cookies.sqlite"});
}

// Today's Chrome keeps them in "Network\Cookies" of each profile; before, in the profile itself.
void CleanChromeCookies(run::ItemContext& context) {
  CleanCookieDatabases(context, context.values.localAppDataFolder + kChromeUserData,
                       {L"\\Network\\Cookies", L"\\Cookies"});
}

constexpr wchar_t kOnlyIe9[] = L"Only Support IE9, IE10.";

void RequireIe9(run::ItemContext& context) {
  if (context.values.ieMajorVersion < 9) context.outcome = kOnlyIe9;
}

void RecreateDownloadFolders(run::ItemContext& context) {
  if (context.values.ieMajorVersion < 9) {
    context.outcome = kOnlyIe9;
    return;
  }
  // Only where the user's hive names them: no usual place is guessed for folders that hold downloads.
  const engine::UserScope& user = context.values.user;
  RecreateShellFolder(
      context, engine::regfun::ResolveUserFolder(user, L"Default Download Directory", L"",
                                                 L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main"));
  RecreateShellFolder(context,
                      engine::regfun::ResolveUserFolder(
                          user, L"{374DE290-123F-4565-9164-39C4925E467B}", L"",
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
  context.outcome = L"Need to reboot your computer!";
}

void ClearInPrivateFilter(run::ItemContext& context) {
  if (context.values.ieMajorVersion < 8) return;
  std::wstring profile = context.values.user.profile;
  if (context.values.user.Current()) {
    wchar_t session[MAX_PATH] = L"";
    DWORD n = GetEnvironmentVariableW(L"USERPROFILE", session, MAX_PATH);
    if (n > 0 && n < MAX_PATH) profile = session;
  }
  if (!profile.empty()) {
    context.AddBytes(engine::allerase::EraseNamedFileInFolder(context.erase, profile + L"\\PrivacIE", L"index.dat"));
  }
  RecreateShellFolder(context, context.values.appDataFolder + L"\\Microsoft\\Windows\\PrivacIE");
}

void ResetAddOns(run::ItemContext& context) {
  if (context.values.ieMajorVersion < 7) return;
  ClearTracksAndWait(context, L"4351 ");
  context.AddKeys(15);
  context.AddBytes(500000);
}

constexpr wchar_t kOpera[] = L"\\Opera\\Opera";
constexpr wchar_t kMozilla[] = L"\\Mozilla\\Profiles";
constexpr wchar_t kMaxthon[] = L"\\Maxthon3\\Users";
constexpr wchar_t kChrome[] = L"\\Google\\Chrome\\User Data\\Default";
constexpr wchar_t kSafari[] = L"\\Apple Computer\\Safari";

const Item kBrowserItems[] = {
    {L"EXPLORER", L"location", L"IE Location Bar History", 5, FlagRule::ExactlyOne, {UserCall(ResetTypedAddresses)}},
    {L"EXPLORER",
     L"history",
     L"IE Internet History Files",
     6,
     FlagRule::ExactlyOne,
     {UserCall(ClearIeHistory), Keys(15), Bytes(500000)}},
    {L"EXPLORER", L"cache", L"IE Internet Cache", 8, FlagRule::ExactlyOne, {UserCall(ClearIeCache)}},
    {L"EXPLORER", L"cookies", L"IE Cookies", 10, FlagRule::ExactlyOne, {UserCall(PurgeCookies)}},
    {L"EXPLORER", L"favorites", L"IE Favorites", 11, FlagRule::ExactlyOne, {UserCall(RecreateFavorites)}},
    {L"EXPLORER",
     L"autocomplete",
     L"IE Autocomplete Memory",
     11,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW"),
      Key(L".DEFAULT\\Software\\Microsoft\\Internet Explorer\\IntelliForms", Hive::Users), Call(ClearFormData),
      Keys(3)}},
    {L"EXPLORER",
     L"downloaded",
     L"IE Downloaded Files(Only IE9, IE10)",
     11,
     FlagRule::ExactlyOne,
     {UserCall(RecreateDownloadFolders)}},
    {L"EXPLORER",
     L"downloadedhistory",
     L"IE Downloaded History(Only IE9, IE10)",
     11,
     FlagRule::ExactlyOne,
     {Call(RequireIe9)}},
    {L"EXPLORER", L"index", L"IE Index.dat Files", kNoProgress, FlagRule::ExactlyOne, {UserCall(ScheduleIndexFiles)}},
    {L"EXPLORER", L"inprivate", L"IE Inprivate Filter", 12, FlagRule::ExactlyOne, {UserCall(ClearInPrivateFilter)}},
    {L"EXPLORER", L"addons", L"IE Add-ons Settings", 12, FlagRule::ExactlyOne, {Call(ResetAddOns)}},
    // Today's "places.sqlite" holds the bookmarks with the history: the history goes inside it.
    {L"FIREFOX", L"Address", L"Firefox Address Bar History", 12, FlagRule::ExactlyOne, {UserCall(EraseFirefoxHistory)}},
    {L"FIREFOX", L"Cookies", L"Firefox Cookies", 13, FlagRule::ExactlyOne, {UserCall(CleanFirefoxCookies)}},
    {L"FIREFOX",
     L"cache",
     L"Firefox Cache",
     14,
     FlagRule::ExactlyOne,
     {NamedFolders(Base::LocalAppData, kFirefoxProfiles, L"cache"),
      NamedFolders(Base::LocalAppData, kFirefoxProfiles, L"cache2"),
      NamedFiles(Base::LocalAppData, kFirefoxProfiles, L"places.sqlite")}},
    {L"FIREFOX", L"History", L"Firefox History Files", 15, FlagRule::ExactlyOne, {UserCall(EraseFirefoxHistory)}},
    {L"FIREFOX",
     L"Download",
     L"Firefox Download Manager History",
     15,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kFirefoxProfiles, L"downloads.sqlite")}},
    {L"FIREFOX",
     L"bookmarks",
     L"Firefox Bookmarks Files",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kFirefoxProfiles, L"places.sqlite")},
     engine::kKeptBookmarks},
    // Today's Firefox keeps the passwords in "logins.json"; "key3.db" held them before.
    {L"FIREFOX",
     L"passwords",
     L"Firefox Saved Passwords",
     16,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kFirefoxProfiles, L"key3.db"),
      NamedFiles(Base::AppData, kFirefoxProfiles, L"logins.json")},
     engine::kKeptPasswords},
    {L"Opera",
     L"Address",
     L"Opera Address Bar History",
     17,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kOpera, L"typed_history.xml")}},
    {L"Opera",
     L"Cookies",
     L"Opera Cookies",
     18,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kOpera, L"cookies4.dat")}},
    {L"Opera",
     L"cache",
     L"Opera Cache",
     19,
     FlagRule::ExactlyOne,
     {NamedFolders(Base::LocalAppData, kOpera, L"cache")}},
    {L"Opera",
     L"History",
     L"Opera History Files",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kOpera, L"global_history.dat")}},
    {L"Opera",
     L"downloads",
     L"Opera Download History",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kOpera, L"download.dat")}},
    {L"Opera",
     L"Sessions",
     L"Opera Sessions Files",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFolders(Base::AppData, kOpera, L"sessions")}},
    {L"Opera",
     L"Images",
     L"Opera Site Image Files",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFolders(Base::LocalAppData, kOpera, L"thumbnails")}},
    {L"Opera",
     L"Bookmarks",
     L"Opera Bookmarks",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kOpera, L"bookmarks.adr")}},
    {L"Opera",
     L"Passwords",
     L"Opera Passwords",
     20,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kOpera, L"wand.dat")}},
    {L"Netscape",
     L"Location",
     L"Netscape Address Bar History",
     21,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::NetscapeProfiles, L"", L"history.dat")}},
    {L"Netscape",
     L"Cookies",
     L"Netscape Cookies",
     22,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::NetscapeProfiles, L"", L"cookies.txt")}},
    {L"Netscape",
     L"Cache",
     L"Netscape Cache",
     23,
     FlagRule::ExactlyOne,
     {NamedFolders(Base::NetscapeProfiles, L"", L"cache"), NamedFiles(Base::NetscapeProfiles, L"", L"localstore.rdf")}},
    {L"Netscape",
     L"History",
     L"Netscape History Files",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::NetscapeProfiles, L"", L"history.dat")}},
    {L"Netscape",
     L"download",
     L"Netscape Download Manager History",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::NetscapeProfiles, L"", L"downloads.rdf")}},
    {L"Netscape",
     L"bookmarks",
     L"Netscape Bookmarks",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::NetscapeProfiles, L"", L"bookmarks.html")}},
    {L"Netscape",
     L"passwords",
     L"Netscape Saved Passwords",
     24,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::NetscapeProfiles, L"", L"signons2.txt"),
      NamedFiles(Base::NetscapeProfiles, L"", L"signons.txt")}},
    {L"AOL",
     L"Address",
     L"AOL Explorer Address Bar History",
     25,
     FlagRule::ExactlyOne,
     {UserCall(ResetTypedAddresses), Keys(10)}},
    {L"AOL", L"cookies", L"AOL Explorer Cookies", 26, FlagRule::ExactlyOne, {UserCall(PurgeCookies)}},
    {L"AOL", L"cache", L"AOL Explorer Cache", 27, FlagRule::ExactlyOne, {UserCall(ClearAolCache)}},
    {L"AOL",
     L"history",
     L"AOL Explorer History Files",
     28,
     FlagRule::ExactlyOne,
     {UserCall(ClearAolHistory), Keys(15), Bytes(500000)}},
    {L"MSN",
     L"Location",
     L"MSN Explorer Address Bar History",
     29,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\MSN6\\Users")}},
    {L"MSN", L"cookies", L"MSN Explorer Cookies", 30, FlagRule::ExactlyOne, {}},
    {L"MSN", L"cache", L"MSN Explorer Cache", 31, FlagRule::ExactlyOne, {Bytes(500000)}},
    {L"MSN", L"history", L"MSN Explorer History Files", 32, FlagRule::ExactlyOne, {}},
    {L"Mozilla",
     L"Address",
     L"Mozilla Address Bar History",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kMozilla, L"history.dat")}},
    {L"Mozilla",
     L"Cookies",
     L"Mozilla Cookies",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kMozilla, L"cookies.txt")}},
    {L"Mozilla",
     L"cache",
     L"Mozilla Cache",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kMozilla, L"localstore.rdf"), NamedFolders(Base::AppData, kMozilla, L"cache")}},
    {L"Mozilla",
     L"History",
     L"Mozilla History Files",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::AppData, kMozilla, L"history.dat")}},
    {L"Maxthon",
     L"keywords",
     L"Maxthon Typed Urls",
     kNoProgress,
     FlagRule::NumberOne,
     {NamedFiles(Base::AppData, kMaxthon, L"SmartUrl.dat")}},
    {L"Maxthon",
     L"pages",
     L"Maxthon information about open pages",
     kNoProgress,
     FlagRule::NumberOne,
     // "Config.ini" holds Maxthon's settings: "Maxthon settings" erases it, this item only the tabs.
     {NamedFiles(Base::AppData, kMaxthon, L"lasttabs.dat")}},
    {L"Maxthon",
     L"settings",
     L"Maxthon settings",
     kNoProgress,
     FlagRule::NumberOne,
     {NamedFiles(Base::AppData, kMaxthon, L"Config.ini"), NamedFiles(Base::AppData, kMaxthon, L"config.dat")}},
    {L"Maxthon",
     L"groups",
     L"Maxthon History Files",
     kNoProgress,
     FlagRule::NumberOne,
     {NamedFiles(Base::AppData, kMaxthon, L"History.dat"), NamedFiles(Base::AppData, kMaxthon, L"Cookie.dat"),
      NamedFiles(Base::AppData, kMaxthon, L"mxundo.dat"), NamedFiles(Base::AppData, kMaxthon, L"tempfb3.dat"),
      NamedFiles(Base::AppData, kMaxthon, L"SvrInfo.dat")}},
    {L"Maxthon",
     L"folder",
     L"Maxthon Download Task history",
     kNoProgress,
     FlagRule::NumberOne,
     {AllFiles(Base::AppData, L"\\Maxthon3\\Public\\Downloader\\TaskList")}},
    {L"Chrome",
     L"download",
     L"Chrome download History",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::LocalAppData, kChrome, L"History")}},
    {L"Chrome", L"Cookies", L"Chrome Cookies", kNoProgress, FlagRule::ExactlyOne, {UserCall(CleanChromeCookies)}},
    {L"Chrome",
     L"Cache",
     L"Chrome Cache",
     kNoProgress,
     FlagRule::ExactlyOne,
     {AllFiles(Base::LocalAppData, L"\\Google\\Chrome\\User Data\\Default\\Cache")}},
    // Today's Chrome keeps settings in "Preferences", autofill and cards in "Web Data", sync data
    // beside them and the key to the saved passwords in "Local State": history is the rest.
    {L"Chrome",
     L"History",
     L"Chrome History",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::LocalAppData, kChrome, L"History"), NamedFiles(Base::LocalAppData, kChrome, L"History-journal"),
      NamedFiles(Base::LocalAppData, kChrome, L"Archived History"),
      NamedFiles(Base::LocalAppData, kChrome, L"Visited Links"),
      NamedFiles(Base::LocalAppData, kChrome, L"Shortcuts")}},
    {L"Chrome",
     L"Forms",
     L"Chrome Forms Data/Saved passwords",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::LocalAppData, kChrome, L"Web Data"), NamedFiles(Base::LocalAppData, kChrome, L"Login Data")},
     engine::kKeptAutofill | engine::kKeptPasswords},
    {L"Chrome",
     L"Session",
     L"Chrome Session",
     kNoProgress,
     FlagRule::ExactlyOne,
     {NamedFiles(Base::LocalAppData, kChrome, L"Last Session"),
      NamedFiles(Base::LocalAppData, kChrome, L"Current Session"),
      NamedFiles(Base::LocalAppData, kChrome, L"Top Sites"), NamedFiles(Base::LocalAppData, kChrome, L"Current Tabs"),
      AllFiles(Base::LocalAppData, L"\\Google\\Chrome\\User Data\\Default\\Session Storage"),
      AllFiles(Base::LocalAppData, L"\\Google\\Chrome\\User Data\\Default\\Sessions")}},
    {L"Safari",
     L"History",
     L"Safari History",
     kNoProgress,
     FlagRule::ExactlyOne,
     {FilesIn(Base::LocalAppData, L"\\Apple Computer\\Safari\\History"),
      FileIn(Base::AppData, kSafari, L"History.plist")}},
    {L"Safari",
     L"pages",
     L"Safari Information about open pages",
     kNoProgress,
     FlagRule::ExactlyOne,
     {FileIn(Base::AppData, kSafari, L"LastSession.plist"), FileIn(Base::AppData, kSafari, L"TopSites.plist")}},
    {L"Safari",
     L"Cache",
     L"Safari Cache",
     kNoProgress,
     FlagRule::ExactlyOne,
     {FileIn(Base::LocalAppData, kSafari, L"Cache.db"), FileIn(Base::LocalAppData, kSafari, L"WebpageIcons.db")}},
    {L"Safari",
     L"Cookies",
     L"Safari Cookies",
     kNoProgress,
     FlagRule::ExactlyOne,
     {FileIn(Base::AppData, L"\\Apple Computer\\Safari\\Cookies", L"Cookies.plist")}},
    {L"Safari",
     L"download",
     L"Safari Download information",
     kNoProgress,
     FlagRule::ExactlyOne,
     {FileIn(Base::AppData, kSafari, L"Downloads.plist")}},
    {L"Safari",
     L"Autocomplete",
     L"Safari Autocomplete",
     kNoProgress,
     FlagRule::ExactlyOne,
     {FileIn(Base::AppData, kSafari, L"Form Values.plist"),
      FileIn(Base::AppData, L"\\Apple Computer\\Safari\\Preferences", L"keychain.plist")}},
    {L"Safari",
     L"Images",
     L"Safari Webpage Preview Images",
     kNoProgress,
     FlagRule::ExactlyOne,
     {FilesIn(Base::LocalAppData, L"\\Apple Computer\\Safari\\Webpage Previews")}},
    // The recent searches lie inside "com.apple.Safari.plist", which holds every Safari setting: it
    // stays, and the item erases nothing.
    {L"Safari", L"RecentSearches", L"Safari Recent Searches", kNoProgress, FlagRule::ExactlyOne, {}},
};

}  // namespace

std::span<const Item> BrowserItems() { return kBrowserItems; }

}  // namespace catalogue
