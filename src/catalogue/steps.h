#pragma once
// One erasure step of a catalogue item: a primitive, the folder or key it works on, and where its
// figure goes. Items list their steps as data; the few with real logic add a call.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "run/item_context.h"

namespace catalogue {

// Where a step's folder comes from; the step's path text is appended to it as written.
enum class Base {
  Absolute,          // the path text is the whole path
  AppData,           // AppDataFolder
  LocalAppData,      // LocalAppDataFolder
  Windows,           // WindowsFolder
  Documents,         // the "Personal" shell folder, read afresh for the step
  NetscapeProfiles,  // AppData + "\Netscape\NSB\Profiles" when it exists, else the Navigator one
};

enum class Hive { CurrentUser, LocalMachine, Users };

enum class Op {
  AllFilesInTree,
  NamedFilesInTree,
  ExtensionInTree,
  NamedFoldersInTree,
  RecreateFolder,
  FilesInFolder,
  NamedFileInFolder,
  DeleteKey,
  DeleteTree,
  DeleteValue,
  AddKeys,
  AddBytes,
  Call,
};

using StepCall = void (*)(run::ItemContext&);

struct Step {
  Op op;
  Base base = Base::Absolute;
  const wchar_t* path = L"";  // folder suffix, or the subkey
  const wchar_t* name = L"";  // file, folder or extension name, or the value name
  Hive hive = Hive::CurrentUser;
  double amount = 0;
  StepCall call = nullptr;
  // A call that cleans the profile the run's values name, so it runs for every user of the computer.
  bool eachUser = false;
};

// The builders read like the recipes: Tree(L"Software\\...") is "delete tree HKCU Software\...".
constexpr Step AllFiles(Base base, const wchar_t* path) { return {Op::AllFilesInTree, base, path}; }
constexpr Step NamedFiles(Base base, const wchar_t* path, const wchar_t* name) {
  return {Op::NamedFilesInTree, base, path, name};
}
constexpr Step ExtensionFiles(Base base, const wchar_t* path, const wchar_t* extension) {
  return {Op::ExtensionInTree, base, path, extension};
}
constexpr Step NamedFolders(Base base, const wchar_t* path, const wchar_t* name) {
  return {Op::NamedFoldersInTree, base, path, name};
}
// `kept`: one file, relative to the folder, that stays.
constexpr Step Recreate(Base base, const wchar_t* path, const wchar_t* kept = L"") {
  return {Op::RecreateFolder, base, path, kept};
}
constexpr Step FilesIn(Base base, const wchar_t* path) { return {Op::FilesInFolder, base, path}; }
constexpr Step FileIn(Base base, const wchar_t* path, const wchar_t* name) {
  return {Op::NamedFileInFolder, base, path, name};
}
constexpr Step Key(const wchar_t* subkey, Hive hive = Hive::CurrentUser) {
  return {Op::DeleteKey, Base::Absolute, subkey, L"", hive};
}
constexpr Step Tree(const wchar_t* subkey, Hive hive = Hive::CurrentUser) {
  return {Op::DeleteTree, Base::Absolute, subkey, L"", hive};
}
constexpr Step Value(const wchar_t* subkey, const wchar_t* name, Hive hive = Hive::CurrentUser) {
  return {Op::DeleteValue, Base::Absolute, subkey, name, hive};
}
constexpr Step Keys(double count) { return {Op::AddKeys, Base::Absolute, L"", L"", Hive::CurrentUser, count}; }
constexpr Step Bytes(double bytes) { return {Op::AddBytes, Base::Absolute, L"", L"", Hive::CurrentUser, bytes}; }
constexpr Step Call(StepCall call) { return {Op::Call, Base::Absolute, L"", L"", Hive::CurrentUser, 0, call}; }
constexpr Step UserCall(StepCall call) {
  return {Op::Call, Base::Absolute, L"", L"", Hive::CurrentUser, 0, call, true};
}

HKEY RootOf(Hive hive);

// Whether the step cleans a user's own profile (a key of the user's hive, a folder of the profile, a
// call made for it), and so runs for every user of the computer; the others run once.
bool ForEachUser(const Step& step);

// A folder from a lookup is used only when it is a full path: a failed lookup gives "Error" or
// empty text, which must never name a folder in the current directory.
bool IsFullPath(const std::wstring& path);

// The folder a base names now; empty text when its lookup failed.
std::wstring BaseFolder(Base base, const run::ItemContext& context);

// The folder or key a step works on, and whether it is there now.
struct StepTarget {
  std::wstring name;
  bool found = false;
};
// None for a step that names no folder or key (a figure, a call).
std::optional<StepTarget> TargetOf(const Step& step, const run::ItemContext& context);

// Runs `erasures` with the item's context but that files written within `hours` before now stay,
// listed as too new: the steps of the items that erase temporary files.
void KeepingYoungFiles(run::ItemContext& context, int hours, const std::function<void(run::ItemContext&)>& erasures);

// Runs the step and adds its figure to the matching counter. A step whose folder comes from a
// lookup that failed ("Error", empty or relative text) is skipped.
void RunStep(const Step& step, run::ItemContext& context);

}  // namespace catalogue
