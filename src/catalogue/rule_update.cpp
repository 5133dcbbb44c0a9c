#include "catalogue/rule_update.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>

#include "catalogue/rule_file.h"
#include "catalogue/rules.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"
#include "settings/inifun.h"
#include "settings/item_flags.h"
#include "settings/policies.h"

namespace catalogue::rules {

namespace {

std::vector<Rule> Installed(const std::wstring& programFolder) {
  return ReadRuleFile(CommunityFile(programFolder)).value_or(std::vector<Rule>{});
}

bool Going(const UpdateProgress& progress, UpdateStage stage, unsigned long long done, long long total) {
  return !progress || progress(stage, done, total);
}

RulesDownload Stopped() {
  RulesDownload download;
  download.stopped = true;
  download.problem = L"the update was stopped";
  return download;
}

// The copy at `file` against the file in place; not `pending`, with why, when it reads as no rule
// file worth having.
RulesDownload Compare(const std::wstring& programFolder, const std::wstring& file, const UpdateProgress& progress) {
  RulesDownload download;
  if (!Going(progress, UpdateStage::Reading, 0, -1)) return Stopped();
  const std::vector<Rule> old = Installed(programFolder);
  RuleFileTally tally;
  const std::vector<Rule> fresh = ReadRuleFile(file, nullptr, &tally).value_or(std::vector<Rule>{});
  download.oldEntries = old.size();
  download.newEntries = fresh.size();
  if (tally.declared && *tally.declared != tally.named) {
    download.problem = L"the download is incomplete: its header declares " + std::to_wstring(*tally.declared) +
                       L" entries, but it holds " + std::to_wstring(tally.named);
    return download;
  }
  const size_t needed = std::max(kMinimumEntries, (old.size() + 1) / 2);
  if (fresh.size() < needed) {
    download.problem = L"the download reads as a rule file of " + std::to_wstring(fresh.size()) +
                       L" entries; at least " + std::to_wstring(needed) + L" are needed";
    return download;
  }
  std::optional<std::vector<RuleChange>> changes =
      CompareRules(old, fresh, programFolder, [&](size_t compared, size_t entries) {
        return Going(progress, UpdateStage::Comparing, compared, static_cast<long long>(entries));
      });
  if (!changes) return Stopped();
  download.changes = std::move(*changes);
  download.pending = true;
  return download;
}

}  // namespace

std::wstring BackupFile(const std::wstring& programFolder) { return UpdatedCommunityFile(programFolder) + L".bak"; }
std::wstring PendingFile(const std::wstring& programFolder) { return UpdatedCommunityFile(programFolder) + L".new"; }

std::wstring RulesInPlaceText(const std::wstring& programFolder) {
  return platform::FileExists(CommunityFile(programFolder))
             ? platform::Tr(L"The winapp2.ini in place is unchanged.")
             : platform::Tr(L"There is no winapp2.ini, and none was put in place.");
}

std::wstring CommunityAddress(const std::wstring& programFolder) {
  if (std::optional<std::wstring> mirror = settings::RulesMirror(settings::PoliciesInForce())) return *mirror;
  std::map<std::wstring, std::wstring> options =
      settings::inifun::ReadIniKeys(settings::SettingsFile(programFolder), kAddressSection);
  auto address = options.find(platform::ToLower(kAddressKey));
  return address == options.end() || address->second.empty() ? kCommunityAddress : address->second;
}

RulesDownload DownloadCommunityRules(const std::wstring& programFolder, const std::wstring& url,
                                     const platform::DownloadLimits& limits, const UpdateProgress& progress) {
  std::optional<platform::DownloadResult> result;  // none: the new sibling was never made
  platform::Result<platform::PendingReplacement> written =
      platform::PendingReplacement::Write(PendingFile(programFolder), [&](HANDLE out) {
        result = platform::DownloadTo(url, out, limits, [&](unsigned long long received, long long total) {
          return Going(progress, UpdateStage::Downloading, received, total);
        });
        return result->outcome == platform::DownloadOutcome::Done;
      });
  if (!written) {
    RulesDownload failed;
    failed.stopped = result && result->outcome == platform::DownloadOutcome::Stopped;
    failed.problem = !result || result->outcome == platform::DownloadOutcome::Done
                         ? L"winapp2.ini.new cannot be written in the settings folder"
                         : L"the download failed: " + platform::DownloadProblem(*result);
    return failed;
  }
  RulesDownload download = Compare(programFolder, written->Written(), progress);
  if (download.stopped) return download;  // an earlier download that waits stays as it was
  if (!download.pending || download.changes.empty()) {
    download.pending = false;
    DiscardPendingRules(programFolder);  // an earlier download the file in place already matches
    return download;
  }
  if (platform::Result<void> committed = written->Commit(); !committed) {
    download.pending = false;
    download.problem = L"winapp2.ini.new cannot be written (" + committed.Reason() + L")";
  }
  return download;
}

RulesDownload PendingRules(const std::wstring& programFolder) {
  const std::wstring pending = PendingFile(programFolder);
  if (!platform::FileExists(pending)) {
    RulesDownload none;
    none.problem = L"no downloaded winapp2.ini.new waits (trellwipe-cli --update-rules downloads one)";
    return none;
  }
  return Compare(programFolder, pending, {});
}

RulesAcceptance AcceptPendingRules(const std::wstring& programFolder) {
  RulesAcceptance acceptance;
  RulesDownload pending = PendingRules(programFolder);
  if (!pending.pending) {
    acceptance.problem = pending.problem;
    return acceptance;
  }
  std::vector<std::wstring> erasingMore;
  for (const RuleChange& change : pending.changes) {
    if (change.erasesMore) erasingMore.push_back(change.name);
  }
  settings::inifun::IniBatch batch(settings::SettingsFile(programFolder));
  acceptance.unticked = UntickCommunityEntries(batch, erasingMore, programFolder);
  if (!acceptance.unticked.empty() && !batch.Commit()) {
    acceptance.unticked.clear();
    acceptance.problem = L"the ticks of the entries that erase more cannot be cleared in prisd.dat";
    return acceptance;
  }
  // The copy in use is kept, wherever it is; the new one goes where the user can write.
  const std::wstring inUse = CommunityFile(programFolder), target = UpdatedCommunityFile(programFolder);
  if (platform::FileExists(inUse) && !platform::CopyFileAtomically(inUse, BackupFile(programFolder))) {
    acceptance.problem = L"the previous copy cannot be kept as winapp2.ini.bak";
    return acceptance;
  }
  if (!MoveFileExW(PendingFile(programFolder).c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    acceptance.problem = L"winapp2.ini cannot be replaced (" + platform::SystemFailure(GetLastError()).reason + L")";
    return acceptance;
  }
  acceptance.installed = true;
  return acceptance;
}

void DiscardPendingRules(const std::wstring& programFolder) { DeleteFileW(PendingFile(programFolder).c_str()); }

platform::Result<void> UndoRulesUpdate(const std::wstring& programFolder) {
  const std::wstring backup = BackupFile(programFolder);
  if (!platform::FileExists(backup)) return platform::Failure{L"there is no winapp2.ini.bak to restore"};
  if (!MoveFileExW(backup.c_str(), UpdatedCommunityFile(programFolder).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return platform::Failure{L"winapp2.ini.bak cannot be moved into place (" +
                             platform::SystemFailure(GetLastError()).reason + L")"};
  }
  return {};
}

}  // namespace catalogue::rules
