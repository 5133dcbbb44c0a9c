#include "settings/inifun.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <map>
#include <type_traits>

#include "platform/format.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"

namespace settings::inifun {

namespace {

// A section read whole is read up to this many characters.
constexpr size_t kKeysLimit = 64 * 1024 * 1024;

// A file that begins with this mark is one of the profile functions' Unicode files.
constexpr char kUtf16Mark[] = "\xFF\xFE";

std::wstring AsWide(const std::string& text) { return platform::Widen(text); }
const std::wstring& AsWide(const std::wstring& text) { return text; }

template <class Text>
Text FromWide(const std::wstring& text) {
  if constexpr (std::is_same_v<Text, std::wstring>) {
    return text;
  } else {
    return platform::Narrow(text);
  }
}

template <class Text>
Text Trimmed(const Text& text) {
  using Char = typename Text::value_type;
  const Char blanks[] = {Char(' '), Char('\t'), Char('\r'), Char(0)};
  size_t first = text.find_first_not_of(blanks);
  if (first == Text::npos) return Text();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

template <class Text>
struct Line {
  Text raw;               // as stored, its line end included
  bool header = false;    // "[section]"
  std::wstring name;      // the section's or the key's name in lower case; empty for other lines
  size_t valueStart = 0;  // keys: where the value begins, after the "="
};

template <class Text>
std::vector<Line<Text>> SplitLines(const Text& text) {
  using Char = typename Text::value_type;
  std::vector<Line<Text>> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(Char('\n'), start);
    end = end == Text::npos ? text.size() : end + 1;
    Line<Text> line;
    line.raw = text.substr(start, end - start);
    Text content = Trimmed(line.raw.substr(0, line.raw.find(Char('\n'))));
    if (!content.empty() && content[0] == Char('[')) {
      line.header = true;
      line.name = platform::ToLower(platform::Trim(AsWide(content.substr(1, content.find(Char(']')) - 1))));
    } else if (size_t equals = line.raw.find(Char('=')); equals != Text::npos && !content.empty()) {
      line.name = platform::ToLower(platform::Trim(AsWide(Trimmed(line.raw.substr(0, equals)))));
      line.valueStart = equals + 1;
    }
    lines.push_back(std::move(line));
    start = end;
  }
  return lines;
}

template <class Text>
void EndLine(Text& text) {
  using Char = typename Text::value_type;
  if (!text.empty() && text.back() != Char('\n')) text += FromWide<Text>(L"\r\n");
}

template <class Text>
Text ApplyChanges(const Text& text, const std::vector<std::array<std::wstring, 3>>& changes) {
  std::vector<Line<Text>> lines = SplitLines(text);
  // The first block of each section, and the last line in it that is not blank.
  std::map<std::wstring, size_t> firstHeader;
  std::map<size_t, size_t> lastContent;
  std::map<std::pair<size_t, std::wstring>, size_t> firstKey;
  size_t block = SIZE_MAX;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].header) {
      block = firstHeader.emplace(lines[i].name, i).second ? i : SIZE_MAX;
      if (block != SIZE_MAX) lastContent[block] = i;
      continue;
    }
    if (block == SIZE_MAX) continue;
    if (lines[i].raw.find_first_not_of(FromWide<Text>(L" \t\r\n")) != Text::npos) lastContent[block] = i;
    if (!lines[i].name.empty()) firstKey.emplace(std::make_pair(block, lines[i].name), i);
  }
  std::map<size_t, Text> addedToSection;
  std::vector<std::wstring> newSectionOrder;
  std::map<std::wstring, Text> newSections;
  for (const auto& [section, key, value] : changes) {
    std::wstring sectionName = platform::ToLower(platform::Trim(section));
    Text entry = FromWide<Text>(key + L"=" + value + L"\r\n");
    auto header = firstHeader.find(sectionName);
    if (header == firstHeader.end()) {
      if (newSections.emplace(sectionName, FromWide<Text>(L"[" + section + L"]\r\n")).second) {
        newSectionOrder.push_back(sectionName);
      }
      newSections[sectionName] += entry;
      continue;
    }
    auto existing = firstKey.find({header->second, platform::ToLower(platform::Trim(key))});
    if (existing == firstKey.end()) {
      addedToSection[lastContent[header->second]] += entry;
      continue;
    }
    Line<Text>& line = lines[existing->second];
    Text ending = line.raw.substr(line.raw.find_last_not_of(FromWide<Text>(L"\r\n")) + 1);
    line.raw = line.raw.substr(0, line.valueStart) + FromWide<Text>(value) + ending;
  }
  Text result;
  for (size_t i = 0; i < lines.size(); ++i) {
    result += lines[i].raw;
    if (auto added = addedToSection.find(i); added != addedToSection.end()) {
      EndLine(result);
      result += added->second;
    }
  }
  for (const std::wstring& name : newSectionOrder) {
    EndLine(result);
    result += newSections[name];
  }
  return result;
}

}  // namespace

platform::Result<void> WriteIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                                     const std::wstring& value) {
  IniBatch batch(file);
  batch.Set(section, key, value);
  return batch.Commit();
}

std::wstring ReadIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
  wchar_t buffer[kReadBuffer] = {};
  GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, kReadBuffer, file.c_str());
  return platform::Trim(buffer);
}

SectionLines ReadIniSection(const std::wstring& file, const std::wstring& section) {
  std::wstring buffer(kSectionBuffer, L'\0');
  DWORD length = GetPrivateProfileSectionW(section.c_str(), buffer.data(), kSectionBuffer, file.c_str());
  buffer.resize(length < kSectionBuffer ? length : kSectionBuffer);
  std::vector<std::wstring> lines;
  size_t p = 0;
  while (p < buffer.size()) {
    size_t nul = buffer.find(L'\0', p);
    if (nul == std::wstring::npos) nul = buffer.size();
    if (nul == p) break;
    lines.push_back(buffer.substr(p, nul - p));
    p = nul + 1;
  }
  return SectionLines(std::move(lines));
}

std::map<std::wstring, std::wstring> ReadIniKeys(const std::wstring& file, const std::wstring& section) {
  // The section's lines, each ended by a NUL; the call fills the buffer but two when it is too small.
  std::wstring buffer(kSectionBuffer, L'\0');
  DWORD length = 0;
  for (;;) {
    length = GetPrivateProfileSectionW(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    if (length + 2 < buffer.size() || buffer.size() >= kKeysLimit) break;
    buffer.assign(buffer.size() * 4, L'\0');
  }
  std::map<std::wstring, std::wstring> keys;
  for (size_t at = 0; at < length;) {
    size_t end = buffer.find(L'\0', at);
    if (end == std::wstring::npos || end == at) break;
    std::wstring_view line(buffer.data() + at, end - at);
    size_t equals = line.find(L'=');
    if (equals != std::wstring_view::npos) {
      keys.emplace(platform::ToLower(platform::Trim(line.substr(0, equals))), platform::Trim(line.substr(equals + 1)));
    }
    at = end + 1;
  }
  return keys;
}

void IniBatch::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  std::wstring stored = value.substr(0, kWriteLimit);
  const std::wstring name = platform::ToLower(platform::Trim(section)) + L'\n' + platform::ToLower(platform::Trim(key));
  auto [at, added] = changeOf_.emplace(name, changes_.size());
  if (added) {
    changes_.push_back({section, key, stored});
  } else {
    changes_[at->second].value = stored;
  }
}

platform::Result<std::string> IniBatch::Render() const {
  std::string bytes;
  if (GetFileAttributesW(file_.c_str()) != INVALID_FILE_ATTRIBUTES) {
    // A file that exists but cannot be read must not be replaced by one that holds only this save.
    std::optional<std::string> old = platform::ReadFileBytes(file_);
    if (!old) return platform::Failure{platform::Fill(platform::Tr(L"{file} cannot be read"), {{L"file", file_}})};
    bytes = std::move(*old);
  } else if (DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    return platform::Failure{platform::Fill(platform::Tr(L"{file} cannot be read ({reason})"),
                                            {{L"file", file_}, {L"reason", platform::SystemFailure(error).reason}}),
                             error};
  }
  std::vector<std::array<std::wstring, 3>> changes;
  for (const Change& change : changes_) changes.push_back({change.section, change.key, change.value});
  if (!bytes.starts_with(std::string_view(kUtf16Mark, 2))) return ApplyChanges(bytes, changes);
  std::wstring text((bytes.size() - 2) / sizeof(wchar_t), L'\0');
  memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
  text = ApplyChanges(text, changes);
  std::string stored(kUtf16Mark, 2);
  stored.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return stored;
}

platform::Result<void> IniBatch::Commit() const {
  platform::Result<std::string> content = Render();
  if (!content) return platform::Failure{content.Reason()};
  return platform::ReplaceFileAtomically(file_, *content);
}

std::wstring GetWindowsVersionText() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&info);
#pragma GCC diagnostic pop
  return std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion);
}

bool FlagTest(std::wstring_view stored) {
  auto number = platform::ParseNumber(stored);
  return number && *number == 1;
}

bool RunTest(std::wstring_view stored) { return stored == L"1"; }

}  // namespace settings::inifun
