#pragma once
// A user's folders as the user's hive names them (User Shell Folders, Environment...). Another
// user's hive is that user's to write: a value there may name any folder of the computer, the
// administrator's documents, Program Files or the Windows folder, by its path, through "..", or
// through a link inside the profile. For another user a folder is used only when it leads, every
// link followed, inside that user's profile folder; the TEMP and TMP of the user's environment may
// also lead into the system's own temp folders, which Windows itself names for them. Any other
// folder is refused: nothing uses it, and the item that would have cleaned it says so.
#include <optional>
#include <string>

#include "engine/erase_context.h"
#include "engine/regfun.h"
#include "engine/run_report.h"
#include "engine/user_scope.h"

namespace engine {

struct UserFolder {
  std::wstring path;                  // the folder; empty when nothing names one or it is refused
  std::optional<LeftRecord> refused;  // where a refused value leads, and why it stays untouched
};

// The folder a value of the user's hive names (`key` written as "HKEY_CURRENT_USER\..."). The
// current user's as the session reads it (regfun::ResolveShellFolder). Another user's with
// %USERPROFILE% read as that user's profile folder, and when the value cannot be read or is no full
// path, the usual place `relative` in the profile folder ("\AppData\Roaming"; none when empty);
// refused, with the reason "refused: <value name>=<value> leads outside <user>'s profile", when it
// leads elsewhere.
UserFolder ReadUserFolder(const UserScope& user, const std::wstring& valueName, const std::wstring& relative,
                          const std::wstring& key = regfun::kUserShellFolders);

// Records a refused folder as left behind by the running item, once however often it is met.
void RecordRefusal(const EraseContext& erase, const LeftRecord& refused);

// The folder to use; a refusal is recorded.
std::wstring UseFolder(const EraseContext& erase, const UserFolder& folder);

// ReadUserFolder, then UseFolder.
inline std::wstring UserFolderFor(const EraseContext& erase, const UserScope& user, const std::wstring& valueName,
                                  const std::wstring& relative, const std::wstring& key = regfun::kUserShellFolders) {
  return UseFolder(erase, ReadUserFolder(user, valueName, relative, key));
}

}  // namespace engine
