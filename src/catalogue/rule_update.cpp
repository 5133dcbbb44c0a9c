#include "catalogue/rule_update.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "catalogue/rule_file.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"

namespace rules {

namespace {

// The names of a rule file's entries in lower case; nothing when it cannot be read.
std::optional<std::set<std::wstring>> EntryNames(const std::wstring& file) {
  std::optional<std::vector<Rule>> read = ReadRuleFile(file);
  if (!read) return std::nullopt;
  std::set<std::wstring> names;
  for (const Rule& rule : *read) names.insert(platform::ToLower(rule.name));
  return names;
}

size_t CountMissing(const std::set<std::wstring>& from, const std::set<std::wstring>& in) {
  return std::count_if(from.begin(), from.end(), [&](const std::wstring& name) { return !in.count(name); });
}

}  // namespace

std::wstring BackupFile(const std::wstring& programFolder) { return CommunityFile(programFolder) + L".bak"; }

std::wstring CommunityAddress(const std::wstring& programFolder) {
  std::map<std::wstring, std::wstring> options =
      inifun::ReadIniKeys(settings::SettingsFile(programFolder), kAddressSection);
  auto address = options.find(platform::ToLower(kAddressKey));
  return address == options.end() || address->second.empty() ? kCommunityAddress : address->second;
}

RulesUpdate UpdateCommunityRules(const std::wstring& programFolder, const std::wstring& url,
                                 const platform::DownloadLimits& limits) {
  RulesUpdate update;
  const std::wstring target = CommunityFile(programFolder);
  const bool hadFile = platform::FileExists(target);
  const std::set<std::wstring> old = hadFile ? EntryNames(target).value_or(std::set<std::wstring>{}) : std::set<std::wstring>{};
  update.oldEntries = old.size();

  platform::DownloadResult download;
  platform::PendingReplacement pending(target, [&](HANDLE out) {
    download = platform::DownloadTo(url, out, limits);
    return download.outcome == platform::DownloadOutcome::Done;
  });
  if (!pending.Ready()) {
    update.problem = download.outcome == platform::DownloadOutcome::Done || pending.Written().empty()
                         ? L"winapp2.ini cannot be written in the program folder"
                         : L"the download failed: " + platform::DownloadProblem(download);
    return update;
  }
  const std::set<std::wstring> fresh = EntryNames(pending.Written()).value_or(std::set<std::wstring>{});
  update.newEntries = fresh.size();
  const size_t needed = std::max(kMinimumEntries, (old.size() + 1) / 2);
  if (fresh.size() < needed) {
    update.problem = L"the download reads as a rule file of " + std::to_wstring(fresh.size()) +
                     L" entries; at least " + std::to_wstring(needed) + L" are needed";
    return update;
  }
  if (hadFile && !platform::CopyFileAtomically(target, BackupFile(programFolder))) {
    update.problem = L"the previous copy cannot be kept as winapp2.ini.bak";
    return update;
  }
  if (!pending.Commit()) {
    update.problem = L"winapp2.ini cannot be replaced (error " + std::to_wstring(GetLastError()) + L")";
    return update;
  }
  update.replaced = true;
  update.added = CountMissing(fresh, old);
  update.removed = CountMissing(old, fresh);
  return update;
}

bool UndoRulesUpdate(const std::wstring& programFolder, std::wstring& problem) {
  const std::wstring backup = BackupFile(programFolder);
  if (!platform::FileExists(backup)) {
    problem = L"there is no winapp2.ini.bak to restore";
    return false;
  }
  if (!MoveFileExW(backup.c_str(), CommunityFile(programFolder).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    problem = L"winapp2.ini.bak cannot be moved into place (error " + std::to_wstring(GetLastError()) + L")";
    return false;
  }
  return true;
}

}  // namespace rules
