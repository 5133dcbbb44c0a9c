#include "catalogue/rule_file.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <set>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace rules {

namespace {

constexpr wchar_t kCommunityFile[] = L"winapp2.ini";
constexpr wchar_t kOwnFolder[] = L"rules";
// More than any file the format has seen; a larger one is read up to here.
constexpr DWORD kReadLimit = 64 * 1024 * 1024;
// Longer than any path the system can name: such a line is no key of ours.
constexpr size_t kLineLimit = 32768;

struct Category {
  int number;
  const wchar_t* name;
};

// The groups the format numbers (its "LangSecRef"), by the names the cleaners show.
constexpr Category kCategories[] = {
    {3001, L"Internet Explorer"}, {3005, L"Microsoft Edge (legacy)"}, {3006, L"Microsoft Edge"},
    {3021, L"Applications"},      {3022, L"Internet"},                {3023, L"Multimedia"},
    {3024, L"Utilities"},         {3025, L"Windows"},                 {3026, L"Firefox"},
    {3027, L"Opera"},             {3028, L"Safari"},                  {3029, L"Google Chrome"},
    {3030, L"Thunderbird"},       {3031, L"Windows Store"},           {3033, L"Vivaldi"},
    {3034, L"Brave"},
};
constexpr wchar_t kOtherCategory[] = L"Other";

// A line in UTF-8 when it is valid UTF-8, else in the system's code page: one stray byte spoils
// one line, not the file.
std::wstring Decode(std::string_view bytes) {
  if (bytes.empty()) return {};
  int size = static_cast<int>(bytes.size());
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (n <= 0) return platform::Widen(bytes);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), n);
  return text;
}

std::vector<std::wstring> Split(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(platform::Trim(text.substr(start, end == std::wstring_view::npos ? end : end - start)));
    if (end == std::wstring_view::npos) return parts;
    start = end + 1;
  }
}

std::vector<std::wstring> Patterns(std::wstring_view text) {
  std::vector<std::wstring> patterns;
  for (std::wstring& pattern : Split(text, L';')) {
    if (!pattern.empty()) patterns.push_back(std::move(pattern));
  }
  return patterns;
}

// "FileKey3" is a key of kind "filekey": the name in lower case without its number.
std::wstring KindOf(std::wstring_view key) {
  std::wstring kind = platform::ToLower(key);
  while (!kind.empty() && std::iswdigit(kind.back())) kind.pop_back();
  return kind;
}

std::wstring CategoryOf(std::wstring_view number) {
  int value = 0;
  for (wchar_t c : number) {
    if (!std::iswdigit(c) || value > 100000) return kOtherCategory;
    value = value * 10 + (c - L'0');
  }
  for (const Category& category : kCategories) {
    if (category.number == value) return category.name;
  }
  return kOtherCategory;
}

void AddFileKey(Rule& rule, std::wstring_view value) {
  std::vector<std::wstring> parts = Split(value, L'|');
  if (parts.size() < 2 || parts[0].empty()) return;
  FileKey key{parts[0], Patterns(parts[1])};
  if (key.patterns.empty()) return;
  for (size_t i = 2; i < parts.size(); ++i) {
    if (platform::EqualsNoCase(parts[i], L"RECURSE")) key.recurse = true;
    if (platform::EqualsNoCase(parts[i], L"REMOVESELF")) key.recurse = key.removeSelf = true;
  }
  rule.fileKeys.push_back(std::move(key));
}

void AddRegKey(Rule& rule, std::wstring_view value) {
  std::vector<std::wstring> parts = Split(value, L'|');
  if (parts[0].empty()) return;
  if (parts.size() == 1) {
    rule.regKeys.push_back({parts[0], L"", true});
  } else {
    rule.regKeys.push_back({parts[0], parts[1], false});
  }
}

// "FILE|<folder>\|<names>", "PATH|<folder>\|<names>" (a missing name part means every file), and
// "REG|<key>". A FILE key written as one path names its file in the last part.
void AddExcludeKey(Rule& rule, std::wstring_view value) {
  std::vector<std::wstring> parts = Split(value, L'|');
  if (parts.size() < 2 || parts[1].empty()) return;
  if (platform::EqualsNoCase(parts[0], L"REG")) {
    rule.excludeKeys.push_back({ExcludeKind::Registry, parts[1], {}});
    return;
  }
  bool file = platform::EqualsNoCase(parts[0], L"FILE");
  if (!file && !platform::EqualsNoCase(parts[0], L"PATH")) return;
  ExcludeKey key{file ? ExcludeKind::File : ExcludeKind::Path, parts[1], {}};
  if (parts.size() > 2) {
    key.patterns = Patterns(parts[2]);
  } else if (file) {
    size_t slash = key.location.find_last_of(L'\\');
    if (slash == std::wstring::npos) return;
    key.patterns = {key.location.substr(slash + 1)};
    key.location.resize(slash);
  }
  if (file && key.patterns.empty()) return;
  while (!key.location.empty() && key.location.back() == L'\\') key.location.pop_back();
  rule.excludeKeys.push_back(std::move(key));
}

}  // namespace

std::optional<int> VersionNumber(std::wstring_view text) {
  int major = 0, minor = 0, digits = 0;
  int* part = &major;
  for (wchar_t c : text) {
    if (c == L'.' && part == &major && digits > 0) {
      part = &minor;
    } else if (std::iswdigit(c) && *part < 1000) {
      *part = *part * 10 + (c - L'0');
      ++digits;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || minor > 99) return std::nullopt;
  return major * 100 + minor;
}

namespace {

void SetVersionRange(Rule& rule, std::wstring_view value) {
  std::vector<std::wstring> parts = Split(value, L'|');
  if (!parts[0].empty()) rule.windows.lowest = VersionNumber(parts[0]).value_or(rule.windows.lowest);
  if (parts.size() > 1 && !parts[1].empty()) rule.windows.highest = VersionNumber(parts[1]).value_or(INT_MAX);
}

void AddKey(Rule& rule, std::wstring_view key, std::wstring_view value) {
  const std::wstring kind = KindOf(key);
  if (value.empty()) return;
  if (kind == L"langsecref") {
    rule.category = CategoryOf(value);
  } else if (kind == L"section") {
    rule.category = value;
  } else if (kind == L"detect") {
    rule.detectKeys.emplace_back(value);
  } else if (kind == L"detectfile") {
    rule.detectFiles.emplace_back(value);
  } else if (kind == L"specialdetect") {
    rule.specialDetects.emplace_back(value);
  } else if (kind == L"detectos") {
    SetVersionRange(rule, value);
  } else if (kind == L"warning") {
    rule.warning = value;
  } else if (kind == L"default") {
    rule.byDefault = platform::EqualsNoCase(value, L"True");
  } else if (kind == L"filekey") {
    AddFileKey(rule, value);
  } else if (kind == L"regkey") {
    AddRegKey(rule, value);
  } else if (kind == L"excludekey") {
    AddExcludeKey(rule, value);
  }
}

bool Usable(std::wstring_view line) {
  return line.size() <= kLineLimit &&
         std::none_of(line.begin(), line.end(), [](wchar_t c) { return c < L' ' && c != L'\t'; });
}

// The name is the key of the entry's tick in the settings file.
bool StorableName(const std::wstring& name) {
  return !name.empty() && name.find(L'=') == std::wstring::npos && name[0] != L';' && name[0] != L'[';
}

void Finish(std::vector<Rule>& rules, Rule& rule) {
  if (StorableName(rule.name) && (!rule.fileKeys.empty() || !rule.regKeys.empty())) {
    if (rule.category.empty()) rule.category = kOtherCategory;
    rules.push_back(std::move(rule));
  }
  rule = Rule();
}

}  // namespace

std::vector<Rule> ParseRules(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  std::vector<Rule> rules;
  Rule rule;
  bool inEntry = false;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view rawBytes = bytes.substr(start, end - start);
    start = end + 1;
    if (rawBytes.ends_with('\r')) rawBytes.remove_suffix(1);
    // A UTF-8 character takes at most four bytes.
    if (rawBytes.size() > 4 * kLineLimit) continue;
    const std::wstring raw = Decode(rawBytes);
    if (!Usable(raw)) continue;
    std::wstring line = platform::Trim(raw);
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[') {
      Finish(rules, rule);
      size_t close = line.find_last_of(L']');
      inEntry = close != std::wstring::npos && close > 1;
      if (inEntry) rule.name = platform::Trim(std::wstring_view(line).substr(1, close - 1));
      continue;
    }
    size_t equals = line.find(L'=');
    if (!inEntry || equals == std::wstring::npos) continue;
    AddKey(rule, platform::Trim(std::wstring_view(line).substr(0, equals)),
           platform::Trim(std::wstring_view(line).substr(equals + 1)));
  }
  Finish(rules, rule);
  return rules;
}

std::vector<Rule> LoadRules(const std::wstring& programFolder) {
  std::vector<std::wstring> files{platform::JoinPath(programFolder, kCommunityFile)};
  std::vector<std::wstring> own;
  const std::wstring folder = platform::JoinPath(programFolder, kOwnFolder);
  platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
    if (!entry.IsFolder() && platform::MatchesPattern(entry.name, L"*.ini")) own.push_back(entry.name);
  });
  std::sort(own.begin(), own.end(),
            [](const std::wstring& a, const std::wstring& b) { return platform::ToLower(a) < platform::ToLower(b); });
  for (const std::wstring& name : own) files.push_back(platform::JoinPath(folder, name));

  std::vector<Rule> rules;
  std::set<std::wstring> names;
  for (const std::wstring& file : files) {
    std::optional<std::string> bytes = platform::ReadFileBytes(file, kReadLimit);
    if (!bytes) continue;
    for (Rule& rule : ParseRules(*bytes)) {
      if (names.insert(platform::ToLower(rule.name)).second) rules.push_back(std::move(rule));
    }
  }
  return rules;
}

}  // namespace rules
