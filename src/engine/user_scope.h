#pragma once
// Whose profile the items of a run clean: the user the program runs as, or another user of this
// computer, whose registry hive is loaded as HKEY_USERS\<hive> and whose folders lie in `profile`.
// That user's "Software\Classes" is a hive of its own (UsrClass.dat), loaded as HKEY_USERS\<classes>.
// The current user's lookups stay those of the running session (HKEY_CURRENT_USER, the environment).
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace engine {

struct UserScope {
  std::wstring hive;     // below HKEY_USERS; empty for the current user
  std::wstring profile;  // the profile folder; empty for the current user
  std::wstring classes;  // below HKEY_USERS: the user's classes hive; empty for the current user

  bool Current() const { return hive.empty(); }

  // The root and subkey that reach a key of HKEY_CURRENT_USER for this user; any other key as given.
  std::pair<HKEY, std::wstring> Key(HKEY root, const std::wstring& subkey) const {
    if (Current() || root != HKEY_CURRENT_USER) return {root, subkey};
    return {HKEY_USERS, UsersSubkey(subkey)};
  }
  // The same for a registry path written as text, "HKEY_CURRENT_USER\...".
  std::wstring KeyPath(const std::wstring& path) const {
    constexpr std::wstring_view kCurrentUser = L"HKEY_CURRENT_USER\\";
    if (Current() || !path.starts_with(kCurrentUser)) return path;
    return L"HKEY_USERS\\" + UsersSubkey(path.substr(kCurrentUser.size()));
  }

 private:
  // A key of "Software\Classes" lies in the classes hive: the user's own hive, loaded from its file,
  // holds no link to it.
  std::wstring UsersSubkey(const std::wstring& subkey) const {
    constexpr std::wstring_view kClasses = L"Software\\Classes";
    const bool inClasses = !classes.empty() && subkey.size() >= kClasses.size() &&
                           CompareStringOrdinal(subkey.c_str(), static_cast<int>(kClasses.size()), kClasses.data(),
                                                static_cast<int>(kClasses.size()), TRUE) == CSTR_EQUAL &&
                           (subkey.size() == kClasses.size() || subkey[kClasses.size()] == L'\\');
    if (!inClasses) return hive + L"\\" + subkey;
    return subkey.size() == kClasses.size() ? classes : classes + subkey.substr(kClasses.size());
  }
};

}  // namespace engine
