#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <climits>
#include <iterator>
#include <optional>
#include <vector>

#include "catalogue/catalogue.h"
#include "engine/allerase.h"
#include "engine/kept_paths.h"
#include "engine/path_guard.h"
#include "engine/user_folders.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "settings/options.h"

// Windows' own traces: recent documents, run and search histories, temporary folders, the recycle
// bin, dialog and Explorer lists, disk-check folders, the clipboard and applet recent-file lists.
namespace catalogue {

namespace {

// Item labels are shown through the catalogue.
using platform::TrLater;

constexpr wchar_t kRecentDocs[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
// The row's note when the shell could not clear the list without taking what the user keeps.
constexpr const wchar_t* kRecentSparingKept =
    TrLater(L"Done, shortcut by shortcut: the Recent folder holds files you keep");

// Empties the shell's list of recently used documents. The shell does it by deleting every shortcut
// in the Recent folder as it looks that folder up itself, so a Recent folder that no erasure may
// touch (a drive root, the profile folder...) leaves the list alone. The shell does it only for the
// user the program runs as: another user's list is the "RecentDocs" key of that user's hive, beside the
// Recent folder the item's next step empties.
void ClearDocumentsMenu(run::ItemContext& context) {
  const engine::UserScope& user = context.values.user;
  if (!user.Current()) {
    const std::wstring recent =
        engine::UserFolderFor(context.erase, user, L"Recent", L"\\AppData\\Roaming\\Microsoft\\Windows\\Recent");
    if (!engine::GuardedTarget(context.erase, recent)) return;
    const auto [root, subkey] = user.Key(HKEY_CURRENT_USER, kRecentDocs);
    context.AddKeys(engine::allerase::DeleteRegistryTree(context.erase, root, subkey));
    return;
  }
  wchar_t recent[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_RECENT, nullptr, SHGFP_TYPE_CURRENT, recent)) ||
      !engine::GuardedTarget(context.erase, recent)) {
    return;
  }
  // The shell deletes every shortcut there, sparing none the user keeps: the list's key goes alone,
  // and the item's walk of the folder spares them.
  if (engine::KeepsWithin(context.erase, {recent})) {
    context.AddKeys(engine::allerase::DeleteRegistryTree(context.erase, HKEY_CURRENT_USER, kRecentDocs));
    context.outcome = platform::Tr(kRecentSparingKept);
    return;
  }
  if (context.erase.Perform(platform::Tr(L"Clear the shell's recent documents list")))
    SHAddToRecentDocs(SHARD_PATHA, nullptr);
}

void CleanTempFolder(run::ItemContext& context, const std::wstring& folder) {
  if (folder.empty()) return;
  context.AddBytes(engine::allerase::EraseAllFilesInTree(context.erase, folder));
  context.AddBytes(engine::allerase::RecreateFolder(context.erase, folder));
}

// T1: the old "Local Settings\temp" beside "Local Settings\Application Data"; T2: the Windows temp
// folder, the computer's, cleaned once in the current user's run; T3: the folder TEMP names, for
// another user the one of that user's environment. Files younger than the age the options keep stay.
void CleanTempFolders(run::ItemContext& item) {
  KeepingYoungFiles(item, settings::LoadAgeOptions(item.programFolder).tempHours, [](run::ItemContext& context) {
    const std::wstring local = context.LocalAppDataFolder();
    size_t at = local.find(L"Application Data");
    if (at != std::wstring::npos) CleanTempFolder(context, local.substr(0, at) + L"temp");
    const engine::UserScope& user = context.values.user;
    if (!user.Current()) {
      CleanTempFolder(context, engine::UserFolderFor(context.erase, user, L"TEMP", L"\\AppData\\Local\\Temp",
                                                     L"HKEY_CURRENT_USER\\Environment"));
      return;
    }
    if (!context.values.windowsFolder.empty()) CleanTempFolder(context, context.values.windowsFolder + L"\\temp");
    if (std::wstring temp = platform::EnvironmentVariable(L"TEMP"); !temp.empty()) CleanTempFolder(context, temp);
  });
}

// When an item went to the Recycle Bin, as its "$I" file says (Windows Vista and later): version 1
// or 2, the item's size, then the time of the deletion at byte 16 and the original path.
std::optional<unsigned long long> DeletedAt(const std::wstring& path) {
  platform::FileHandle file(CreateFileW(platform::ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  unsigned long long header[3] = {};
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), header, sizeof(header), &read, nullptr) || read != sizeof(header) ||
      (header[0] != 1 && header[0] != 2)) {
    return std::nullopt;
  }
  return header[2];
}

// The items of the user's Recycle Bin on every fixed drive that went there before `cutoff`: each
// "$R" item (a file, or a folder with its contents) and then its "$I" file, which goes only once
// the item is gone, so the bin never lists an item it no longer holds. A younger item stays, listed
// as too new; a "$I" file that cannot be read stays with its item.
void EraseOldRecycledItems(run::ItemContext& context, unsigned long long cutoff) {
  const std::wstring sid = platform::UserSid();
  if (sid.empty()) return;
  for (const std::wstring& root : platform::FixedDriveRoots()) {
    const std::wstring bin = root + L"$Recycle.Bin\\" + sid;
    std::vector<std::wstring> infos;
    platform::ListFolder(bin, [&](const platform::FolderEntry& entry) {
      if (!entry.IsFolder() && entry.name.starts_with(L"$I")) infos.push_back(entry.name);
    });
    for (const std::wstring& info : infos) {
      if (context.erase.Stopped()) return;
      const std::wstring item = platform::JoinPath(bin, L"$R" + info.substr(2));
      std::optional<unsigned long long> deleted = DeletedAt(platform::JoinPath(bin, info));
      if (!deleted) continue;
      if (*deleted >= cutoff) {
        context.erase.KeptForAge(item);
        continue;
      }
      context.AddBytes(platform::FolderExists(item) ? engine::allerase::EraseFolder(context.erase, item)
                                                    : engine::allerase::EraseFile(context.erase, item));
      // A preview's item that the user keeps, or that holds what the user keeps, stays with its "$I" file.
      const bool stays = context.erase.Previewing() ? engine::KeepsWithin(context.erase, {item})
                                                    : platform::FileExists(item) || platform::FolderExists(item);
      if (!stays) {
        context.AddBytes(engine::allerase::EraseFile(context.erase, platform::JoinPath(bin, info)));
      }
    }
  }
}

// The row's note when the shell could not empty the bin without taking what the user keeps.
constexpr const wchar_t* kBinSparingKept = TrLater(L"Done, item by item: the Recycle Bin holds files you keep");

// The bins of Windows before Vista, which the shell empties too.
constexpr const wchar_t* kOldBins[] = {L"C:\\RECYCLED", L"C:\\RECYCLER"};

// Every user's bin folders on the fixed drives, and the old ones.
std::vector<std::wstring> RecycleBinFolders() {
  std::vector<std::wstring> folders(std::begin(kOldBins), std::end(kOldBins));
  for (const std::wstring& root : platform::FixedDriveRoots()) folders.push_back(root + L"$Recycle.Bin");
  return folders;
}

// Any age empties the bin through the shell; an age keeps the items deleted within it. The shell
// spares nothing, so a bin that holds what the user keeps is emptied item by item.
void EmptyRecycleBins(run::ItemContext& context) {
  if (int hours = settings::LoadAgeOptions(context.programFolder).recycleHours) {
    EraseOldRecycledItems(context, context.erase.startedAt - platform::TicksOf(std::chrono::hours(hours)));
    return;
  }
  if (engine::KeepsWithin(context.erase, RecycleBinFolders())) {
    EraseOldRecycledItems(context, ULLONG_MAX);
    context.outcome = platform::Tr(kBinSparingKept);
    return;
  }
  for (const wchar_t* folder : kOldBins) {
    if (platform::FolderExists(folder)) {
      context.AddBytes(engine::allerase::FolderSize(folder) + 100000);
    }
  }
  if (context.erase.Perform(platform::Tr(L"Empty the recycle bin")))
    SHEmptyRecycleBinW(context.view.OwnerWindow(), L"", SHERB_NOCONFIRMATION);
}

// The "Found.000" to "Found.010" folders that disk checks leave on drives C to F.
void CleanDiskCheckFolders(run::ItemContext& context) {
  for (wchar_t drive = L'C'; drive <= L'F'; ++drive) {
    for (int n = 0; n <= 10; ++n) {
      wchar_t folder[32];
      swprintf(folder, 32, L"%c:\\Found.%03d", drive, n);
      context.AddBytes(engine::allerase::EraseFilesInFolder(context.erase, folder));
    }
  }
}

void EmptyClipboard(run::ItemContext& context) {
  if (context.erase.Perform(platform::Tr(L"Empty the clipboard")) && OpenClipboard(nullptr)) {
    ::EmptyClipboard();
    CloseClipboard();
  }
}

// The thumbnail caches "Thumbs.db" on every fixed drive, found by the program's own walk, which the
// window and a stop reach at every folder; it never follows a link, so it cannot loop, and leaves
// out Wine's drive of the whole Unix file system. As the batch file it replaces, it counts nothing.
void EraseThumbnailCaches(run::ItemContext& context) {
  for (const std::wstring& root : platform::FixedDriveRoots()) {
    engine::allerase::EraseNamedFilesOnDrive(context.erase, root, L"Thumbs.db");
  }
}

// Explorer keeps the folders pinned to Quick Access here (Windows 7 and later): the user's choice,
// not a trace.
constexpr wchar_t kQuickAccessPins[] = L"AutomaticDestinations\\f01b4d95cf55d32a.automaticDestinations-ms";
constexpr wchar_t kAcMru[] = L"Software\\Microsoft\\Search Assistant\\ACMru";
constexpr wchar_t kClassesTrayNotify[] =
    L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\TrayNotify";

const Item kWindowsItems[] = {
    {L"WINDOWS",
     L"recent",
     TrLater(L"Recent Documents History"),
     33,
     FlagRule::ExactlyOne,
     {UserCall(ClearDocumentsMenu), Keys(1),
      Recreate(Base::AppData, L"\\Microsoft\\Windows\\Recent", kQuickAccessPins)}},
    {L"WINDOWS",
     L"run",
     TrLater(L"Start Menu Run History"),
     34,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU")}},
    {L"WINDOWS",
     L"search",
     TrLater(L"Windows Search History"),
     35,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU"),
      Key(L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\ComputerNameMRU"),
      Key(L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\ContainingTextMRU"),
      Key(L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\FilesNamedMRU"),
      Key(L"Software\\Microsoft\\Search Assistant\\ACMru\\5603"),
      Key(L"Software\\Microsoft\\Search Assistant\\ACMru\\5604"),
      Key(L"Software\\Microsoft\\Search Assistant\\ACMru\\5647"),
      Key(L"Software\\Microsoft\\Search Assistant\\ACMru\\5601"),
      Key(L"Software\\Microsoft\\Search Assistant\\ACMru\\5602"),
      Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindComputerMRU"),
      Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery")}},
    {L"WINDOWS", L"temp", TrLater(L"Windows Temp"), 36, FlagRule::ExactlyOne, {UserCall(CleanTempFolders)}},
    {L"WINDOWS", L"recycle", TrLater(L"Recycle Bin"), 37, FlagRule::ExactlyOne, {Call(EmptyRecycleBins), Keys(1)}},
    {L"WINDOWS",
     L"open",
     TrLater(L"Open/Save Dialog Box History"),
     38,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSavePidlMRU")}},
    {L"WINDOWS", L"scandisk", TrLater(L"Scandisk Temp Files"), 39, FlagRule::ExactlyOne, {Call(CleanDiskCheckFolders)}},
    {L"WINDOWS", L"passwords", TrLater(L"Windows Passwords(Only 9X/Me)"), 40},
    {L"WINDOWS", L"clip", TrLater(L"Windows Clipboard"), 41, FlagRule::ExactlyOne, {Call(EmptyClipboard)}},
    {L"WINDOWS",
     L"wordpad",
     TrLater(L"Wordpad Recent Files"),
     41,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List")}},
    {L"WINDOWS",
     L"paint",
     TrLater(L"Windows Paint Recent Files"),
     41,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List")}},
    {L"WINDOWS",
     L"picturelocation",
     TrLater(L"The custom locations from the picture location drop-down box"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Wallpaper")}},
    {L"WINDOWS",
     L"DirectX",
     TrLater(L"DirectX most recent applications"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Key(L"SOFTWARE\\Microsoft\\Direct3D\\MostRecentApplication", Hive::LocalMachine),
      Key(L"SOFTWARE\\Microsoft\\DirectDraw\\MostRecentApplication", Hive::LocalMachine)}},
    {L"WINDOWS",
     L"findcomputer",
     TrLater(L"Find computer dialog box"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindComputerMRU"),
      Key(L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\ComputerNameMRU"),
      Key(kAcMru), Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery")}},
    {L"WINDOWS",
     L"findfiles",
     TrLater(L"Find files dialog box"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU"),
      Key(L"Software\\Microsoft\\Internet Explorer\\Explorer Bars"), Key(kAcMru),
      Key(L"Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\FilesNamedMRU"),
      Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery")}},
    {L"WINDOWS",
     L"mapnetwork",
     TrLater(L"Map network drive MRU"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Map Network Drive MRU")}},
    {L"WINDOWS",
     L"management",
     TrLater(L"Microsoft management console recent file list"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Key(L"Software\\Microsoft\\Microsoft Management Console\\Recent File List")}},
    // "IconStreams" holds, with the icons of today, the user's choice of which to show: only the
    // past icons go; still counted as the four values.
    {L"WINDOWS",
     L"notification",
     TrLater(L"Past items from the notification area"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Value(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify", L"PastIconsStream"),
      Value(kClassesTrayNotify, L"PastIconsStream"), Keys(2)}},
    {L"WINDOWS",
     L"registryeditor",
     TrLater(L"Registry editor last opened key"),
     kNoProgress,
     FlagRule::ExactlyOne,
     // The key holds the user's Regedit favourites and window settings too: only the last key goes.
     {Value(L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit", L"LastKey"), Keys(4)}},
    {L"WINDOWS",
     L"searchfolders",
     TrLater(L"Saved search folders from windows vista"),
     41,
     FlagRule::ExactlyOne,
     {AllFiles(Base::Documents, L"\\Searches")}},
    {L"WINDOWS",
     L"menuorder",
     TrLater(L"Start menu programs and favorites menu order"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder")}},
    {L"WINDOWS",
     L"recentlyused",
     TrLater(L"The list of most recently used files and folders"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\CIDSizeMRU"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSavePidlMRU")}},
    {L"WINDOWS", L"thumbs", TrLater(L"Thumbs.db"), 42, FlagRule::ExactlyOne, {Call(EraseThumbnailCaches)}},
    {L"WINDOWS",
     L"streams",
     TrLater(L"Windows explorer streams MRUs"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StreamMRU"),
      Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TypedPaths")}},
    {L"WINDOWS", L"swap", TrLater(L"windows swap/paging file"), 43},
    {L"WINDOWS",
     L"userassist",
     TrLater(L"Windows userassist MRUs"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist")}},
    {L"WINDOWS",
     L"unread",
     TrLater(L"Windows unread mail count"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail")}},
};

}  // namespace

std::span<const Item> WindowsItems() { return kWindowsItems; }

}  // namespace catalogue
