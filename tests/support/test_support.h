#pragma once
// Scratch files, folders and registry keys for tests, each removed when it goes out of scope, and a
// run view that records what the run showed.
#include <windows.h>

#include <chrono>
#include <source_location>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/run_report.h"
#include "platform/handles.h"
#include "run/run_view.h"
#include "support/preserved_value.h"

namespace testing_support {

// A fresh folder under the prefix's temp folder.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& Path() const { return path_; }
  std::wstring operator/(const std::wstring& part) const { return path_ + L"\\" + part; }

 private:
  std::wstring path_;
};

// Creates the file and any missing parent folders.
void MakeFile(const std::wstring& path, size_t bytes);
// Creates the file, last written `age` before now.
void MakeFileWrittenAgo(const std::wstring& path, size_t bytes, std::chrono::seconds age);
// Sets the file's last write time, and with `creationToo` its creation time, to the moment given
// (platform::FileTimeTicks), as an unpacker or a copy does; the system sets its change time to now.
void SetFileTimes(const std::wstring& path, unsigned long long ticks, bool creationToo = false);
// A file of `size` bytes none of which is zero; its content.
std::string MakePattern(const std::wstring& path, size_t size);
// Everything the handle reads from the start of the file.
std::string ReadThrough(HANDLE file);
// A reader's handle, opened as a second program opens the file.
platform::FileHandle OpenShared(const std::wstring& path,
                                DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
void WriteText(const std::wstring& path, const std::string& text);
std::string ReadText(const std::wstring& path);
void MakeFolders(const std::wstring& path);
// Removes the folder with everything in it; links are removed, never followed.
void RemoveTree(const std::wstring& folder);
bool Exists(const std::wstring& path);
// Checks that nothing is left at the path, or that something still is; a failure names the path
// and the note, at the caller's line.
void ExpectGone(const std::wstring& path, const ::testing::Message& note = {},
                std::source_location where = std::source_location::current());
void ExpectKept(const std::wstring& path, const ::testing::Message& note = {},
                std::source_location where = std::source_location::current());
DWORD Attributes(const std::wstring& path);
// Names directly in a folder, sorted.
std::vector<std::wstring> FolderNames(const std::wstring& folder);

// Every line of an item's details.
std::vector<std::wstring> AllDetailLines(const engine::ItemReport& item, bool preview);

// The files the system is asked to delete at the next restart, as one text.
std::wstring PendingFileRenames();

// A unique key under HKCU\Software\TrellwipeTests, deleted with everything below it.
class TempRegistryKey {
 public:
  TempRegistryKey();
  ~TempRegistryKey();
  TempRegistryKey(const TempRegistryKey&) = delete;
  TempRegistryKey& operator=(const TempRegistryKey&) = delete;
  const std::wstring& Subkey() const { return subkey_; }
  std::wstring FullPath() const { return L"HKEY_CURRENT_USER\\" + subkey_; }

 private:
  std::wstring subkey_;
};

// Keys of the current user's hive that tests plant values under.
constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kTypedUrls[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

void SetString(HKEY root, const std::wstring& subkey, const std::wstring& name, const std::wstring& value,
               DWORD type = REG_SZ);
bool KeyExists(HKEY root, const std::wstring& subkey);
bool ValueExists(HKEY root, const std::wstring& subkey, const std::wstring& name);

// Deletes the key at the end when it did not exist at the start, so a key the test had to make goes.
class KeyRemovedIfNew {
 public:
  KeyRemovedIfNew(HKEY root, const std::wstring& subkey);
  ~KeyRemovedIfNew();
  KeyRemovedIfNew(const KeyRemovedIfNew&) = delete;
  KeyRemovedIfNew& operator=(const KeyRemovedIfNew&) = delete;

 private:
  HKEY root_;
  std::wstring subkey_;
  bool existed_;
};

// Sets a string value for the life of the object and then puts back what was there before.
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(HKEY root, const std::wstring& subkey, const std::wstring& name, const std::wstring& value,
                      DWORD type = REG_SZ);

 private:
  PreservedValue before_;
};

// Restores an environment variable when it goes out of scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value);
  ~ScopedEnvironment();

 private:
  std::wstring name_;
  std::wstring saved_;
  bool had_;
};

struct Row {
  std::wstring label;
  std::wstring state;
  // The item's files, bytes, registry entries and entries left behind, once it has ended.
  size_t files = 0;
  double bytes = 0;
  size_t registryEntries = 0;
  size_t leftBehind = 0;
};

class RecordingView : public run::RunView {
 public:
  std::vector<Row> rows;
  std::vector<int> progress;
  std::vector<std::wstring> statusLines;
  std::vector<std::wstring> announced;  // the status lines a screen reader is to read out
  std::vector<std::pair<std::wstring, std::wstring>> messages;
  std::vector<run::NotificationRequest> notifications;
  std::wstring lastClean, totals, statisticsTip;
  bool startEnabled = true, busy = false, statusPageShown = false, mainWindowShown = false, exited = false;
  int pumps = 0, focuses = 0;

  void ShowStatusPage() override { statusPageShown = true; }
  void SetBusyCursor(bool b) override { busy = b; }
  void EnableStartCommands(bool enabled) override { startEnabled = enabled; }
  void ClearRows() override { rows.clear(); }
  void AddRow(const std::wstring& label) override { rows.push_back({label, L""}); }
  void SetRowState(const std::wstring& text) override {
    if (!rows.empty()) rows.back().state = text;
  }
  void SetRowFigures(const engine::ItemReport& item) override {
    if (rows.empty()) return;
    rows.back().files = item.files.size();
    rows.back().bytes = item.Bytes();
    rows.back().registryEntries = item.RegistryEntries();
    rows.back().leftBehind = item.leftBehind.size();
  }
  void SetProgress(int value) override { progress.push_back(value); }
  void SetStatusLine(const std::wstring& text) override { statusLines.push_back(text); }
  void AnnounceStatusLine(const std::wstring& text) override {
    announced.push_back(text);
    SetStatusLine(text);
  }
  void PumpMessages() override { ++pumps; }
  void FocusMainWindow() override { ++focuses; }
  void ShowInformation(const std::wstring& title, const std::wstring& text) override {
    messages.emplace_back(title, text);
  }
  void QueueNotification(const run::NotificationRequest& request) override { notifications.push_back(request); }
  void ShowStatistics(const std::wstring& date, const std::wstring& text, const std::wstring& tip) override {
    lastClean = date;
    totals = text;
    statisticsTip = tip;
  }
  void ShowMainWindow() override { mainWindowShown = true; }
  void ExitProgram() override { exited = true; }
};

}  // namespace testing_support
