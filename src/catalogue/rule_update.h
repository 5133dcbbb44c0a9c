#pragma once
// Updating the community's rule file ("winapp2.ini") from where its project publishes it, in two
// steps: a download that came whole and reads as a rule file waits beside the file in place, with
// the list of what it changes, and counts only once the user accepts it. The old copy is kept beside
// it, and one step puts it back.
#include <functional>
#include <string>
#include <vector>

#include "catalogue/rule_changes.h"
#include "platform/http_download.h"
#include "platform/result.h"

namespace catalogue::rules {

// Where the project publishes the raw file of its default flavour; "Winapp2Url" in section "Options"
// of "prisd.dat" names another (a mirror, a company's own copy).
constexpr wchar_t kCommunityAddress[] = L"https://raw.githubusercontent.com/MoscaDotTo/Winapp2/master/Winapp2.ini";
constexpr wchar_t kAddressSection[] = L"Options";
constexpr wchar_t kAddressKey[] = L"Winapp2Url";

// A download with fewer entries than this, or than half the entries of the file it would replace,
// is no rule file worth having: a broken page, a cut or emptied copy. So is one whose header
// declares another number of entries than it holds ("; # of entries: 4,067"): a copy cut short,
// served whole.
constexpr size_t kMinimumEntries = 50;

// The previous copy, beside UpdatedCommunityFile in the settings folder.
std::wstring BackupFile(const std::wstring& programFolder);
// The downloaded copy that waits for the user's word, beside UpdatedCommunityFile.
std::wstring PendingFile(const std::wstring& programFolder);

// The organisation's mirror where a policy names one (settings::RulesMirror), else the address of
// "Winapp2Url" in "prisd.dat", else kCommunityAddress.
std::wstring CommunityAddress(const std::wstring& programFolder);

struct RulesDownload {
  bool pending = false;  // the download waits as PendingFile for the user's word
  bool stopped = false;  // by the one who asked, in any stage; nothing was written
  std::wstring problem;  // why not
  size_t oldEntries = 0;
  size_t newEntries = 0;
  std::vector<RuleChange> changes;  // of the pending copy against the file in place
};

// The stages of an update, each told to an UpdateProgress as it goes: the bytes received of `total`
// (-1 while the server has not said); the two files read (nothing counted); the entries of the
// download compared, of `total`. False from it stops the update.
enum class UpdateStage { Downloading, Reading, Comparing };
using UpdateProgress = std::function<bool(UpdateStage stage, unsigned long long done, long long total)>;

// Downloads `url` into a new sibling of "winapp2.ini"; when the transfer succeeded and the file
// reads with at least the minimum of entries, holds as many as its header declares, if it does, and
// differs from the file in place, it becomes
// PendingFile in one rename (replacing an earlier one) and its changes are listed. Otherwise, and
// when it changes nothing, no file is left. "winapp2.ini" is never touched. Stopped in any stage,
// it leaves the settings folder as it was.
RulesDownload DownloadCommunityRules(const std::wstring& programFolder, const std::wstring& url,
                                     const platform::DownloadLimits& limits = {}, const UpdateProgress& progress = {});

// The pending copy against the file in place, as DownloadCommunityRules listed it; not `pending`, with
// why, when none waits or it no longer reads as a rule file worth having.
RulesDownload PendingRules(const std::wstring& programFolder);

struct RulesAcceptance {
  bool installed = false;
  std::wstring problem;                // why not
  std::vector<std::wstring> unticked;  // ticked entries whose new form erases more, unticked
};

// Puts the pending copy in place of "winapp2.ini": first every ticked entry whose new form erases
// more is unticked in "prisd.dat", so that the user looks at it again; then the file in place is kept
// as "winapp2.ini.bak" and the pending copy takes the place of UpdatedCommunityFile in one rename.
RulesAcceptance AcceptPendingRules(const std::wstring& programFolder);

// What an update that put nothing in place leaves, as the closing sentence of its message: the
// "winapp2.ini" in place as it was, or, when there is none, that there still is none.
std::wstring RulesInPlaceText(const std::wstring& programFolder);

// Removes the pending copy, if any: the file in place stays as it is.
void DiscardPendingRules(const std::wstring& programFolder);

// Puts "winapp2.ini.bak" back in place of "winapp2.ini" in one rename; why not when there is none or
// it cannot be moved.
platform::Result<void> UndoRulesUpdate(const std::wstring& programFolder);

}  // namespace catalogue::rules
