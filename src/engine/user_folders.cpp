#include "engine/user_folders.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "engine/path_guard.h"
#include "platform/system_folders.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine {

namespace {

constexpr std::wstring_view kUserProfile = L"%USERPROFILE%";
constexpr wchar_t kEnvironment[] = L"HKEY_CURRENT_USER\\Environment";
constexpr wchar_t kMachineEnvironment[] =
    L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

bool IsFullPath(const std::wstring& path) { return path.size() >= 3 && path[1] == L':' && path[2] == L'\\'; }

// Whether `leadsTo`, a path without links (IdentityPath), is the folder `inside` or below it, by what
// the folders are on the disk.
bool LeadsInto(const std::wstring& leadsTo, const std::wstring& inside) {
  std::optional<FolderIdentity> identity = FolderIdentity::Of(inside);
  return identity && identity->Holds(leadsTo, true);
}

// The temp folders of the system itself, which a user's TEMP may share: the Windows folder's, and
// those the machine's environment gives every process (an administrator's to set).
std::vector<std::wstring> SystemTempFolders() {
  std::vector<std::wstring> folders{platform::WindowsFolder() + L"\\Temp"};
  for (const wchar_t* name : {L"TEMP", L"TMP"}) {
    const std::wstring value = regfun::TrimAtNul(regfun::ReadRegistryString(kMachineEnvironment, name));
    const std::wstring expanded = platform::Trim(platform::ExpandEnvironment(value));
    if (IsFullPath(expanded)) folders.push_back(expanded);
  }
  return folders;
}

bool NamesTemp(const std::wstring& valueName, const std::wstring& key) {
  return platform::EqualsNoCase(key, kEnvironment) &&
         (platform::EqualsNoCase(valueName, L"TEMP") || platform::EqualsNoCase(valueName, L"TMP"));
}

bool MayLeadTo(const std::wstring& leadsTo, const UserScope& user, const std::wstring& valueName,
               const std::wstring& key) {
  if (leadsTo.empty()) return false;
  if (LeadsInto(leadsTo, user.profile)) return true;
  if (!NamesTemp(valueName, key)) return false;
  const std::vector<std::wstring> temps = SystemTempFolders();
  return std::any_of(temps.begin(), temps.end(), [&](const std::wstring& temp) { return LeadsInto(leadsTo, temp); });
}

}  // namespace

UserFolder ReadUserFolder(const UserScope& user, const std::wstring& valueName, const std::wstring& relative,
                          const std::wstring& key) {
  if (user.Current()) return {regfun::ResolveShellFolder(valueName, key), std::nullopt};
  std::wstring value = platform::Trim(regfun::TrimAtNul(regfun::ReadRegistryString(user.KeyPath(key), valueName)));
  std::wstring folder = value.starts_with(kUserProfile) ? user.profile + value.substr(kUserProfile.size()) : value;
  if (!IsFullPath(folder)) {
    if (relative.empty()) return {};
    value = std::wstring(kUserProfile) + relative;
    folder = user.profile + relative;
  }
  const std::wstring leadsTo = IdentityPath(folder);
  if (MayLeadTo(leadsTo, user, valueName, key)) return {folder, std::nullopt};
  const std::wstring name = user.profile.substr(user.profile.find_last_of(L'\\') + 1);
  const std::wstring why = platform::Fill(platform::Tr(L"{name}={value} leads outside {user}'s profile"),
                                          {{L"name", valueName}, {L"value", value}, {L"user", name}});
  return {L"", LeftRecord{leadsTo.empty() ? folder : leadsTo, RefusedText(why), why}};
}

void RecordRefusal(const EraseContext& erase, const LeftRecord& refused) {
  const ItemReport* item = erase.recorder ? erase.recorder->Current() : nullptr;
  const bool recorded =
      item && std::any_of(item->leftBehind.begin(), item->leftBehind.end(), [&](const LeftRecord& left) {
        return left.path == refused.path && left.refusal == refused.refusal;
      });
  if (!recorded) erase.Refused(refused.path, refused.refusal);
}

std::wstring UseFolder(const EraseContext& erase, const UserFolder& folder) {
  if (folder.refused) RecordRefusal(erase, *folder.refused);
  return folder.path;
}

}  // namespace engine
