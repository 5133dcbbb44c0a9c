#pragma once
// A translator's file: gettext PO, UTF-8, read as hostile input. An entry that cannot be read is
// left out and named; a file that is not UTF-8 text, or too large for a catalogue, is refused.
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace platform {

struct PoEntry {
  std::wstring context;               // msgctxt, for a short text whose meaning its place decides
  std::wstring id;                    // msgid: the English text
  std::wstring idPlural;              // msgid_plural: the English text for other counts
  std::vector<std::wstring> strings;  // msgstr, or msgstr[0], msgstr[1] ... in order
  bool fuzzy = false;                 // "#, fuzzy": a guess the translator has not confirmed
  int line = 0;                       // of its msgid, for the check's messages
};

struct PoFile {
  std::vector<PoEntry> entries;  // the header aside
  std::string pluralForms;       // the header's "Plural-Forms:" value
  std::wstring glossary;         // the header's "X-Trellwipe-Glossary:" value: "item=Element; rule=Regel"
  std::vector<int> brokenLines;  // where an entry that was left out starts
};

// Larger than any catalogue of this program by far.
constexpr size_t kPoFileLimit = 4 * 1024 * 1024;

Result<PoFile> ReadPo(std::string_view bytes);
// The file read whole; a failure for one that cannot be read, is over kPoFileLimit, or ReadPo refuses.
Result<PoFile> ReadPoFile(const std::wstring& file);

}  // namespace platform
