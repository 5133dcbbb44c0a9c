#include "support/test_support.h"

#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace testing_support {

namespace {

std::atomic<int> counter{0};

std::wstring Unique(const wchar_t* stem) {
  return std::wstring(stem) + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64()) + L"_" +
         std::to_wstring(counter++);
}

}  // namespace

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  platform::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path);
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find.get(), &data));
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(folder.c_str());
}

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = platform::JoinPath(temp, Unique(L"tw"));
  if (!CreateDirectoryW(path_.c_str(), nullptr)) throw std::runtime_error("cannot create a temp folder");
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void MakeFolders(const std::wstring& path) {
  for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
    CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
}

void WriteText(const std::wstring& path, const std::string& text) {
  MakeFolders(path.substr(0, path.find_last_of(L'\\')));
  platform::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) throw std::runtime_error("cannot write a test file");
  DWORD written = 0;
  ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void MakeFile(const std::wstring& path, size_t bytes) { WriteText(path, std::string(bytes, 'x')); }

void MakeFileWrittenAgo(const std::wstring& path, size_t bytes, std::chrono::seconds age) {
  MakeFile(path, bytes);
  SetFileTimes(path, platform::NowTicks() - platform::TicksOf(age));
}

void SetFileTimes(const std::wstring& path, unsigned long long ticks, bool creationToo) {
  const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  platform::FileHandle file(
      CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(file && SetFileTime(file.get(), creationToo ? &time : nullptr, nullptr, &time)) << platform::Narrow(path);
}

std::string ReadText(const std::wstring& path) {
  platform::FileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return {};
  std::string text(GetFileSize(file.get(), nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  text.resize(read);
  return text;
}

std::string MakePattern(const std::wstring& path, size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('A' + i % 26);
  WriteText(path, text);
  return text;
}

platform::FileHandle OpenShared(const std::wstring& path, DWORD share) {
  return platform::FileHandle(
      CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string ReadThrough(HANDLE file) {
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  std::string content;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
  return content;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

void ExpectPresence(bool wanted, const std::wstring& path, const ::testing::Message& note,
                    const std::source_location& where) {
  if (Exists(path) == wanted) return;
  ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line()))
      << (wanted ? "lost: " : "stayed: ") << path << " " << note;
}

}  // namespace

void ExpectGone(const std::wstring& path, const ::testing::Message& note, std::source_location where) {
  ExpectPresence(false, path, note, where);
}

void ExpectKept(const std::wstring& path, const ::testing::Message& note, std::source_location where) {
  ExpectPresence(true, path, note, where);
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  platform::FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end());
  return names;
}

KeyRemovedIfNew::KeyRemovedIfNew(HKEY root, const std::wstring& subkey)
    : root_(root), subkey_(subkey), existed_(KeyExists(root, subkey)) {}

KeyRemovedIfNew::~KeyRemovedIfNew() {
  if (!existed_) RegDeleteKeyW(root_, subkey_.c_str());
}

std::vector<std::wstring> AllDetailLines(const engine::ItemReport& item, bool preview) {
  engine::DetailLines lines(item, preview);
  std::vector<std::wstring> all;
  for (size_t i = 0; i < lines.size(); ++i) all.push_back(lines[i]);
  return all;
}

std::wstring PendingFileRenames() {
  platform::RegKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                    key.out()) != ERROR_SUCCESS) {
    return {};
  }
  std::vector<wchar_t> data(65536);
  DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS) {
    return {};
  }
  return std::wstring(data.data(), bytes / sizeof(wchar_t));
}

TempRegistryKey::TempRegistryKey() : subkey_(L"Software\\TrellwipeTests\\" + Unique(L"k")) {
  platform::RegKey key;
  RegCreateKeyExW(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
}

TempRegistryKey::~TempRegistryKey() { SHDeleteKeyW(HKEY_CURRENT_USER, subkey_.c_str()); }

void SetString(HKEY root, const std::wstring& subkey, const std::wstring& name, const std::wstring& value, DWORD type) {
  platform::RegKey key;
  RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
  RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, type,
                 reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>((value.size() + 1) * 2));
}

bool KeyExists(HKEY root, const std::wstring& subkey) {
  platform::RegKey key;
  return RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::wstring& subkey, const std::wstring& name) {
  platform::RegKey key;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
  return RegQueryValueExW(key.get(), name.empty() ? nullptr : name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, const std::wstring& subkey, const std::wstring& name,
                                         const std::wstring& value, DWORD type)
    : before_(root, subkey, name) {
  SetString(root, subkey, name, value, type);
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
  wchar_t buffer[4096] = L"";
  DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
  had_ = n > 0 && n < 4096;
  saved_ = had_ ? buffer : L"";
  SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableW(name_.c_str(), had_ ? saved_.c_str() : nullptr); }

}  // namespace testing_support
