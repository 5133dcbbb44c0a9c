#include "platform/text_file.h"

#include <algorithm>
#include <atomic>

#include "platform/handles.h"
#include "platform/text.h"

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::atomic<unsigned> tempCounter{0};
std::atomic<long long> diskFullAfter{-1};

// A new file beside `file`, with a name no other writer uses.
FileHandle CreateSiblingTemp(const std::wstring& file, std::wstring& temp) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    temp = file + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(tempCounter++) + L".tmp";
    FileHandle out(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    if (out || GetLastError() != ERROR_FILE_EXISTS) return out;
  }
  return FileHandle();
}

// The content write of a replacement, cut short where a full disk was arranged.
bool WriteContent(HANDLE file, const std::string& bytes) {
  long long room = diskFullAfter.load();
  if (room < 0 || static_cast<size_t>(room) >= bytes.size()) return WriteAll(file, bytes);
  WriteAll(file, bytes.substr(0, static_cast<size_t>(room)));
  SetLastError(ERROR_DISK_FULL);
  return false;
}

bool IsReadOnly(const std::wstring& file) {
  DWORD attributes = GetFileAttributesW(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

ScopedDiskFull::ScopedDiskFull(size_t bytesBeforeFull) { diskFullAfter = static_cast<long long>(bytesBeforeFull); }
ScopedDiskFull::~ScopedDiskFull() { diskFullAfter = -1; }

std::optional<std::string> ReadFileBytes(const std::wstring& file, DWORD limit) {
  FileHandle in(CreateFileW(file.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!in || !GetFileSizeEx(in.get(), &size)) return std::nullopt;
  std::string bytes(static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, limit)), '\0');
  DWORD read = 0;
  if (!bytes.empty() && !::ReadFile(in.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return std::nullopt;
  }
  bytes.resize(read);
  return bytes;
}

std::vector<std::wstring> ReadTextLines(const std::wstring& file) {
  std::vector<std::wstring> lines;
  std::optional<std::string> bytes = ReadFileBytes(file);
  if (!bytes) return lines;
  std::string_view rest = *bytes;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(Widen(line));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return lines;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return bytes.empty() || (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                           written == bytes.size());
}

bool CanReplaceFile(const std::wstring& file) {
  DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    // The rename needs the same access an open for writing and deleting asks for.
    FileHandle probe(CreateFileW(file.c_str(), GENERIC_WRITE | DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!probe) return false;
  }
  std::wstring temp;
  FileHandle sibling = CreateSiblingTemp(file, temp);
  if (!sibling) return false;
  sibling.reset();
  DeleteFileW(temp.c_str());
  return true;
}

PendingReplacement::PendingReplacement(const std::wstring& file, const std::string& bytes)
    : PendingReplacement(file, [&](HANDLE out) { return WriteContent(out, bytes); }) {}

PendingReplacement::PendingReplacement(const std::wstring& file, const std::function<bool(HANDLE)>& write)
    : file_(file) {
  if (IsReadOnly(file)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return;
  }
  FileHandle out = CreateSiblingTemp(file, temp_);
  if (!out) {
    temp_.clear();
    return;
  }
  ready_ = write(out.get()) && FlushFileBuffers(out.get());
  DWORD error = GetLastError();
  out.reset();
  SetLastError(error);
}

PendingReplacement::~PendingReplacement() {
  if (temp_.empty()) return;
  DWORD error = GetLastError();
  DeleteFileW(temp_.c_str());
  SetLastError(error);
}

bool PendingReplacement::Commit() {
  if (!ready_) return false;
  ready_ = false;
  if (!MoveFileExW(temp_.c_str(), file_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return false;
  temp_.clear();
  return true;
}

bool ReplaceFileAtomically(const std::wstring& file, const std::string& bytes) {
  PendingReplacement replacement(file, bytes);
  return replacement.Ready() && replacement.Commit();
}

bool CopyFileAtomically(const std::wstring& from, const std::wstring& to) {
  FileHandle in(CreateFileW(from.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!in) return false;
  PendingReplacement copy(to, [&](HANDLE out) {
    std::string buffer(1 << 20, '\0');
    for (;;) {
      DWORD read = 0;
      if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return false;
      if (read == 0) return true;
      if (!WriteAll(out, buffer.substr(0, read))) return false;
    }
  });
  return copy.Ready() && copy.Commit();
}

}  // namespace platform
