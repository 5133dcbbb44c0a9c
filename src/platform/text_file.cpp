#include "platform/text_file.h"

#include <algorithm>
#include <atomic>

#include "platform/handles.h"
#include "platform/text.h"

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::atomic<unsigned> tempCounter{0};

// A new file beside `file`, with a name no other writer uses.
FileHandle CreateSiblingTemp(const std::wstring& file, std::wstring& temp) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    temp = file + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(tempCounter++) + L".tmp";
    FileHandle out(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    if (out || GetLastError() != ERROR_FILE_EXISTS) return out;
  }
  return FileHandle();
}

}  // namespace

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
  return bytes.empty() ||
         (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

bool ReplaceFileAtomically(const std::wstring& file, const std::string& bytes) {
  std::wstring temp;
  FileHandle out = CreateSiblingTemp(file, temp);
  if (!out) return false;
  bool written = WriteAll(out.get(), bytes) && FlushFileBuffers(out.get());
  out.reset();
  if (written && MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temp.c_str());
  return false;
}

}  // namespace platform
