#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/office_version.h"
#include "engine/allerase.h"
#include "platform/handles.h"
#include "platform/translation.h"

// The office suite's and other applications' recent-file lists and settings. Most keys sit under
// the suite's version-numbered branch, which is known only once the run has asked the suite.
namespace catalogue {

namespace {

// Item labels are shown through the catalogue.
using platform::TrLater;

enum class Branch { Office, Wizard };

// The version numbers a step is made for. The "Before" sets include an unknown suite.
enum class Versions { All, Before2007, Since2007, Before2010, Since2010 };

// A step on a key under the version-numbered branch; the suffix begins with a backslash.
struct VersionedStep {
  Branch branch;
  Versions versions;
  const wchar_t* suffix;           // null: the key holds the user's settings, so it stays but the step counts
  const wchar_t* value = nullptr;  // only this value of the key, not the key
  // The suffix names a program whose two recent lists, "File MRU" and "Place MRU", go.
  bool recentLists = false;
};

constexpr VersionedStep OfficeTree(const wchar_t* suffix, Versions versions = Versions::All) {
  return {Branch::Office, versions, suffix};
}
constexpr VersionedStep OfficeValue(const wchar_t* suffix, const wchar_t* value) {
  return {Branch::Office, Versions::All, suffix, value};
}
// A key that once held only a recent list and holds the program's options too: it is left, and the
// step counts as the tree it was.
constexpr VersionedStep KeptTree(Versions versions) { return {Branch::Office, versions, nullptr}; }
constexpr VersionedStep WizardTree(const wchar_t* suffix) { return {Branch::Wizard, Versions::All, suffix}; }
constexpr VersionedStep RecentLists(const wchar_t* program, Versions versions = Versions::All,
                                    Branch branch = Branch::Office) {
  return {branch, versions, program, nullptr, true};
}

bool IsOneOf(const std::wstring& version, std::initializer_list<const wchar_t*> numbers) {
  for (const wchar_t* number : numbers) {
    if (version == number) return true;
  }
  return false;
}

bool MadeFor(Versions versions, const std::wstring& version) {
  switch (versions) {
    case Versions::All: return true;
    case Versions::Before2007: return !IsOneOf(version, {L"12.0", L"14.0", L"15.0", L"16.0"});
    case Versions::Since2007: return IsOneOf(version, {L"12.0", L"14.0", L"15.0", L"16.0"});
    case Versions::Before2010: return !IsOneOf(version, {L"14.0", L"15.0", L"16.0"});
    case Versions::Since2010: return IsOneOf(version, {L"14.0", L"15.0", L"16.0"});
  }
  return false;
}

std::vector<std::wstring> Subkeys(const std::pair<HKEY, std::wstring>& key) {
  std::vector<std::wstring> names;
  platform::RegKey opened;
  if (RegOpenKeyExW(key.first, key.second.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, opened.out()) != ERROR_SUCCESS) {
    return names;
  }
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(std::size(name));
    if (RegEnumKeyExW(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

// Since 2016 (and in 365) a signed-in account's recent lists lie under "User MRU\<account>" beside
// the old ones: a recent list's step erases them there too, counted as the one list it is.
void EraseAccountLists(const std::wstring& key, run::ItemContext& context) {
  const size_t cut = key.rfind(L'\\');
  const std::wstring list = key.substr(cut + 1), accounts = key.substr(0, cut) + L"\\User MRU";
  if (list != L"File MRU" && list != L"Place MRU") return;
  const engine::UserScope& user = context.values.user;
  for (const std::wstring& account : Subkeys(user.Key(HKEY_CURRENT_USER, accounts))) {
    const auto [root, subkey] = user.Key(HKEY_CURRENT_USER, accounts + L"\\" + account + L"\\" + list);
    engine::allerase::DeleteRegistryTree(context.erase, root, subkey);
  }
}

// One key of the step, `suffix` under the branch, of the user the run's values name.
void RunVersionedKey(const VersionedStep& step, const std::wstring& suffix, run::ItemContext& context) {
  const std::wstring& version = context.run.officeVersion;
  if (version.empty() || !step.suffix) {
    // A kept key stays. Without a version the path would hold two backslashes in a row, which
    // names no key; the Windows key cache and Wine read them as one and would erase the suite's
    // version-independent keys. The step still counts.
    context.AddKeys(step.value ? engine::allerase::kValueCount : engine::allerase::kTreeCount);
    return;
  }
  std::wstring key =
      step.branch == Branch::Office ? L"Software\\Microsoft\\Office\\" : L"Software\\Microsoft\\OfficeProfileWizard\\";
  key += version + suffix;
  if (!step.value && version == L"16.0") EraseAccountLists(key, context);
  const auto [root, subkey] = context.values.user.Key(HKEY_CURRENT_USER, key);
  context.AddKeys(step.value ? engine::allerase::DeleteRegistryValue(context.erase, root, subkey, step.value)
                             : engine::allerase::DeleteRegistryTree(context.erase, root, subkey));
}

void RunVersionedStep(const VersionedStep& step, run::ItemContext& context) {
  if (!MadeFor(step.versions, context.run.officeVersion)) return;
  if (!step.recentLists) return RunVersionedKey(step, step.suffix ? step.suffix : L"", context);
  for (const wchar_t* list : {L"\\File MRU", L"\\Place MRU"})
    RunVersionedKey(step, step.suffix + std::wstring(list), context);
}

template <const auto& Steps>
void RunVersioned(run::ItemContext& context) {
  for (const VersionedStep& step : Steps) RunVersionedStep(step, context);
}

constexpr VersionedStep kWord[] = {
    KeptTree(Versions::Before2007),  // "Word\Data": Word's options with its recent list
    OfficeTree(L"\\Word\\Recent Templates", Versions::Before2007),
    OfficeTree(L"\\Word\\ProjectTemplateLocation", Versions::Before2007),
    RecentLists(L"\\Word", Versions::Since2007),
};
constexpr VersionedStep kExcel[] = {
    OfficeTree(L"\\Excel\\Recent Files", Versions::Before2007),
    OfficeTree(L"\\Excel\\Recent Templates", Versions::Before2007),
    OfficeTree(L"\\Excel\\ProjectTemplateLocation", Versions::Before2007),
    RecentLists(L"\\Excel", Versions::Since2007),
};
constexpr VersionedStep kPowerPoint[] = {
    OfficeTree(L"\\PowerPoint\\Recent File List", Versions::Before2007),
    OfficeTree(L"\\PowerPoint\\Recent Templates", Versions::Before2007),
    OfficeTree(L"\\PowerPoint\\RecentFolderList", Versions::Before2007),
    OfficeTree(L"\\PowerPoint\\RecentTemplateList", Versions::Before2007),
    OfficeTree(L"\\PowerPoint\\ProjectTemplateLocation", Versions::Before2007),
    RecentLists(L"\\PowerPoint", Versions::Since2007),
};
// Access 2007 still keeps the old lists.
constexpr VersionedStep kAccess[] = {
    KeptTree(Versions::Before2010),  // "Access\Settings": Access's options with its recent list
    OfficeTree(L"\\Access\\Internet\\Recent Templates", Versions::Before2010),
    RecentLists(L"\\Access", Versions::Since2010),
};
constexpr VersionedStep kPublisher[] = {
    OfficeTree(L"\\Publisher\\Recent File List"),
    RecentLists(L"\\Publisher"),
};
constexpr VersionedStep kInfoPath[] = {
    OfficeTree(L"\\InfoPath\\Recent File List"),
    OfficeTree(L"\\InfoPath\\Recent Templates"),
    RecentLists(L"\\InfoPath"),
    OfficeTree(L"\\InfoPath\\Designer File MRU"),
    OfficeTree(L"\\InfoPath\\Filler File MRU"),
};
constexpr VersionedStep kOneNote[] = {
    KeptTree(Versions::All),  // "OneNote\OpenNotebooks": the notebooks the user keeps open
    OfficeTree(L"\\OneNote\\Place MRU"),
    OfficeTree(L"\\OneNote\\RecentNotebooks"),
};
constexpr VersionedStep kLync[] = {OfficeTree(L"\\Lync")};
constexpr VersionedStep kSkyDrive[] = {OfficeTree(L"\\SyncProc")};
constexpr VersionedStep kProject[] = {
    OfficeTree(L"\\MS Project\\Recent File List"),
    OfficeTree(L"\\MS Project\\Recent Templates"),
    OfficeTree(L"\\MS Project\\ProjectTemplateLocation"),
    RecentLists(L"\\MS Project"),
};
constexpr VersionedStep kVisio[] = {
    OfficeTree(L"\\Visio\\Recent Templates"),
    RecentLists(L"\\Visio"),
};
constexpr VersionedStep kClipOrganizer[] = {
    OfficeValue(L"\\Clip Organizer", L"MRUKeywords"),
    RecentLists(L"\\Clip Organizer"),
};
constexpr VersionedStep kProfileWizard[] = {
    WizardTree(L"\\RecentFileList"),
    RecentLists(L"", Versions::All, Branch::Wizard),
};
constexpr VersionedStep kPictureManager[] = {
    OfficeValue(L"\\OIS\\Options", L"LastTreeConfig"),
    OfficeValue(L"\\OIS\\Options", L"LastTreeSelection"),
    OfficeTree(L"\\Common\\Open Find\\Microsoft Office Picture Manager\\Settings\\Add Picture Shortcut\\File Name MRU"),
};

const Item kOfficeItems[] = {
    {L"OFFICE", L"word", TrLater(L"Microsoft Word"), 49, FlagRule::ExactlyOne, {UserCall(RunVersioned<kWord>)}},
    {L"OFFICE", L"excel", TrLater(L"Microsoft Excel"), 50, FlagRule::ExactlyOne, {UserCall(RunVersioned<kExcel>)}},
    {L"OFFICE",
     L"Powerpoint",
     TrLater(L"Microsoft Powerpoint"),
     51,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kPowerPoint>)}},
    {L"OFFICE",
     L"FrontPage",
     TrLater(L"Microsoft FrontPage"),
     52,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent File List"),
      Tree(L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Page List"),
      Tree(L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recent Web List"),
      Tree(L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Recently Created Servers"),
      Value(L"Software\\Microsoft\\FrontPage\\Explorer\\FrontPage Explorer\\Settings", L"LastWebOpen")}},
    {L"OFFICE",
     L"Access",
     TrLater(L"Microsoft Access"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kAccess>)}},
    {L"OFFICE",
     L"Publisher",
     TrLater(L"Microsoft Publisher"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kPublisher>)}},
    {L"OFFICE",
     L"InfoPath",
     TrLater(L"Microsoft InfoPath"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kInfoPath>)}},
    {L"OFFICE",
     L"Onenote",
     TrLater(L"Microsoft Onenote"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kOneNote>)}},
    {L"OFFICE",
     L"Lync",
     TrLater(L"Microsoft Lync Settings"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kLync>)}},
    {L"OFFICE",
     L"SkyDrive",
     TrLater(L"Microsoft SkyDrive Settings"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kSkyDrive>)}},
    {L"OFFICE",
     L"Project",
     TrLater(L"Microsoft Project"),
     53,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kProject>)}},
    {L"OFFICE",
     L"Visio",
     TrLater(L"Microsoft Visio"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kVisio>)}},
    {L"OFFICE",
     L"Organizer",
     TrLater(L"Clip Organizer"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kClipOrganizer>)}},
    {L"OFFICE",
     L"Settings",
     TrLater(L"Microsoft Office Settings"),
     54,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kProfileWizard>)}},
    {L"OFFICE",
     L"Picture",
     TrLater(L"Microsoft Office Picture Manager"),
     kNoProgress,
     FlagRule::ExactlyOne,
     {UserCall(RunVersioned<kPictureManager>)}},
    {L"OFFICE",
     L"Viewer",
     TrLater(L"Microsoft Snapshot Viewer"),
     55,
     FlagRule::ExactlyOne,
     {Tree(L"Software\\Microsoft\\Snapshot Viewer\\Recent File List"),
      Tree(L"Software\\Microsoft\\Snapshot Viewer\\File MRU"),
      Tree(L"Software\\Microsoft\\Snapshot Viewer\\Place MRU")}},
};

}  // namespace

std::span<const Item> OfficeItems() { return kOfficeItems; }

void PrepareOfficeItems(run::ItemContext& context) {
  // Asking the suite starts its automation server, a process a preview must not start: a preview
  // lists only the suite's version-independent keys.
  if (context.erase.Previewing()) return;
  context.run.officeVersion = VersionNumber(DetectOfficeVersion());
}

}  // namespace catalogue
