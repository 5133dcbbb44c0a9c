#pragma once
// Updating the community's rule file ("winapp2.ini") from where its project publishes it: the new
// copy replaces the old one only when it came whole and reads as a rule file, the old one is kept
// beside it, and one step puts it back.
#include <string>

#include "platform/http_download.h"

namespace rules {

// Where the project publishes the raw file of its default flavour; "Winapp2Url" in section "Options"
// of "prisd.dat" names another (a mirror, a company's own copy).
constexpr wchar_t kCommunityAddress[] = L"https://raw.githubusercontent.com/MoscaDotTo/Winapp2/master/Winapp2.ini";
constexpr wchar_t kAddressSection[] = L"Options";
constexpr wchar_t kAddressKey[] = L"Winapp2Url";

// A download with fewer entries than this, or than half the entries of the file it would replace,
// is no rule file worth having: a broken page, a cut or emptied copy.
constexpr size_t kMinimumEntries = 50;

// The previous copy, beside "winapp2.ini".
std::wstring BackupFile(const std::wstring& programFolder);

// The address of "Winapp2Url" in "prisd.dat", else kCommunityAddress.
std::wstring CommunityAddress(const std::wstring& programFolder);

struct RulesUpdate {
  bool replaced = false;
  std::wstring problem;  // why the file was not replaced
  size_t oldEntries = 0;
  size_t newEntries = 0;
  size_t added = 0;    // names in the new file only
  size_t removed = 0;  // names in the old file only
};

// Downloads `url` into a new sibling of "winapp2.ini"; when the transfer succeeded and the file
// reads with at least the minimum of entries, the old file becomes "winapp2.ini.bak" and the new
// one takes its place in one rename. Otherwise nothing changes and no sibling is left.
RulesUpdate UpdateCommunityRules(const std::wstring& programFolder, const std::wstring& url,
                                 const platform::DownloadLimits& limits = {});

// Puts "winapp2.ini.bak" back in place of "winapp2.ini" in one rename; false, with why, when there
// is none or it cannot be moved.
bool UndoRulesUpdate(const std::wstring& programFolder, std::wstring& problem);

}  // namespace rules
