#include "platform/translation.h"

#include <algorithm>
#include <atomic>
#include <cwctype>

namespace platform {

namespace {

// gettext's separator between a context and its text in a lookup key.
constexpr wchar_t kContextEnd = L'\x04';

std::wstring Key(std::wstring_view context, std::wstring_view english) {
  return context.empty() ? std::wstring(english) : std::wstring(context) + kContextEnd + std::wstring(english);
}

bool IsNameCharacter(wchar_t c) { return (c < 128 && std::iswalnum(c)) || c == L'_'; }

// The length of the placeholder at `at` ("{name}"), 0 when none starts there.
size_t PlaceholderAt(std::wstring_view text, size_t at) {
  if (text[at] != L'{') return 0;
  size_t end = at + 1;
  while (end < text.size() && IsNameCharacter(text[end])) ++end;
  return end > at + 1 && end < text.size() && text[end] == L'}' ? end + 1 - at : 0;
}

std::atomic<const Catalogue*> inForce{nullptr};

}  // namespace

std::vector<std::wstring> Placeholders(std::wstring_view text) {
  std::vector<std::wstring> found;
  for (size_t at = 0; at < text.size(); ++at) {
    if (size_t length = PlaceholderAt(text, at)) {
      found.emplace_back(text.substr(at, length));
      at += length - 1;
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::wstring Fill(std::wstring_view text, std::initializer_list<std::pair<std::wstring_view, std::wstring> > values) {
  std::wstring filled;
  for (size_t at = 0; at < text.size(); ++at) {
    size_t length = PlaceholderAt(text, at);
    auto value = std::find_if(values.begin(), values.end(), [&](const auto& pair) {
      return length > 0 && text.substr(at + 1, length - 2) == pair.first;
    });
    if (value == values.end()) {
      filled += text[at];
      continue;
    }
    filled += value->second;
    at += length - 1;
  }
  return filled;
}

std::wstring FillCount(std::wstring_view text, size_t n) { return Fill(text, {{L"count", std::to_wstring(n)}}); }

std::wstring Unusable(const PoEntry& entry, const PluralRule& rule) {
  if (entry.fuzzy) return Tr(L"marked fuzzy");
  for (const std::wstring& text : entry.strings) {
    if (text.empty()) return Tr(L"not translated");
  }
  if (entry.idPlural.empty()) {
    return Placeholders(entry.strings[0]) == Placeholders(entry.id) ? L"" : Tr(L"its placeholders differ");
  }
  if (entry.strings.size() != static_cast<size_t>(rule.Forms())) return Tr(L"its number of plural forms differs");
  // A form may leave the count out, as English's "one file" does; the last form, which most counts
  // take, has every placeholder.
  const std::vector<std::wstring> english = Placeholders(entry.idPlural);
  for (const std::wstring& text : entry.strings) {
    const std::vector<std::wstring> placeholders = Placeholders(text);
    const bool last = &text == &entry.strings.back();
    if (last ? placeholders != english
             : !std::includes(english.begin(), english.end(), placeholders.begin(), placeholders.end())) {
      return Tr(L"its placeholders differ");
    }
  }
  return L"";
}

Catalogue::Catalogue(const PoFile& file) : rule_(PluralRule::English()) {
  std::optional<PluralRule> rule = PluralRule::Read(file.pluralForms);
  // Without a rule the plural entries cannot be told apart; the others still serve.
  const bool plurals = rule.has_value();
  if (rule) rule_ = std::move(*rule);
  for (const PoEntry& entry : file.entries) {
    if ((!entry.idPlural.empty() && !plurals) || !Unusable(entry, rule_).empty()) continue;
    if (entry.idPlural.empty()) {
      texts_.emplace(Key(entry.context, entry.id), entry.strings[0]);
    } else {
      plurals_.emplace(Key(entry.context, entry.id), entry.strings);
    }
  }
}

const wchar_t* Catalogue::Find(std::wstring_view context, std::wstring_view english) const {
  auto found = texts_.find(Key(context, english));
  return found == texts_.end() ? nullptr : found->second.c_str();
}

const wchar_t* Catalogue::FindPlural(std::wstring_view one, unsigned long n) const {
  auto found = plurals_.find(Key({}, one));
  if (found == plurals_.end()) return nullptr;
  // The rule's forms are the entry's: a form the rule names is one the entry has.
  std::optional<int> form = rule_.FormOf(n);
  return form ? found->second[static_cast<size_t>(*form)].c_str() : nullptr;
}

void UseCatalogue(const Catalogue* catalogue) { inForce = catalogue; }

const wchar_t* Tr(const wchar_t* english) { return TrIn(L"", english); }

const wchar_t* TrIn(const wchar_t* context, const wchar_t* english) {
  const Catalogue* catalogue = inForce;
  const wchar_t* found = catalogue && english ? catalogue->Find(context, english) : nullptr;
  return found ? found : english;
}

const wchar_t* TrPlural(const wchar_t* one, const wchar_t* many, unsigned long n) {
  const Catalogue* catalogue = inForce;
  const wchar_t* found = catalogue ? catalogue->FindPlural(one, n) : nullptr;
  return found ? found : n == 1 ? one : many;
}

}  // namespace platform
