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

}  // namespace settings
