#pragma once
// Cleaning rules in the format the Windows cleaners share ("winapp2.ini"): entries of detection
// keys, file keys, registry keys and exclusions, read once into plain data. Paths stay as written,
// with their variables and wildcards; the run expands them when it reaches them.
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/translation.h"

namespace catalogue::rules {

// The sections of "prisd.dat" that hold the ticks, and the sections the report and the console
// program name the rules under: the community file's entries and the project's own rule files keep
// apart, so that no entry of one takes the name, or the tick, of an entry of the other. The key is
// the entry's name as written between the brackets.
constexpr wchar_t kCommunitySection[] = L"winapp2";
constexpr wchar_t kShippedSection[] = L"rules";

struct FileKey {
  std::wstring folder;
  std::vector<std::wstring> patterns;  // file name patterns, "*" and "?" allowed
  bool recurse = false;                // RECURSE, and REMOVESELF, which implies it
  bool removeSelf = false;             // REMOVESELF: emptied folders go too, the named one last
  size_t line = 0;                     // counted from 1
  std::wstring name = {};              // as written: "FileKey3"
};

struct RegKey {
  std::wstring key;    // "HKCU\Software\...", "*" and "?" allowed in any part after the root
  std::wstring value;  // the one value to delete, when `wholeKey` is off
  bool wholeKey = true;
  size_t line = 0;         // counted from 1
  std::wstring name = {};  // as written: "RegKey2"
};

enum class ExcludeKind {
  File,      // files directly in the folder whose names match
  Path,      // files in the folder and below it whose names match
  Registry,  // a registry key with everything below it
};

struct ExcludeKey {
  ExcludeKind kind;
  std::wstring location;               // a folder, or a registry key
  std::vector<std::wstring> patterns;  // for File and Path; none: every file
};

// The Windows versions an older entry is limited to ("DetectOS=6.2|" from Windows 8 on, "|6.1" up
// to Windows 7), as major * 100 + minor.
struct VersionRange {
  int lowest = 0;
  int highest = INT_MAX;
};

// "6.1" as 601, "10" as 1000; nothing for text that is no version.
std::optional<int> VersionNumber(std::wstring_view text);

struct Rule {
  std::wstring file;      // as RuleFileName::shown names it
  size_t line = 0;        // of its name, counted from 1
  std::wstring section;   // kCommunitySection or kShippedSection, by the file it came from
  std::wstring name;      // between the brackets, the customary " *" included
  std::wstring category;  // the group it is listed under
  std::vector<std::wstring> detectKeys;
  std::vector<std::wstring> detectFiles;
  std::vector<std::wstring> specialDetects;  // an older file's names of well-known programs ("DET_CHROME")
  VersionRange windows;
  std::wstring warning;
  bool byDefault = false;  // "Default=True" in a file of the project's own: ticked for a new user
  bool shipped = false;    // from a file the program ships: its name and warning are translated
  std::vector<FileKey> fileKeys;
  std::vector<RegKey> regKeys;
  std::vector<ExcludeKey> excludeKeys;
};

// The entries one rule file keeps at most, in characters of their lines (each line counted with
// kKeyCost more for its place): a file of any size is read in bounded memory, and what follows is
// left out.
constexpr size_t kFileBudget = 16 * 1024 * 1024;
constexpr size_t kKeyCost = 32;

// What a check of a rule file finds, by kind.
enum class FindingKind {
  Skipped,        // a line, or a whole entry, the program passes over
  UnknownKey,     // a key the program does not know: ignored
  DuplicateName,  // an entry whose name came before: the first one counts
  NoDetection,    // no Detect, DetectFile or SpecialDetect: it applies on every computer
  Climbs,         // a folder climbs above the variable it starts from: the run refuses its key
  Refused,        // the guard refuses a folder or key it names
  KeptData,       // it reaches a file or key that holds what a user keeps
};

struct Finding {
  FindingKind kind;
  size_t line;         // counted from 1
  std::wstring entry;  // the name of the entry the line is in; empty outside any
  std::wstring text;
};

// The entries of a rule file's text, read line by line: UTF-16 when it begins with that byte-order
// mark, else each line in UTF-8 when it is valid UTF-8, else in the system's code page. What it
// cannot use (a line without "=", an unknown key, a key without the parts it needs, a line too long
// to be a path, control characters) is skipped whole, never fatal; an entry that erases nothing is
// dropped, and so is one whose name cannot be a key of the settings file (it holds "=", or begins
// with ";" or "["). `budget` as kFileBudget.
// What it skips and the keys it does not know go to `findings`, when given.
std::vector<Rule> ParseRules(std::string_view text, size_t budget = kFileBudget,
                             std::vector<Finding>* findings = nullptr);

// What a rule file says of its own size beside what it holds: a copy cut short can still read as a
// rule file.
struct RuleFileTally {
  std::optional<size_t> declared;  // "; # of entries: 4,067" in the comments before its first entry
  size_t named = 0;                // the entries it names, each "[...]" line, kept or left out
};

// The entries of a rule file, as ParseRules reads them; nothing when it cannot be opened. Its
// tally goes to `tally`, when given.
std::optional<std::vector<Rule>> ReadRuleFile(const std::wstring& file, std::vector<Finding>* findings = nullptr,
                                              RuleFileTally* tally = nullptr);

// The group of the entries of the user's own files in the "rules" folder, whatever their category.
constexpr const wchar_t* kMyRulesCategory = platform::TrLater(L"My rules");

// The rule files Trellwipe installs in its "rules" folder. Any other "*.ini" there is the user's own,
// which no installation or update writes.
constexpr const wchar_t* kShippedFiles[] = {L"applications.ini", L"browsers.ini", L"office.ini", L"windows.ini"};

struct RuleFileName {
  std::wstring path;
  const wchar_t* section;   // kCommunitySection or kShippedSection
  bool mine = false;        // a file of the user's own in the "rules" folder
  std::wstring shown = {};  // as the program folder names it: "winapp2.ini", "rules/browsers.ini"
};

// "winapp2.ini", the community's file, as the program reads it: the settings folder's
// (platform::SettingsFolder) where an update put one there, else the program folder's.
std::wstring CommunityFile(const std::wstring& programFolder);
// Where an update puts "winapp2.ini": in the settings folder, which a per-machine install can write;
// for a portable copy the program folder.
std::wstring UpdatedCommunityFile(const std::wstring& programFolder);

// The rule files LoadRules reads, in its order: CommunityFile, then the
// "*.ini" of its "rules" folder in name order; whether each exists is not asked.
std::vector<RuleFileName> RuleFiles(const std::wstring& programFolder);

// The rules of CommunityFile (section kCommunitySection), then of the
// project's own files in its "rules" folder, in name order (kShippedSection). Within a section an
// entry whose name came before is dropped, so each id means one entry. "Default=True" counts only in
// the project's own files, and the entries of the user's own files are in kMyRulesCategory.
std::vector<Rule> LoadRules(const std::wstring& programFolder);

// The rule's name and warning as a window shows them: a shipped rule's in the language in force, the
// others' (the community's, the user's own) as their file writes them.
std::wstring ShownName(const Rule& rule);
std::wstring ShownWarning(const Rule& rule);

}  // namespace catalogue::rules
