// What trellwipe-cli says of the rule files it checked and of the rules it downloaded.
#include <map>

#include "catalogue/rules.h"
#include "cli/cli.h"
#include "platform/format.h"
#include "platform/translation.h"

namespace cli {

namespace {

std::wstring Entries(size_t entries) {
  return platform::FillCount(platform::TrPlural(L"{count} entry", L"{count} entries", entries), entries);
}

}  // namespace

std::wstring CheckedRulesText(const std::vector<catalogue::rules::CheckedFile>& files) {
  std::wstring text;
  std::map<catalogue::rules::FindingKind, size_t> counts;
  size_t entries = 0;
  for (const catalogue::rules::CheckedFile& file : files) {
    if (!file.readable) {
      text += platform::Fill(platform::Tr(L"{file}: cannot be read\n"), {{L"file", file.path}});
      continue;
    }
    entries += file.entries;
    const size_t found = file.findings.size();
    text += platform::Fill(platform::Tr(L"{file}: {entries}, {findings}\n"),
                           {{L"file", file.path},
                            {L"entries", Entries(file.entries)},
                            {L"findings",
                             platform::FillCount(platform::TrPlural(L"{count} finding", L"{count} findings", found),
                                                 found)}});
    for (const catalogue::rules::Finding& finding : file.findings) {
      ++counts[finding.kind];
      text += L"  " +
              platform::Fill(finding.entry.empty() ? platform::Tr(L"line {line}: {finding}")
                                                   : platform::Tr(L"line {line} [{entry}]: {finding}"),
                             {{L"line", std::to_wstring(finding.line)},
                              {L"entry", finding.entry},
                              {L"finding", finding.text}}) +
              L"\n";
    }
  }
  text += platform::Fill(platform::Tr(L"Summary: {files}, {entries}; "),
                         {{L"files",
                           platform::FillCount(platform::TrPlural(L"{count} file", L"{count} files", files.size()),
                                               files.size())},
                          {L"entries", Entries(entries)}});
  if (counts.empty()) return text + platform::Tr(L"no findings\n");
  std::wstring separator;
  for (const auto& [kind, count] : counts) {
    text += separator + catalogue::rules::FindingKindName(kind, count);
    separator = L", ";
  }
  return text + L"\n";
}

std::wstring RulesDownloadText(const std::wstring& url, const catalogue::rules::RulesDownload& download,
                               const std::wstring& programFolder) {
  if (!download.pending) {
    if (!download.problem.empty()) {
      return platform::Fill(platform::Tr(L"winapp2.ini was not downloaded from {url}: {problem}. {rules}\n"),
                            {{L"url", url},
                             {L"problem", download.problem},
                             {L"rules", catalogue::rules::RulesInPlaceText(programFolder)}});
    }
    return platform::Fill(platform::Tr(
                              L"winapp2.ini from {url} is the same as the file in place: nothing to accept.\n"),
                          {{L"url", url}});
  }
  std::wstring text = platform::Fill(
      platform::Tr(L"winapp2.ini.new downloaded from {url}: {entries}; the file in place has {old}.\n"),
      {{L"url", url}, {L"entries", Entries(download.newEntries)}, {L"old", std::to_wstring(download.oldEntries)}});
  for (const catalogue::rules::RuleChange& change : download.changes) {
    text += L"  " + std::wstring(catalogue::rules::ChangeKindName(change.kind)) + L" [" + change.name + L"]";
    for (const std::wstring& mark : catalogue::rules::ChangeMarks(change)) text += L"; " + mark;
    text += L"\n";
  }
  return text + catalogue::rules::ChangeSummary(download.changes) + L".\n";
}

}  // namespace cli
