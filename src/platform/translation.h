#pragma once
// The texts a user reads, in the language chosen. English is the source: a text with no usable
// translation is shown as the code gives it, character for character. A translation is usable when
// it is confirmed (not fuzzy), not empty, and has the same placeholders ("{item}") as its English.
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/plural_forms.h"
#include "platform/po_file.h"

namespace platform {

// The placeholders of a text, "{name}" with letters, digits and "_" between the braces, sorted.
std::vector<std::wstring> Placeholders(std::wstring_view text);

// The text with each placeholder named in `values` replaced by its value; values are not read again
// for placeholders, and a placeholder not named stays as it is.
std::wstring Fill(std::wstring_view text, std::initializer_list<std::pair<std::wstring_view, std::wstring> > values);

// `text` with its "{count}" filled with n: the form TrPlural gives for a count, or Tr's text for one.
std::wstring FillCount(std::wstring_view text, size_t n);

// Why an entry's translation cannot be used under `rule`; empty when it can.
std::wstring Unusable(const PoEntry& entry, const PluralRule& rule);

// One language's usable translations.
class Catalogue {
 public:
  explicit Catalogue(const PoFile& file);
  // The translation of `english` in `context` (none: empty), or null.
  const wchar_t* Find(std::wstring_view context, std::wstring_view english) const;
  // The form of the plural entry `one`/`many` that `n` takes, or null.
  const wchar_t* FindPlural(std::wstring_view one, unsigned long n) const;

 private:
  std::unordered_map<std::wstring, std::wstring> texts_;
  // Apart from the others, so a text translated without its forms never answers for a count.
  std::unordered_map<std::wstring, std::vector<std::wstring> > plurals_;
  PluralRule rule_;
};

// The catalogue in force for every following lookup; null for English. The catalogues put in force
// live as long as the process, so a text looked up stays valid.
void UseCatalogue(const Catalogue* catalogue);

// A text to show: its translation in the language in force, else `english` itself.
const wchar_t* Tr(const wchar_t* english);
// The same for a short text whose translation depends on where it stands ("Clean" as a button).
const wchar_t* TrIn(const wchar_t* context, const wchar_t* english);
// The text for a count: English's `one` for 1 and `many` otherwise, or the translation's form for n.
const wchar_t* TrPlural(const wchar_t* one, const wchar_t* many, unsigned long n);
// Marks a text in a table for the catalogue; the code that shows the table's texts looks it up.
constexpr const wchar_t* TrLater(const wchar_t* english) { return english; }

}  // namespace platform
