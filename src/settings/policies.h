#pragma once
// What an organisation fixes through Group Policy or Intune: values under Software\Policies\Trellwipe
// of the machine (which wins) and of the user. The table of policies is the one source the program
// reads and the administrative templates describe; a value of the wrong type or outside its range is
// ignored and reported, never taken as "off".
#include <windows.h>

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "settings/options.h"

namespace settings {

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Trellwipe";

enum class PolicyType {
  Switch,   // REG_DWORD 0 or 1
  Choice,   // REG_DWORD, one of the listed numbers
  Days,     // REG_SZ of seven 0s and 1s, Sunday first, as "CleanDays" stores them
  Time,     // REG_SZ, one of the start times the options offer ("0:00" to "23:30")
  Address,  // REG_SZ, an http or https address
  List,     // a subkey whose REG_SZ values are the entries, whatever their names
};

struct PolicyDefinition {
  const wchar_t* name;  // the value's name, or the subkey's for a list
  PolicyType type;
  std::span<const DWORD> choices = {};  // for Choice
};

// Every policy the program reads, beside one switch per browser cleaned when it closes, named as
// its option ("CleanOnCloseChrome").
std::span<const PolicyDefinition> PolicyDefinitions();

// Where the policies are read; tests read a key of their own.
struct PolicyPlace {
  HKEY machine = HKEY_LOCAL_MACHINE;
  HKEY user = HKEY_CURRENT_USER;
  std::wstring key = kPolicyKey;
};

// The policies in force: each value as the table reads it, the machine's where it sets one.
struct Policies {
  std::map<std::wstring, DWORD> numbers;  // Switch and Choice
  std::map<std::wstring, std::wstring> texts;
  std::map<std::wstring, std::vector<std::wstring>> lists;
  // One sentence per value ignored, naming its place and why.
  std::vector<std::wstring> ignored;

  std::optional<DWORD> Number(const std::wstring& name) const;
  std::optional<std::wstring> Text(const std::wstring& name) const;
  const std::vector<std::wstring>* List(const std::wstring& name) const;
  bool Fixed(const std::wstring& name) const;
};

// `cleanOnCloseKeys`: the options of the browsers cleaned when they close.
Policies ReadPolicies(std::span<const std::wstring> cleanOnCloseKeys, const PolicyPlace& place = {});

// The words beside every setting a policy fixes.
constexpr const wchar_t* kSetByOrganisation = platform::TrLater(L"Set by your organisation");

// The policies this process goes by: none until read. Read at start, and again when Windows says
// policy changed, with a switch for each browser of the browser table that is cleaned when it closes.
const Policies& PoliciesInForce();
const Policies& ReadPoliciesInForce(const PolicyPlace& place = {});

// What the policies say of an item ("Browsers/IE Cookies", as trellwipe-cli --list names it): true
// in the fixed selection, false outside a fixed selection that may not grow; nothing where the
// user's tick decides.
std::optional<bool> PolicySelects(const Policies& policies, const std::wstring& section, const std::wstring& key);
// A selection fixed by policy that users may not add to (SelectionMayGrow other than 1): the
// organisation's saved choice, which decides every item.
bool SelectionFixedExactly(const Policies& policies);
// Whether a cleaning of the selection in `settingsFile` waits for the user's word: the user never
// saved it, and no policy in force fixes it exactly.
bool SelectionAwaitsUser(const std::wstring& settingsFile);

// The one overlay of policy on the user's options: each option a policy fixes takes the policy's
// value, or, given `own`, the user's own value from it (what a save stores, so that the settings
// file keeps the user's choice for when the policy goes).
void ApplyPolicies(const Policies& policies, Options& options, const Options* own = nullptr);
// A switch of section "Options" ("WindowsStartup", "AllUsers", "CleanOnCloseChrome") as the
// policies in force fix it, else as the settings file stores it.
bool OptionSwitch(const std::wstring& settingsFile, const std::wstring& key);
// Whether a policy fixes an option of section "Options" ("WindowsShutdown" by CleanAtShutdown,
// "RulesCheckWeekly" by RulesUpdate 0), which the windows then show greyed.
bool OptionFixed(const Policies& policies, const std::wstring& optionKey);

// The organisation turned the rules update off (RulesUpdate 0).
bool RulesUpdateOff(const Policies& policies);
// The organisation's mirror the rules come from (RulesUpdate 1 with RulesUpdateUrl); nothing otherwise.
std::optional<std::wstring> RulesMirror(const Policies& policies);
// A switch of the organisation's turned off (ShredderAllowed 0, FreeSpaceWipeAllowed 0).
bool TurnedOff(const Policies& policies, const wchar_t* name);
// The sentences the program refuses with.
constexpr const wchar_t* kRulesUpdateOff =
    platform::TrLater(L"Your organisation has turned off rule updates in Trellwipe.");
constexpr const wchar_t* kShredderOff =
    platform::TrLater(L"Your organisation does not allow shredding files with Trellwipe.");
constexpr const wchar_t* kFreeSpaceWipeOff =
    platform::TrLater(L"Your organisation does not allow wiping free space with Trellwipe.");

}  // namespace settings
