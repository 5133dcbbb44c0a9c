// What trellwipe-cli says of the rule files it checked and of the rules it downloaded.
#include <map>

#include "catalogue/rules.h"
#include "cli/cli.h"
#include "platform/format.h"

namespace cli {

std::wstring CheckedRulesText(const std::vector<catalogue::rules::CheckedFile>& files) {
  std::wstring text;
  std::map<catalogue::rules::FindingKind, size_t> counts;
  size_t entries = 0;
  for (const catalogue::rules::CheckedFile& file : files) {
    if (!file.readable) {
      text += file.path + L": cannot be read\n";
      continue;
    }
    entries += file.entries;
    text += file.path + L": " + platform::Counted(file.entries, L"entry", L"entries") + L", " +
            platform::Counted(file.findings.size(), L"finding", L"findings") + L"\n";
    for (const catalogue::rules::Finding& finding : file.findings) {
      ++counts[finding.kind];
      text += L"  line " + std::to_wstring(finding.line) +
              (finding.entry.empty() ? L"" : L" [" + finding.entry + L"]") + L": " + finding.text + L"\n";
    }
  }
  text += L"Summary: " + platform::Counted(files.size(), L"file", L"files") + L", " +
          platform::Counted(entries, L"entry", L"entries") + L"; ";
  if (counts.empty()) return text + L"no findings\n";
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
      return L"winapp2.ini was not downloaded from " + url + L": " + download.problem + L". " +
             catalogue::rules::RulesInPlaceText(programFolder) + L"\n";
    }
    return L"winapp2.ini from " + url + L" is the same as the file in place: nothing to accept.\n";
  }
  std::wstring text = L"winapp2.ini.new downloaded from " + url + L": " +
                      platform::Counted(download.newEntries, L"entry", L"entries") + L"; the file in place has " +
                      std::to_wstring(download.oldEntries) + L".\n";
  for (const catalogue::rules::RuleChange& change : download.changes) {
    text += L"  " + std::wstring(catalogue::rules::ChangeKindName(change.kind)) + L" [" + change.name + L"]";
    for (const std::wstring& mark : catalogue::rules::ChangeMarks(change)) text += L"; " + mark;
    text += L"\n";
  }
  return text + catalogue::rules::ChangeSummary(download.changes) + L".\n";
}

}  // namespace cli
