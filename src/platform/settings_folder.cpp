#include "platform/settings_folder.h"

#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <map>
#include <mutex>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/product_name.h"
#include "platform/system_folders.h"
#include "platform/text.h"

namespace platform {

namespace {

struct Decisions {
  std::mutex lock;
  std::map<std::wstring, std::wstring> byProgramFolder;  // by the lower-case program folder
};

Decisions& Decided() {
  static Decisions decisions;
  return decisions;
}

std::wstring ProbeName() {
  static std::atomic<unsigned> counter{0};
  return L".trellwipe-probe-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) +
         L"-" + std::to_wstring(++counter);
}

}  // namespace

std::wstring UserSettingsFolder() {
  const std::wstring appData = KnownFolder(FOLDERID_RoamingAppData);
  return appData.empty() ? std::wstring() : JoinPath(appData, kProductName);
}

Result<void> ProbeWritable(const std::wstring& folder) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    FileHandle probe(CreateFileW(ApiPath(JoinPath(folder, ProbeName())).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                 nullptr));
    if (probe) return {};
    if (GetLastError() != ERROR_FILE_EXISTS) return SystemFailure(GetLastError());
  }
  return SystemFailure(ERROR_FILE_EXISTS);
}

std::wstring DecideSettingsFolder(const std::wstring& programFolder, const WriteProbe& probe) {
  std::wstring folder = programFolder;
  // A folder that is not there is no copy's own: it stays as given, and writes there fail as before.
  // Without a roaming folder the files stay beside the program: an empty folder would put them at
  // the root of the current drive.
  const std::wstring user = UserSettingsFolder();
  if (!programFolder.empty() && !user.empty() && FolderExists(programFolder) && !probe(programFolder)) {
    folder = user;
    // Made on first use; a folder that cannot be made leaves each writer to report its own failure.
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  }
  Decisions& decided = Decided();
  std::lock_guard<std::mutex> hold(decided.lock);
  decided.byProgramFolder[ToLower(programFolder)] = folder;
  return folder;
}

std::wstring SettingsFolder(const std::wstring& programFolder) {
  {
    Decisions& decided = Decided();
    std::lock_guard<std::mutex> hold(decided.lock);
    auto known = decided.byProgramFolder.find(ToLower(programFolder));
    if (known != decided.byProgramFolder.end()) return known->second;
  }
  return DecideSettingsFolder(programFolder, ProbeWritable);
}

}  // namespace platform
