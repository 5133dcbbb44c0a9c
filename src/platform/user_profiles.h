#pragma once
// The users of this computer as Windows records them (the profile list), whether this program runs
// with administrator rights, and the means to reach another user's registry hive while it is not
// loaded: the backup and restore privileges and a hive loaded under HKEY_USERS for a while.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform {

constexpr wchar_t kProfileListKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

struct UserProfile {
  std::wstring sid;     // "S-1-5-21-..."
  std::wstring folder;  // ProfileImagePath, its variables expanded
};

// Every entry of the profile list, as recorded, folders that are missing included.
std::vector<UserProfile> ProfileListEntries();
// The profiles a cleaning of every user reaches: the list's entries without the system's own service
// profiles (S-1-5-18, -19, -20) and without those whose folder is missing.
std::vector<UserProfile> UserProfiles();

// The SID of the user this process runs as; empty when the system does not tell.
std::wstring CurrentUserSid();

// A member of the Administrators group with the rights in force (elevated, where Windows asks).
bool RunsAsAdministrator();

// Enables privileges of the process's token for as long as it lives, and puts back those it enabled.
class PrivilegesHeld {
 public:
  explicit PrivilegesHeld(std::initializer_list<const wchar_t*> names);
  ~PrivilegesHeld();
  PrivilegesHeld(const PrivilegesHeld&) = delete;
  PrivilegesHeld& operator=(const PrivilegesHeld&) = delete;
  // Every privilege named was enabled.
  bool Held() const { return held_; }

 private:
  UniqueHandle token_;
  std::vector<LUID> enabled_;
  bool held_ = false;
};

// A hive file loaded as HKEY_USERS\<name> for as long as the object lives (which needs the backup and
// restore privileges), then unloaded.
class LoadedHive {
 public:
  LoadedHive(std::wstring name, const std::wstring& file);
  ~LoadedHive();
  LoadedHive(const LoadedHive&) = delete;
  LoadedHive& operator=(const LoadedHive&) = delete;
  // ERROR_SUCCESS when the hive was loaded.
  LONG Status() const { return status_; }

 private:
  std::wstring name_;
  LONG status_;
};

}  // namespace platform
