#pragma once
// All access to INI files: the settings file and the plug-in definitions.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace settings::inifun {

// A value is written cut to its first 128 characters and read back with at most 127.
constexpr size_t kWriteLimit = 128;
constexpr size_t kReadBuffer = 128;
constexpr size_t kSectionBuffer = 32767;

// One value stored as an IniBatch stores many: the file is replaced whole, or stays as it was.
platform::Result<void> WriteIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                                     const std::wstring& value);
// Empty text when the file, section or key is missing; blanks at both ends are trimmed.
std::wstring ReadIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key);

// The "key=value" lines of a section as the platform delivers them, numbered from 1.
class SectionLines {
 public:
  SectionLines() = default;
  explicit SectionLines(std::vector<std::wstring> lines) : lines_(std::move(lines)) {}
  size_t Count() const { return lines_.size(); }
  bool Empty() const { return lines_.empty(); }
  const std::wstring& Line(size_t number) const { return lines_.at(number - 1); }
  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }

 private:
  std::vector<std::wstring> lines_;
};

// Values for one INI file gathered in memory and stored by a single atomic replacement of the file:
// a save of many values lands whole or not at all, costs one rewrite however large the file is, and
// every line it does not change stays as it was, byte for byte. Names match as the profile functions
// match them (letter case does not count, blanks around them do not count); a new key goes after the
// last line of its section, a new section at the end of the file.
class IniBatch {
 public:
  explicit IniBatch(std::wstring file) : file_(std::move(file)) {}

  // Cut like WriteIniValue; a later value for the same section and key replaces an earlier one.
  void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
  // The file's new content; a failure when the file exists but cannot be read.
  platform::Result<std::string> Render() const;
  // A failure when the file could not be read or replaced; it is then unchanged.
  platform::Result<void> Commit() const;

 private:
  struct Change {
    std::wstring section, key, value;
  };
  std::wstring file_;
  std::vector<Change> changes_;
  std::map<std::wstring, size_t> changeOf_;  // a change's place by its section and key as matched
};

SectionLines ReadIniSection(const std::wstring& file, const std::wstring& section);

// Every key of a section of any length with its value, both trimmed, the keys in lower case; a key
// met twice keeps its first value, as ReadIniValue finds it. One read for thousands of keys.
std::map<std::wstring, std::wstring> ReadIniKeys(const std::wstring& file, const std::wstring& section);

// Major and minor version of the running Windows joined by a dot, for example "6.1".
std::wstring GetWindowsVersionText();

// The selection and options windows tick a box when its stored text reads as the number 1
// ("1", "01", "1.0"); the run switches an item on only for exactly "1".
bool FlagTest(std::wstring_view stored);
bool RunTest(std::wstring_view stored);

}  // namespace settings::inifun
