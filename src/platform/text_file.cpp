#include "platform/text_file.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "platform/handles.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Windows would refuse the rename, and a user who protected a file means it to stay.
constexpr const wchar_t* kReadOnly = TrLater(L"it is read-only");

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

Result<void> CanReplaceFile(const std::wstring& file) {
  DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Failure{Tr(L"it is a folder")};
    if (attributes & FILE_ATTRIBUTE_READONLY) return Failure{Tr(kReadOnly)};
    // The rename needs the same access an open for writing and deleting asks for.
    FileHandle probe(CreateFileW(file.c_str(), GENERIC_WRITE | DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!probe) return SystemFailure(GetLastError());
  }
  std::wstring temp;
  FileHandle sibling = CreateSiblingTemp(file, temp);
  if (!sibling) return SystemFailure(GetLastError());
  sibling.reset();
  DeleteFileW(temp.c_str());
  return {};
}

Result<PendingReplacement> PendingReplacement::Write(const std::wstring& file, const std::string& bytes) {
  return Write(file, [&](HANDLE out) { return WriteContent(out, bytes); });
}

Result<PendingReplacement> PendingReplacement::Write(const std::wstring& file,
                                                     const std::function<bool(HANDLE)>& write) {
  if (IsReadOnly(file)) return Failure{Tr(kReadOnly)};
  std::wstring temp;
  FileHandle out = CreateSiblingTemp(file, temp);
  if (!out) return SystemFailure(GetLastError());
  const bool written = write(out.get()) && FlushFileBuffers(out.get());
  Failure failure = SystemFailure(GetLastError());
  out.reset();
  if (!written) {
    DeleteFileW(temp.c_str());
    return failure;
  }
  return PendingReplacement(file, temp);
}

PendingReplacement::PendingReplacement(PendingReplacement&& other) noexcept
    : file_(std::move(other.file_)), temp_(std::exchange(other.temp_, {})) {}

PendingReplacement::~PendingReplacement() {
  if (!temp_.empty()) DeleteFileW(temp_.c_str());
}

Result<void> PendingReplacement::Commit() {
  if (!MoveFileExW(temp_.c_str(), file_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return SystemFailure(GetLastError());
  }
  temp_.clear();
  return {};
}

Result<void> ReplaceFileAtomically(const std::wstring& file, const std::string& bytes) {
  Result<PendingReplacement> replacement = PendingReplacement::Write(file, bytes);
  if (!replacement) return Failure{replacement.Reason()};
  return replacement->Commit();
}

Result<void> CopyFileAtomically(const std::wstring& from, const std::wstring& to) {
  FileHandle in(CreateFileW(from.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!in) return SystemFailure(GetLastError());
  Result<PendingReplacement> copy = PendingReplacement::Write(to, [&](HANDLE out) {
    std::string buffer(1 << 20, '\0');
    for (;;) {
      DWORD read = 0;
      if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return false;
      if (read == 0) return true;
      if (!WriteAll(out, buffer.substr(0, read))) return false;
    }
  });
  if (!copy) return Failure{copy.Reason()};
  return copy->Commit();
}

}  // namespace platform
