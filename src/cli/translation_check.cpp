// --check-translation: what a translator's PO file lacks, what the program cannot use of it, and the
// program's own terms translated otherwise than the file's glossary says.
#include <algorithm>
#include <cwctype>
#include <map>
#include <optional>

#include "cli/cli.h"
#include "platform/files.h"
#include "platform/format.h"
#include "platform/languages.h"
#include "platform/po_file.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace cli {

namespace {

// The program's terms, which every window must call the same; each language's file names its own
// words for them in its header's glossary.
constexpr const wchar_t* kGlossaryTerms[] = {L"item", L"cleaning", L"keep list", L"rule", L"preview"};
constexpr wchar_t kTemplateName[] = L"trellwipe.pot";

// The text in small letters without its mnemonic marks, as a term is looked for in it.
std::wstring Plain(std::wstring_view text) {
  std::wstring plain;
  for (wchar_t c : text) {
    if (c != L'&') plain += c;
  }
  return platform::ToLower(plain);
}

// Whether `term` (small letters) starts a word of `text` (Plain).
bool HasTerm(const std::wstring& text, const std::wstring& term) {
  for (size_t at = text.find(term); at != std::wstring::npos; at = text.find(term, at + 1)) {
    if (at == 0 || !std::iswalpha(text[at - 1])) return true;
  }
  return false;
}

// "item=Element; rule=Regel" as term -> word, both in small letters.
std::map<std::wstring, std::wstring> Glossary(const std::wstring& header) {
  std::map<std::wstring, std::wstring> words;
  for (size_t start = 0; start < header.size();) {
    size_t end = std::min(header.find(L';', start), header.size());
    std::wstring pair = header.substr(start, end - start);
    size_t equals = pair.find(L'=');
    if (equals != std::wstring::npos) {
      words[Plain(platform::Trim(pair.substr(0, equals)))] = Plain(platform::Trim(pair.substr(equals + 1)));
    }
    start = end + 1;
  }
  return words;
}

std::wstring Key(const platform::PoEntry& entry) { return entry.context + L"\x04" + entry.id; }

// The template that goes with the file: beside it, else in the program folder's language folder.
std::optional<platform::PoFile> FindTemplate(const std::wstring& file, const std::wstring& programFolder) {
  const size_t slash = file.find_last_of(L"\\/");
  const std::wstring beside = slash == std::wstring::npos ? kTemplateName : file.substr(0, slash + 1) + kTemplateName;
  for (const std::wstring& path :
       {beside, platform::JoinPath(platform::JoinPath(programFolder, platform::kLanguageFolder), kTemplateName)}) {
    if (!platform::FileExists(path)) continue;
    if (platform::Result<platform::PoFile> read = platform::ReadPoFile(path)) return std::move(*read);
  }
  return std::nullopt;
}

// A text as its PO file writes it, so a text of several lines stays one finding of one line.
std::wstring AsWritten(const std::wstring& text) {
  std::wstring written;
  for (wchar_t c : text) {
    if (c == L'\n')
      written += L"\\n";
    else if (c == L'\t')
      written += L"\\t";
    else if (c == L'\r')
      written += L"\\r";
    else if (c == L'"' || c == L'\\')
      written += {L'\\', c};
    else
      written += c;
  }
  return written;
}

std::wstring Line(int line, const std::wstring& id, const std::wstring& text) {
  return L"  " +
         platform::Fill(platform::Tr(L"line {line} \"{text}\": {finding}"),
                        {{L"line", std::to_wstring(line)}, {L"text", AsWritten(id)}, {L"finding", text}}) +
         L"\n";
}

// The glossary's findings of one usable entry.
std::wstring TermFindings(const platform::PoEntry& entry, const std::map<std::wstring, std::wstring>& glossary) {
  std::wstring found;
  const std::wstring english = Plain(entry.id), translated = Plain(entry.strings[0]);
  for (const auto& [term, word] : glossary) {
    if (!word.empty() && HasTerm(english, term) && translated.find(word) == std::wstring::npos) {
      found += Line(entry.line, entry.id,
                    platform::Fill(platform::Tr(L"\"{term}\" is not translated as the glossary's \"{word}\""),
                                   {{L"term", term}, {L"word", word}}));
    }
  }
  return found;
}

}  // namespace

TranslationCheck CheckTranslation(const std::wstring& file, const std::wstring& programFolder) {
  platform::Result<platform::PoFile> po = platform::ReadPoFile(file);
  if (!po) return {kExitTranslationUnreadable, L"", file + L": " + po.Reason() + L"\n"};
  std::wstring findings;
  for (int line : po->brokenLines) {
    findings += L"  " + platform::Fill(platform::Tr(L"line {line}: cannot be read, left out\n"),
                                       {{L"line", std::to_wstring(line)}});
  }
  std::optional<platform::PluralRule> rule = platform::PluralRule::Read(po->pluralForms);
  if (!rule) findings += platform::Tr(L"  header: no Plural-Forms the program can read\n");
  const auto glossary = Glossary(po->glossary);
  for (const wchar_t* term : kGlossaryTerms) {
    if (!glossary.contains(term))
      findings +=
          platform::Fill(platform::Tr(L"  header: the glossary gives no word for \"{term}\"\n"), {{L"term", term}});
  }
  const std::optional<platform::PoFile> pot = FindTemplate(file, programFolder);
  std::map<std::wstring, const platform::PoEntry*> known;
  if (pot) {
    for (const platform::PoEntry& entry : pot->entries) known[Key(entry)] = &entry;
  }
  size_t usable = 0;
  const platform::PluralRule english = platform::PluralRule::English();
  for (const platform::PoEntry& entry : po->entries) {
    if (pot && !known.erase(Key(entry))) {
      findings += Line(entry.line, entry.id, platform::Tr(L"no text of the program is this"));
      continue;
    }
    std::wstring why = platform::Unusable(entry, rule ? *rule : english);
    if (!why.empty()) {
      findings += Line(entry.line, entry.id, why);
      continue;
    }
    ++usable;
    findings += TermFindings(entry, glossary);
  }
  for (const auto& [key, entry] : known) {
    findings += L"  \"" + AsWritten(entry->id) + L"\": " +
                platform::Fill(platform::Tr(L"missing from the file (line {line} of {template})\n"),
                               {{L"line", std::to_wstring(entry->line)}, {L"template", kTemplateName}});
  }
  const size_t total = pot ? pot->entries.size() : po->entries.size();
  std::wstring said = file + L": " +
                      platform::Fill(platform::TrPlural(L"{count} entry of {total} translated ({percent} %)",
                                                        L"{count} entries of {total} translated ({percent} %)", usable),
                                     {{L"count", std::to_wstring(usable)},
                                      {L"total", std::to_wstring(total)},
                                      {L"percent", std::to_wstring(total == 0 ? 100 : usable * 100 / total)}}) +
                      (pot ? L"" : platform::Tr(L"; no trellwipe.pot found, so what the file lacks is not counted")) +
                      L"\n";
  return {findings.empty() ? kExitTranslationClean : kExitTranslationFindings, said + findings, L""};
}

}  // namespace cli
