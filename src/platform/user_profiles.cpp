#include "platform/user_profiles.h"

#include <sddl.h>

#include <algorithm>

#include "platform/files.h"

namespace platform {

namespace {

// Names of up to 255 characters, values of a path's length.
std::wstring ExpandedValue(HKEY key, const wchar_t* subkey, const wchar_t* name) {
  wchar_t value[MAX_PATH * 2] = L"";
  DWORD bytes = sizeof value - sizeof(wchar_t);
  // RRF_RT_REG_SZ takes a REG_EXPAND_SZ too, and expands it.
  if (RegGetValueW(key, subkey, name, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS) {
    return {};
  }
  return value;
}

// The system's own accounts: LocalSystem, LocalService, NetworkService.
bool IsServiceProfile(const std::wstring& sid) {
  return sid == L"S-1-5-18" || sid == L"S-1-5-19" || sid == L"S-1-5-20";
}

}  // namespace

std::vector<UserProfile> ProfileListEntries() {
  std::vector<UserProfile> profiles;
  RegKey list;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_READ, list.out()) != ERROR_SUCCESS) return profiles;
  wchar_t sid[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(list.get(), i, sid, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    // Windows writes it as a REG_EXPAND_SZ ("%SystemDrive%\Users\x").
    std::wstring folder = ExpandedValue(list.get(), sid, L"ProfileImagePath");
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    if (!folder.empty()) profiles.push_back({std::wstring(sid, length), folder});
  }
  return profiles;
}

std::vector<UserProfile> UserProfiles() {
  std::vector<UserProfile> profiles = ProfileListEntries();
  std::erase_if(profiles, [](const UserProfile& profile) {
    return IsServiceProfile(profile.sid) || !FolderExists(profile.folder);
  });
  return profiles;
}

std::wstring CurrentUserSid() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.out())) return {};
  BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) return {};
  std::wstring sid = text;
  LocalFree(text);
  return sid;
}

bool RunsAsAdministrator() {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  BOOL member = FALSE;
  return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) &&
         CheckTokenMembership(nullptr, sid, &member) && member;
}

PrivilegesHeld::PrivilegesHeld(std::initializer_list<const wchar_t*> names) {
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token_.out())) return;
  held_ = true;
  for (const wchar_t* name : names) {
    TOKEN_PRIVILEGES wanted{1, {{{}, SE_PRIVILEGE_ENABLED}}};
    TOKEN_PRIVILEGES before{};
    DWORD size = sizeof before;
    // Without the privilege in the token the call succeeds and sets ERROR_NOT_ALL_ASSIGNED.
    if (!LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid) ||
        !AdjustTokenPrivileges(token_.get(), FALSE, &wanted, sizeof before, &before, &size) ||
        GetLastError() != ERROR_SUCCESS) {
      held_ = false;
      continue;
    }
    // Only what this object enabled is disabled again.
    if (before.PrivilegeCount == 1) enabled_.push_back(wanted.Privileges[0].Luid);
  }
}

PrivilegesHeld::~PrivilegesHeld() {
  for (const LUID& luid : enabled_) {
    TOKEN_PRIVILEGES off{1, {{luid, 0}}};
    AdjustTokenPrivileges(token_.get(), FALSE, &off, 0, nullptr, nullptr);
  }
}

LoadedHive::LoadedHive(std::wstring name, const std::wstring& file)
    : name_(std::move(name)), status_(RegLoadKeyW(HKEY_USERS, name_.c_str(), file.c_str())) {}

LoadedHive::~LoadedHive() {
  if (status_ == ERROR_SUCCESS) RegUnLoadKeyW(HKEY_USERS, name_.c_str());
}

}  // namespace platform
