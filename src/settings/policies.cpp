#include "settings/policies.h"

#include <algorithm>
#include <iterator>

#include "engine/browser_table.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "settings/default_selection.h"
#include "settings/inifun.h"

namespace settings {

namespace {

constexpr DWORD kAgeHours[] = {0, 1, 24, 7 * 24, 30 * 24};  // the hours of kAgeChoices
constexpr DWORD kRulesUpdateChoices[] = {0, 1};             // off, from RulesUpdateUrl

constexpr PolicyDefinition kPolicies[] = {
    {L"Selection", PolicyType::List},
    {L"SelectionMayGrow", PolicyType::Switch},
    {L"CleanAtStart", PolicyType::Switch},
    {L"CleanAtShutdown", PolicyType::Switch},
    {L"CleanDays", PolicyType::Days},
    {L"CleanTime", PolicyType::Time},
    {L"TempMinAgeHours", PolicyType::Choice, kAgeHours},
    {L"KeepSites", PolicyType::List},
    {L"KeepAddresses", PolicyType::List},
    {L"RulesUpdate", PolicyType::Choice, kRulesUpdateChoices},
    {L"RulesUpdateUrl", PolicyType::Address},
    {L"ShredderAllowed", PolicyType::Switch},
    {L"FreeSpaceWipeAllowed", PolicyType::Switch},
    {L"AllUsers", PolicyType::Switch},
};
constexpr PolicyDefinition kCleanOnClose = {L"CleanOnClose", PolicyType::Switch};

// The switches of section "Options" a policy of another name fixes.
struct SwitchPolicy {
  const wchar_t* policy;
  const wchar_t* option;
  bool Options::*field;
};
constexpr SwitchPolicy kSwitchPolicies[] = {
    {L"CleanAtStart", L"WindowsStartup", &Options::windowsStartup},
    {L"CleanAtShutdown", L"WindowsShutdown", &Options::windowsShutdown},
    {L"AllUsers", L"AllUsers", &Options::allUsers},
};
// The options a policy of the same name fixes; and the policy whose 0 turns the weekly look for rules off.
constexpr const wchar_t* kSameNamed[] = {L"CleanDays", L"CleanTime", L"TempMinAgeHours"};
constexpr wchar_t kRulesUpdate[] = L"RulesUpdate";

// What another person writes is read with limits: a long text or list is refused, not followed.
constexpr DWORD kLongestText = 2048;
constexpr DWORD kMostEntries = 1000;

static_assert(std::size(kAgeHours) == std::size(kAgeChoices));

struct Place {
  HKEY root;
  const wchar_t* name;  // "Machine policy {name}": the value's name in it, as the reports say it
};

std::wstring Where(const Place& place, const std::wstring& name) {
  return platform::Fill(platform::Tr(place.name), {{L"name", name}});
}

// A value's type and data, or nothing when it is not there.
struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

std::optional<RawValue> ReadRaw(HKEY key, const wchar_t* name) {
  RawValue raw;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &raw.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  if (size > (kLongestText + 1) * sizeof(wchar_t)) {
    raw.data.clear();
    raw.type = REG_NONE;
    return raw;
  }
  raw.data.resize(size);
  if (RegQueryValueExW(key, name, nullptr, &raw.type, raw.data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
  raw.data.resize(size);
  return raw;
}

std::optional<std::wstring> TextOf(const RawValue& raw) {
  if (raw.type != REG_SZ) return std::nullopt;
  std::wstring text(reinterpret_cast<const wchar_t*>(raw.data.data()), raw.data.size() / sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

bool IsAddress(const std::wstring& text) {
  auto starts = [&](const wchar_t* scheme) { return _wcsnicmp(text.c_str(), scheme, wcslen(scheme)) == 0; };
  const size_t host = starts(L"https://") ? 8 : starts(L"http://") ? 7 : 0;
  return host && text.size() > host && text.find_first_of(L" \t\r\n") == std::wstring::npos;
}

// The sentence that the value at `where` does not fit its definition and is ignored; nothing when it fits.
std::optional<std::wstring> Misfit(const PolicyDefinition& policy, const RawValue& raw, const std::wstring& where) {
  if (policy.type == PolicyType::Switch || policy.type == PolicyType::Choice) {
    if (raw.type != REG_DWORD || raw.data.size() != sizeof(DWORD)) {
      return platform::Fill(platform::Tr(L"{where}: is not a number (REG_DWORD); ignored."), {{L"where", where}});
    }
    DWORD number = *reinterpret_cast<const DWORD*>(raw.data.data());
    if (policy.type == PolicyType::Switch && number > 1) {
      return platform::Fill(platform::Tr(L"{where}: {number} is neither 0 nor 1; ignored."),
                            {{L"where", where}, {L"number", std::to_wstring(number)}});
    }
    if (policy.type == PolicyType::Choice &&
        std::find(policy.choices.begin(), policy.choices.end(), number) == policy.choices.end()) {
      std::wstring allowed;
      for (DWORD choice : policy.choices) allowed += (allowed.empty() ? L"" : L", ") + std::to_wstring(choice);
      return platform::Fill(platform::Tr(L"{where}: {number} is none of {allowed}; ignored."),
                            {{L"where", where}, {L"number", std::to_wstring(number)}, {L"allowed", allowed}});
    }
    return std::nullopt;
  }
  std::optional<std::wstring> text = TextOf(raw);
  if (!text) {
    return platform::Fill(platform::Tr(L"{where}: is not a text (REG_SZ) of at most {count} characters; ignored."),
                          {{L"where", where}, {L"count", std::to_wstring(kLongestText)}});
  }
  const bool fits = policy.type == PolicyType::Days
                        ? text->size() == 7 && text->find_first_not_of(L"01") == std::wstring::npos
                    : policy.type == PolicyType::Time ? std::ranges::count(StartTimes(), *text) == 1
                                                      : IsAddress(*text);
  if (fits) return std::nullopt;
  const wchar_t* form =
      policy.type == PolicyType::Days
          ? platform::Tr(L"{where}: \"{text}\" is not seven 0s and 1s, Sunday first; ignored.")
      : policy.type == PolicyType::Time
          ? platform::Tr(L"{where}: \"{text}\" is not a time of the schedule (0:00 to 23:30, by half hours); ignored.")
          : platform::Tr(L"{where}: \"{text}\" is not an http or https address; ignored.");
  return platform::Fill(form, {{L"where", where}, {L"text", *text}});
}

// The entries of a list's subkey; nothing when the subkey is not there.
std::optional<std::vector<std::wstring>> ReadList(HKEY parent, const wchar_t* name, const std::wstring& where,
                                                  std::vector<std::wstring>& ignored) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(parent, name, 0, KEY_READ, &opened) != ERROR_SUCCESS) return std::nullopt;
  platform::RegKey key(opened);
  std::vector<std::wstring> entries;
  for (DWORD index = 0;; ++index) {
    wchar_t valueName[256];
    DWORD nameLength = static_cast<DWORD>(std::size(valueName));
    if (RegEnumValueW(key.get(), index, valueName, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    if (index == kMostEntries) {
      ignored.push_back(platform::Fill(platform::Tr(L"{where}: has more than {count} entries; the rest are not read."),
                                       {{L"where", where}, {L"count", std::to_wstring(kMostEntries)}}));
      break;
    }
    std::optional<RawValue> raw = ReadRaw(key.get(), valueName);
    std::optional<std::wstring> text = raw ? TextOf(*raw) : std::nullopt;
    if (text && !text->empty()) {
      entries.push_back(*text);
    } else {
      ignored.push_back(platform::Fill(platform::Tr(L"{where}: entry \"{entry}\" is not a text."),
                                       {{L"where", where}, {L"entry", valueName}}));
    }
  }
  return entries;
}

void ReadOne(const PolicyDefinition& policy, const std::wstring& name, HKEY key, const Place& place,
             Policies& policies) {
  if (policies.Fixed(name)) return;
  if (policy.type == PolicyType::List) {
    std::optional<std::vector<std::wstring>> entries =
        ReadList(key, name.c_str(), Where(place, name), policies.ignored);
    // A list none of whose entries fit fixes nothing, rather than an empty selection or list.
    if (entries && !entries->empty()) policies.lists[name] = std::move(*entries);
    return;
  }
  std::optional<RawValue> raw = ReadRaw(key, name.c_str());
  if (!raw) return;
  if (std::optional<std::wstring> misfit = Misfit(policy, *raw, Where(place, name))) {
    policies.ignored.push_back(std::move(*misfit));
  } else if (policy.type == PolicyType::Switch || policy.type == PolicyType::Choice) {
    policies.numbers[name] = *reinterpret_cast<const DWORD*>(raw->data.data());
  } else {
    policies.texts[name] = *TextOf(*raw);
  }
}

}  // namespace

std::span<const PolicyDefinition> PolicyDefinitions() { return kPolicies; }

std::optional<DWORD> Policies::Number(const std::wstring& name) const {
  auto found = numbers.find(name);
  return found == numbers.end() ? std::nullopt : std::optional(found->second);
}

std::optional<std::wstring> Policies::Text(const std::wstring& name) const {
  auto found = texts.find(name);
  return found == texts.end() ? std::nullopt : std::optional(found->second);
}

const std::vector<std::wstring>* Policies::List(const std::wstring& name) const {
  auto found = lists.find(name);
  return found == lists.end() ? nullptr : &found->second;
}

bool Policies::Fixed(const std::wstring& name) const {
  return numbers.contains(name) || texts.contains(name) || lists.contains(name);
}

Policies ReadPolicies(std::span<const std::wstring> cleanOnCloseKeys, const PolicyPlace& place) {
  Policies policies;
  // The machine's first: a value it sets is not read again from the user's.
  for (const Place& root : {Place{place.machine, platform::TrLater(L"Machine policy {name}")},
                            Place{place.user, platform::TrLater(L"User policy {name}")}}) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root.root, place.key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) continue;
    platform::RegKey key(opened);
    for (const PolicyDefinition& policy : kPolicies) ReadOne(policy, policy.name, key.get(), root, policies);
    for (const std::wstring& option : cleanOnCloseKeys) ReadOne(kCleanOnClose, option, key.get(), root, policies);
  }
  return policies;
}

namespace {

Policies& InForce() {
  static Policies policies;
  return policies;
}

// The policy that fixes an option, empty when none does.
std::wstring PolicyOfOption(const std::wstring& optionKey) {
  for (const SwitchPolicy& fixed : kSwitchPolicies) {
    if (optionKey == fixed.option) return fixed.policy;
  }
  if (optionKey == kRulesCheckKey) return kRulesUpdate;
  const bool sameNamed = std::ranges::count(kSameNamed, optionKey) || optionKey.starts_with(kCleanOnClose.name);
  return sameNamed ? optionKey : std::wstring();
}

}  // namespace

const Policies& PoliciesInForce() { return InForce(); }

const Policies& ReadPoliciesInForce(const PolicyPlace& place) {
  std::vector<std::wstring> keys;
  for (const engine::Browser& browser : engine::Browsers()) {
    if (browser.key) keys.push_back(browser.key);
  }
  return InForce() = ReadPolicies(keys, place);
}

bool SelectionFixedExactly(const Policies& policies) {
  return policies.List(L"Selection") && policies.Number(L"SelectionMayGrow") != 1u;
}

std::optional<bool> PolicySelects(const Policies& policies, const std::wstring& section, const std::wstring& key) {
  const std::vector<std::wstring>* selection = policies.List(L"Selection");
  if (!selection) return std::nullopt;
  const std::wstring name = section + L"/" + key;
  if (std::ranges::any_of(*selection, [&](const std::wstring& entry) { return platform::EqualsNoCase(entry, name); })) {
    return true;
  }
  return SelectionFixedExactly(policies) ? std::optional(false) : std::nullopt;
}

bool SelectionAwaitsUser(const std::wstring& settingsFile) {
  return !SelectionFixedExactly(PoliciesInForce()) && SelectionUnsaved(settingsFile);
}

void ApplyPolicies(const Policies& policies, Options& options, const Options* own) {
  for (const SwitchPolicy& fixed : kSwitchPolicies) {
    if (std::optional<DWORD> on = policies.Number(fixed.policy))
      options.*fixed.field = own ? own->*fixed.field : *on == 1;
  }
  if (std::optional<std::wstring> days = policies.Text(L"CleanDays")) {
    options.days = own ? own->days : ParseCleanDays(*days);
  }
  if (std::optional<std::wstring> time = policies.Text(L"CleanTime")) options.cleanTime = own ? own->cleanTime : *time;
  if (std::optional<DWORD> hours = policies.Number(L"TempMinAgeHours")) {
    options.ages.tempHours = own ? own->ages.tempHours : static_cast<int>(*hours);
  }
  if (RulesUpdateOff(policies)) options.weeklyRulesCheck = own && own->weeklyRulesCheck;
  // A browser's switch fixed by policy is not stored at all: the file keeps what the user ticked.
  if (own) {
    std::erase_if(options.cleanOnClose, [&](const auto& entry) { return policies.Fixed(entry.first); });
    return;
  }
  for (auto& [key, on] : options.cleanOnClose) {
    if (std::optional<DWORD> fixed = policies.Number(key)) on = *fixed == 1;
  }
}

bool OptionSwitch(const std::wstring& settingsFile, const std::wstring& key) {
  const Policies& policies = PoliciesInForce();
  const std::wstring policy = PolicyOfOption(key);
  if (OptionFixed(policies, key)) return policy != kRulesUpdate && policies.Number(policy) == 1u;
  return inifun::FlagTest(inifun::ReadIniValue(settingsFile, L"Options", key));
}

bool OptionFixed(const Policies& policies, const std::wstring& optionKey) {
  const std::wstring policy = PolicyOfOption(optionKey);
  if (policy == kRulesUpdate) return RulesUpdateOff(policies);
  return !policy.empty() && policies.Fixed(policy);
}

bool TurnedOff(const Policies& policies, const wchar_t* name) { return policies.Number(name) == 0u; }

bool RulesUpdateOff(const Policies& policies) { return TurnedOff(policies, kRulesUpdate); }

std::optional<std::wstring> RulesMirror(const Policies& policies) {
  return policies.Number(kRulesUpdate) == 1u ? policies.Text(L"RulesUpdateUrl") : std::nullopt;
}

}  // namespace settings
