#include "catalogue/rule_file.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <set>

#include "engine/browser_table.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/settings_folder.h"
#include "platform/table.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace catalogue::rules {

namespace {

constexpr wchar_t kCommunityFile[] = L"winapp2.ini";
constexpr wchar_t kOwnFolder[] = L"rules";
// A file is read in pieces of this size.
constexpr DWORD kReadPiece = 1024 * 1024;
// Longer than any path the system can name: such a line is no key of ours.
constexpr size_t kLineLimit = 32768;

struct Category {
  int number;
  const wchar_t* name;
};

// The groups the format numbers (its "LangSecRef"), by the names the cleaners show; a browser's
// is in its row of the browser table.
constexpr Category kCategories[] = {
    {3005, platform::TrLater(L"Microsoft Edge (legacy)")},
    {3021, platform::TrLater(L"Applications")},
    {3022, platform::TrLater(L"Internet")},
    {3023, platform::TrLater(L"Multimedia")},
    {3024, platform::TrLater(L"Utilities")},
    {3025, platform::TrLater(L"Windows")},
    {3030, L"Thunderbird"},
    {3031, platform::TrLater(L"Windows Store")},
};
constexpr const wchar_t* kOtherCategory = platform::TrLater(L"Other");

// A line in UTF-8 when it is valid UTF-8, else in the system's code page: one stray byte spoils
// one line, not the file.
std::wstring Decode(std::string_view bytes) {
  std::optional<std::wstring> text = platform::FromUtf8(bytes);
  return text ? std::move(*text) : platform::Widen(bytes);
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
  for (const engine::Browser& browser : engine::Browsers()) {
    if (browser.category.name && browser.category.number == value) return browser.category.name;
  }
  const Category* category = platform::FindRow(kCategories, &Category::number, value);
  return category ? category->name : kOtherCategory;
}

bool AddFileKey(Rule& rule, std::wstring_view value) {
  std::vector<std::wstring> parts = Split(value, L'|');
  if (parts.size() < 2 || parts[0].empty()) return false;
  FileKey key{parts[0], Patterns(parts[1])};
  if (key.patterns.empty()) return false;
  for (size_t i = 2; i < parts.size(); ++i) {
    if (platform::EqualsNoCase(parts[i], L"RECURSE")) key.recurse = true;
    if (platform::EqualsNoCase(parts[i], L"REMOVESELF")) key.recurse = key.removeSelf = true;
  }
  rule.fileKeys.push_back(std::move(key));
  return true;
}

bool AddRegKey(Rule& rule, std::wstring_view value) {
  std::vector<std::wstring> parts = Split(value, L'|');
  if (parts[0].empty()) return false;
  if (parts.size() == 1) {
    rule.regKeys.push_back({parts[0], L"", true});
  } else {
    rule.regKeys.push_back({parts[0], parts[1], false});
  }
  return true;
}

// "FILE|<folder>\|<names>", "PATH|<folder>\|<names>" (a missing name part means every file), and
// "REG|<key>". A FILE key written as one path names its file in the last part.
bool AddExcludeKey(Rule& rule, std::wstring_view value) {
  std::vector<std::wstring> parts = Split(value, L'|');
  if (parts.size() < 2 || parts[1].empty()) return false;
  if (platform::EqualsNoCase(parts[0], L"REG")) {
    rule.excludeKeys.push_back({ExcludeKind::Registry, parts[1], {}});
    return true;
  }
  bool file = platform::EqualsNoCase(parts[0], L"FILE");
  if (!file && !platform::EqualsNoCase(parts[0], L"PATH")) return false;
  ExcludeKey key{file ? ExcludeKind::File : ExcludeKind::Path, parts[1], {}};
  if (parts.size() > 2) {
    key.patterns = Patterns(parts[2]);
  } else if (file) {
    size_t slash = key.location.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    key.patterns = {key.location.substr(slash + 1)};
    key.location.resize(slash);
  }
  if (file && key.patterns.empty()) return false;
  while (!key.location.empty() && key.location.back() == L'\\') key.location.pop_back();
  rule.excludeKeys.push_back(std::move(key));
  return true;
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

bool SetVersionRange(Rule& rule, std::wstring_view value) {
  std::vector<std::wstring> parts = Split(value, L'|');
  std::optional<int> lowest = parts[0].empty() ? std::optional<int>(rule.windows.lowest) : VersionNumber(parts[0]);
  std::optional<int> highest =
      parts.size() < 2 || parts[1].empty() ? std::optional<int>(INT_MAX) : VersionNumber(parts[1]);
  if (!lowest || !highest || parts.size() > 2) return false;
  rule.windows = {*lowest, *highest};
  return true;
}

// The readers of the keys whose value is taken as it stands: into a text (the last one counts) or
// added to a list.
template <std::wstring Rule::*text>
bool Assign(Rule& rule, std::wstring_view value) {
  rule.*text = value;
  return true;
}
template <std::vector<std::wstring> Rule::*list>
bool Append(Rule& rule, std::wstring_view value) {
  (rule.*list).emplace_back(value);
  return true;
}

bool SetNumberedCategory(Rule& rule, std::wstring_view value) {
  rule.category = CategoryOf(value);
  return true;
}

bool SetByDefault(Rule& rule, std::wstring_view value) {
  rule.byDefault = platform::EqualsNoCase(value, L"True");
  return true;
}

// A key the format knows: how its value is read (false when it lacks the parts it needs), and the
// form the value must take.
struct KeyKind {
  const wchar_t* kind;  // as KindOf gives it
  bool (*read)(Rule&, std::wstring_view);
  const wchar_t* form;
};

constexpr KeyKind kKeyKinds[] = {
    {L"langsecref", SetNumberedCategory, L""},
    {L"section", Assign<&Rule::category>, L""},
    {L"detect", Append<&Rule::detectKeys>, L""},
    {L"detectfile", Append<&Rule::detectFiles>, L""},
    {L"specialdetect", Append<&Rule::specialDetects>, L""},
    {L"detectos", SetVersionRange, L"<version>|, |<version> or <version>|<version>"},
    {L"warning", Assign<&Rule::warning>, L""},
    {L"default", SetByDefault, L""},
    {L"filekey", AddFileKey, L"<folder>|<patterns>[|RECURSE or |REMOVESELF]"},
    {L"regkey", AddRegKey, L"<key>[|<value>]"},
    {L"excludekey", AddExcludeKey, L"FILE|<folder>\\|<names>, PATH|<folder>\\[|<names>] or REG|<key>"},
};

// The name is the key of the entry's tick in the settings file.
bool StorableName(const std::wstring& name) {
  return !name.empty() && name.find(L'=') == std::wstring::npos && name[0] != L';' && name[0] != L'[';
}

constexpr const wchar_t* kOverlong = platform::TrLater(L"skipped: it is longer than any path");

// The number a comment line "; # of entries: 4,067" declares; nothing for any other line.
std::optional<size_t> DeclaredEntries(std::wstring_view comment) {
  constexpr std::wstring_view kLead = L"# of entries:";
  const std::wstring text = platform::Trim(comment.substr(1));
  if (text.size() <= kLead.size() || !platform::EqualsNoCase(std::wstring_view(text).substr(0, kLead.size()), kLead)) {
    return std::nullopt;
  }
  const std::wstring number = platform::Trim(std::wstring_view(text).substr(kLead.size()));
  if (number.empty() || !std::iswdigit(number.front())) return std::nullopt;
  size_t value = 0;
  for (wchar_t c : number) {
    if (c == L',') continue;  // a thousands separator
    if (!std::iswdigit(c) || value > 100000000) return std::nullopt;
    value = value * 10 + (c - L'0');
  }
  return value;
}

// Takes a file's lines one at a time and keeps its entries within a budget; tells what it passes
// over, when asked.
class Parser {
 public:
  Parser(size_t budget, std::vector<Finding>* findings) : budget_(budget), findings_(findings) {}

  void Line(std::wstring_view raw) {
    ++line_;
    if (full_) return;
    if (raw.size() > kLineLimit) return Note(FindingKind::Skipped, platform::Tr(kOverlong));
    if (std::any_of(raw.begin(), raw.end(), [](wchar_t c) { return c < L' ' && c != L'\t'; })) {
      return Note(FindingKind::Skipped, platform::Tr(L"skipped: it holds control characters"));
    }
    std::wstring line = platform::Trim(raw);
    if (line.empty()) return;
    if (line[0] == L';') {
      if (tally_.named == 0 && !tally_.declared) tally_.declared = DeclaredEntries(line);
      return;
    }
    if (line[0] == L'[') {
      Finish();
      size_t close = line.find_last_of(L']');
      inEntry_ = close != std::wstring::npos && close > 1;
      if (!inEntry_) return Note(FindingKind::Skipped, platform::Tr(L"skipped: no entry name between \"[\" and \"]\""));
      ++tally_.named;
      rule_.name = platform::Trim(std::wstring_view(line).substr(1, close - 1));
      rule_.line = line_;
      entryCost_ = kKeyCost + line.size();
      return;
    }
    if (!inEntry_) return Note(FindingKind::Skipped, platform::Tr(L"skipped: it stands outside any entry"));
    size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) return Note(FindingKind::Skipped, platform::Tr(L"skipped: it has no \"=\""));
    const std::wstring key = platform::Trim(std::wstring_view(line).substr(0, equals));
    AddKey(key, platform::Trim(std::wstring_view(line).substr(equals + 1)));
    entryCost_ += kKeyCost + line.size();
    full_ = spent_ + entryCost_ > budget_;
    if (full_) {
      NoteAt(rule_.line, FindingKind::Skipped,
             platform::Fill(platform::Tr(
                                L"left out, with every entry after it: the file's entries pass {count} characters"),
                            {{L"count", std::to_wstring(budget_)}}));
    }
  }

  // A line too long for any key, passed over unread.
  void Overlong() {
    ++line_;
    if (!full_) Note(FindingKind::Skipped, platform::Tr(kOverlong));
  }

  // The entries kept and the one being read reached the budget: the rest of the file, that entry
  // included, is left out.
  bool Full() const { return full_; }

  std::vector<Rule> End() {
    Finish();
    return std::move(rules_);
  }

  const RuleFileTally& Tally() const { return tally_; }

 private:
  void AddKey(const std::wstring& key, std::wstring_view value) {
    const std::wstring kind = KindOf(key);
    const KeyKind* known = platform::FindRow(kKeyKinds, &KeyKind::kind, kind);
    if (!known)
      return Note(FindingKind::UnknownKey,
                  platform::Fill(platform::Tr(L"unknown key \"{key}\": ignored"), {{L"key", key}}));
    if (value.empty())
      return Note(FindingKind::Skipped, platform::Fill(platform::Tr(L"skipped: {key} has no value"), {{L"key", key}}));
    const size_t fileKeys = rule_.fileKeys.size(), regKeys = rule_.regKeys.size();
    if (!known->read(rule_, value)) {
      // The form is the format's own notation, the same in every language.
      Note(FindingKind::Skipped,
           platform::Fill(platform::Tr(L"skipped: {key} takes {form}"), {{L"key", key}, {L"form", known->form}}));
    } else if (rule_.fileKeys.size() > fileKeys) {
      rule_.fileKeys.back().line = line_;
      rule_.fileKeys.back().name = key;
    } else if (rule_.regKeys.size() > regKeys) {
      rule_.regKeys.back().line = line_;
      rule_.regKeys.back().name = key;
    }
  }

  void Note(FindingKind kind, std::wstring text) { NoteAt(line_, kind, std::move(text)); }
  void NoteAt(size_t line, FindingKind kind, std::wstring text) {
    if (findings_) findings_->push_back({kind, line, inEntry_ ? rule_.name : L"", std::move(text)});
  }

  void Finish() {
    if (!Full() && inEntry_) {
      if (!StorableName(rule_.name)) {
        NoteAt(rule_.line, FindingKind::Skipped,
               platform::Tr(
                   L"left out: an empty name, or one with \"=\" or that begins with \";\" or \"[\", cannot be stored"));
      } else if (rule_.fileKeys.empty() && rule_.regKeys.empty()) {
        NoteAt(rule_.line, FindingKind::Skipped,
               platform::Tr(L"left out: it erases nothing (no usable FileKey or RegKey)"));
      } else {
        if (rule_.category.empty()) rule_.category = kOtherCategory;
        spent_ += entryCost_;
        rules_.push_back(std::move(rule_));
      }
    }
    rule_ = Rule();
    inEntry_ = false;
    entryCost_ = 0;
  }

  size_t budget_;
  std::vector<Finding>* findings_;
  size_t line_ = 0;
  size_t spent_ = 0;      // by the entries kept
  size_t entryCost_ = 0;  // by the lines of the entry being read
  bool full_ = false;
  bool inEntry_ = false;
  Rule rule_;
  std::vector<Rule> rules_;
  RuleFileTally tally_;
};

// Cuts the bytes of a file, given in pieces of any size, into lines, never inside one, and decodes
// them. A line longer than any path is passed over whole, however long, without being held.
class LineSplitter {
 public:
  explicit LineSplitter(Parser& parser) : parser_(parser) {}

  void Feed(std::string_view bytes) {
    if (!started_) {
      started_ = true;
      if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
      } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        wide_ = true;
        bigEndian_ = bytes[0] == '\xFE';
        bytes.remove_prefix(2);
      }
    }
    wide_ ? FeedWide(bytes) : FeedBytes(bytes);
  }

  void End() {
    if (overlong_) {
      parser_.Overlong();
    } else if (wide_) {
      if (!wideLine_.empty()) WideLine();
    } else if (!line_.empty()) {
      ByteLine();
    }
  }

 private:
  void FeedBytes(std::string_view bytes) {
    while (!bytes.empty()) {
      size_t end = bytes.find('\n');
      std::string_view piece = bytes.substr(0, end);
      // A UTF-8 character takes at most four bytes.
      if (!overlong_ && line_.size() + piece.size() > 4 * kLineLimit) {
        overlong_ = true;
        line_.clear();
      }
      if (!overlong_) line_.append(piece);
      if (end == std::string_view::npos) return;
      overlong_ ? parser_.Overlong() : ByteLine();
      overlong_ = false;
      line_.clear();
      bytes.remove_prefix(end + 1);
    }
  }

  void FeedWide(std::string_view bytes) {
    for (char byte : bytes) {
      if (!odd_) {
        odd_ = true;
        first_ = static_cast<unsigned char>(byte);
        continue;
      }
      odd_ = false;
      const unsigned second = static_cast<unsigned char>(byte);
      const wchar_t c = static_cast<wchar_t>(bigEndian_ ? first_ << 8 | second : second << 8 | first_);
      if (c == L'\n') {
        overlong_ ? parser_.Overlong() : WideLine();
        overlong_ = false;
        wideLine_.clear();
      } else if (!overlong_ && wideLine_.size() >= kLineLimit) {
        overlong_ = true;
        wideLine_.clear();
      } else if (!overlong_) {
        wideLine_.push_back(c);
      }
    }
  }

  void ByteLine() {
    std::string_view line = line_;
    if (line.ends_with('\r')) line.remove_suffix(1);
    parser_.Line(Decode(line));
  }

  void WideLine() {
    std::wstring_view line = wideLine_;
    if (line.ends_with(L'\r')) line.remove_suffix(1);
    if (line.starts_with(L'\xFEFF')) line.remove_prefix(1);
    parser_.Line(line);
  }

  Parser& parser_;
  bool started_ = false;
  bool wide_ = false;
  bool bigEndian_ = false;
  bool overlong_ = false;  // the line being read is too long for any key: it is passed over
  std::string line_;
  std::wstring wideLine_;
  bool odd_ = false;  // a UTF-16 unit's first byte is in `first_`
  unsigned first_ = 0;
};

}  // namespace

std::optional<std::vector<Rule>> ReadRuleFile(const std::wstring& file, std::vector<Finding>* findings,
                                              RuleFileTally* tally) {
  platform::FileHandle in(CreateFileW(file.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in) return std::nullopt;
  Parser parser(kFileBudget, findings);
  LineSplitter splitter(parser);
  std::string buffer(kReadPiece, '\0');
  DWORD read = 0;
  while (!parser.Full() && ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
         read > 0) {
    splitter.Feed(std::string_view(buffer.data(), read));
  }
  splitter.End();
  std::vector<Rule> rules = parser.End();
  if (tally) *tally = parser.Tally();
  return rules;
}

std::vector<Rule> ParseRules(std::string_view bytes, size_t budget, std::vector<Finding>* findings) {
  Parser parser(budget, findings);
  LineSplitter splitter(parser);
  splitter.Feed(bytes);
  splitter.End();
  return parser.End();
}

std::wstring CommunityFile(const std::wstring& programFolder) {
  const std::wstring updated = UpdatedCommunityFile(programFolder);
  return platform::FileExists(updated) ? updated : platform::JoinPath(programFolder, kCommunityFile);
}

std::wstring UpdatedCommunityFile(const std::wstring& programFolder) {
  return platform::JoinPath(platform::SettingsFolder(programFolder), kCommunityFile);
}

std::vector<RuleFileName> RuleFiles(const std::wstring& programFolder) {
  std::vector<std::wstring> own;
  const std::wstring folder = platform::JoinPath(programFolder, kOwnFolder);
  platform::ListFolder(folder, [&](const platform::FolderEntry& entry) {
    if (!entry.IsFolder() && platform::MatchesPattern(entry.name, L"*.ini")) own.push_back(entry.name);
  });
  std::sort(own.begin(), own.end(),
            [](const std::wstring& a, const std::wstring& b) { return platform::ToLower(a) < platform::ToLower(b); });
  std::vector<RuleFileName> files{{CommunityFile(programFolder), kCommunitySection, false, kCommunityFile}};
  for (const std::wstring& name : own) {
    // A file named as a shipped one is the shipped one, whatever its letter case: an installation
    // replaces it.
    bool shipped = std::any_of(std::begin(kShippedFiles), std::end(kShippedFiles),
                               [&](const wchar_t* file) { return platform::EqualsNoCase(name, file); });
    files.push_back(
        {platform::JoinPath(folder, name), kShippedSection, !shipped, std::wstring(kOwnFolder) + L"/" + name});
  }
  return files;
}

std::vector<Rule> LoadRules(const std::wstring& programFolder) {
  std::vector<Rule> rules;
  std::set<std::wstring> ids;
  for (const RuleFileName& file : RuleFiles(programFolder)) {
    std::optional<std::vector<Rule>> read = ReadRuleFile(file.path);
    if (!read) continue;
    for (Rule& rule : *read) {
      if (!ids.insert(std::wstring(file.section) + L"/" + platform::ToLower(rule.name)).second) continue;
      rule.section = file.section;
      rule.file = file.shown;
      // A file the user fetched ticks nothing by itself.
      rule.byDefault = rule.byDefault && rule.section == kShippedSection;
      if (file.mine) rule.category = kMyRulesCategory;
      rule.shipped = rule.section == kShippedSection && !file.mine;
      rules.push_back(std::move(rule));
    }
  }
  return rules;
}

std::wstring ShownName(const Rule& rule) { return rule.shipped ? platform::Tr(rule.name.c_str()) : rule.name; }

std::wstring ShownWarning(const Rule& rule) {
  return rule.shipped && !rule.warning.empty() ? platform::Tr(rule.warning.c_str()) : rule.warning;
}

}  // namespace catalogue::rules
