#pragma once
// Plug-ins: definition files "<appname>.ppe" in the program's "plus-in" folder that name registry
// trees, registry values, files and folders to erase for one application.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "run/item_context.h"

namespace catalogue::plugins {

// The section under which the report and the console program name the plug-ins; the key is the
// appname.
constexpr wchar_t kPluginSection[] = L"plus-in";

struct PluginEntry {
  std::wstring name;         // "appname": the row text, and the base name the run looks for
  std::wstring version;      // "appver"
  std::wstring description;  // name, version and "decs" joined by blanks
  std::wstring file;         // the definition file the entry was read from
  bool ticked = false;       // "swich"/"on" is exactly "1"
};

std::wstring PluginFolder(const std::wstring& programFolder);
// Where the switches of the copy in `programFolder` are written: "plus-in" in its settings folder
// (platform::SettingsFolder), as "<appname>.ppe" files of section "swich" alone; for a portable copy
// PluginFolder, in the definitions themselves.
std::wstring PluginSwitchFolder(const std::wstring& programFolder);

// The definition files directly in the folder whose extension is "ppe" in any letter case, in the
// file system's order.
std::vector<PluginEntry> ListPlugins(const std::wstring& folder);

// An "appname" that names a file in the plug-in folder: not empty and without a path. The name comes
// from the definition itself and must not lead the run or the switch out of the folder.
bool IsPluginName(const std::wstring& name);

// The definitions of the copy in `programFolder` (ListPlugins of PluginFolder), each ticked as its
// switch in PluginSwitchFolder says where one is there, else as its own.
std::vector<PluginEntry> ProgramPlugins(const std::wstring& programFolder);

// Sets "swich"/"on" of folder + "\" + name + ".ppe" to "1" or "0", creating the file when it is
// missing; a switch already so is not written. A whole new file replaces the old one, so a failure
// leaves the definition as it was; a failure then, and for a name that is empty or holds a path.
platform::Result<void> WritePluginSwitch(const std::wstring& folder, const std::wstring& name, bool on);
// WritePluginSwitch into PluginSwitchFolder, made when it is the settings folder's and not there yet.
platform::Result<void> SetPluginSwitch(const std::wstring& programFolder, const std::wstring& name, bool on);

// A root field: a signed 32-bit decimal number or "&H" and up to eight hexadecimal digits. Nothing
// when the number is outside 32 bits (the entry is skipped); a null root for text that is not a
// number, or a number that names no predefined root.
std::optional<HKEY> ParseRoot(const std::wstring& field);

// The erasure sections in the order they run: "regtree", "reg", "file", "fileext" and "folder",
// then the tree sections "filetree", "foldertree" and "alltree", which readers of the first five
// pass over.
extern const std::vector<const wchar_t*> kSections;

// The registry keys and folders the definition's lines name, as the run would take them now, when
// none of them is there: its program is not on this computer. Empty when one is there, or when the
// definition names nothing.
std::vector<std::wstring> AbsentTargets(const std::wstring& definitionFile, const run::ProcessValues& values);

// Executes the erasure sections of a definition file. In another user's run, only the lines that name
// the user's own keys (HKEY_CURRENT_USER) and folders (below "appdata" or "localappdata") run, for
// that user; the others run once, in the current user's run.
void ProcessShell(const std::wstring& definitionFile, run::ItemContext& context);
// Whether the definition has a line the run of the user `values` name would execute.
bool NamesAny(const std::wstring& definitionFile, const run::ProcessValues& values);

// A file or folder line of a definition as written: its section ("file", "filetree", ...) and its
// fields: the base ("appdata", "localappdata" or a folder), the folder below it and, but for
// "folder" and "alltree", a name or an extension.
struct FolderLine {
  std::wstring section;
  std::vector<std::wstring> fields;
};
// The file and folder lines of a definition that a run executes, in their order.
std::vector<FolderLine> FolderLines(const std::wstring& definitionFile);

// The folders the file and folder lines of a definition name, as the run would take them now: the
// base expanded and every "*" of a tree section replaced by the subfolders found there.
std::vector<std::wstring> NamedFolders(const std::wstring& definitionFile, const run::ProcessValues& values);

}  // namespace catalogue::plugins
