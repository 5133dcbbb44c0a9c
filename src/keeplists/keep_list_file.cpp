#include "keeplists/keep_list_file.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "engine/regfun.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace keeplists {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Name and data buffers of the typed-URL enumeration, in characters, terminating NUL included.
constexpr DWORD kEnumBuffer = 255;

std::atomic<unsigned> tempCounter{0};

std::optional<std::string> ReadBytes(const std::wstring& file, DWORD limit = MAXDWORD) {
  platform::FileHandle in(CreateFileW(file.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
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

bool WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  return bytes.empty() ||
         (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
          written == bytes.size());
}

bool EndsWithLineEnd(HANDLE file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart == 0) return true;
  LARGE_INTEGER last{};
  last.QuadPart = size.QuadPart - 1;
  char byte = 0;
  DWORD read = 0;
  return SetFilePointerEx(file, last, nullptr, FILE_BEGIN) && ::ReadFile(file, &byte, 1, &read, nullptr) &&
         read == 1 && byte == '\n';
}

// A new file beside `file`, with a name no other writer uses.
platform::FileHandle CreateSiblingTemp(const std::wstring& file, std::wstring& temp) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    temp = file + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(tempCounter++) + L".tmp";
    platform::FileHandle out(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    if (out || GetLastError() != ERROR_FILE_EXISTS) return out;
  }
  return platform::FileHandle();
}

bool ReplaceAtomically(const std::wstring& file, const std::string& bytes) {
  std::wstring temp;
  platform::FileHandle out = CreateSiblingTemp(file, temp);
  if (!out) return false;
  bool written = WriteAll(out.get(), bytes) && FlushFileBuffers(out.get());
  out.reset();
  if (written && MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temp.c_str());
  return false;
}

std::string StoredLine(std::wstring_view entry) {
  return platform::Narrow(WithoutTrailingBlanks(entry)) + kLineEnd;
}

}  // namespace

std::wstring CookieKeepListFile(const std::wstring& programFolder) { return programFolder + L"\\keepcook.dat"; }
std::wstring UrlKeepListFile(const std::wstring& programFolder) { return programFolder + L"\\keepurl.dat"; }

std::vector<std::wstring> ReadLines(const std::wstring& file) {
  std::vector<std::wstring> lines;
  std::optional<std::string> bytes = ReadBytes(file);
  if (!bytes) return lines;
  std::string_view rest = *bytes;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(platform::Widen(line));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return lines;
}

std::wstring WithoutTrailingBlanks(std::wstring_view text) {
  size_t last = text.find_last_not_of(L" \t");
  return std::wstring(last == std::wstring_view::npos ? std::wstring_view() : text.substr(0, last + 1));
}

bool KeepListExists(const std::wstring& file) {
  DWORD attributes = GetFileAttributesW(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> LoadKeepList(const std::wstring& file) {
  std::vector<std::wstring> entries = ReadLines(file);
  for (std::wstring& entry : entries) entry = WithoutTrailingBlanks(entry);
  return entries;
}

std::vector<std::wstring> LoadKeptCookies(const std::wstring& programFolder) {
  return LoadKeepList(CookieKeepListFile(programFolder));
}

std::vector<std::wstring> LoadKeptUrls(const std::wstring& programFolder) {
  return LoadKeepList(UrlKeepListFile(programFolder));
}

bool AppendToKeepList(const std::wstring& file, std::wstring_view entry) {
  platform::FileHandle out(CreateFileW(file.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                       OPEN_ALWAYS, 0, nullptr));
  if (!out) return false;
  // A list edited by hand may lack its last line end; the new entry must still be a line of its own.
  std::string bytes = EndsWithLineEnd(out.get()) ? std::string() : std::string(kLineEnd);
  bytes += StoredLine(entry);
  return WriteAll(out.get(), bytes);
}

bool RewriteKeepList(const std::wstring& file, const std::vector<std::wstring>& entries) {
  std::string bytes;
  for (const std::wstring& entry : entries) bytes += StoredLine(entry);
  return ReplaceAtomically(file, bytes);
}

std::wstring CookiesFolder() { return regfun::ResolveShellFolder(L"Cookies"); }

std::vector<std::wstring> ListCurrentCookies(const std::wstring& cookiesFolder) {
  std::vector<std::wstring> cookies;
  WIN32_FIND_DATAW data;
  platform::FindHandle find(FindFirstFileExW(platform::JoinPath(cookiesFolder, L"*").c_str(), FindExInfoBasic,
                                             &data, FindExSearchNameMatch, nullptr, 0));
  if (!find) return cookies;
  do {
    std::wstring_view name = data.cFileName;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.find(L".txt") != std::wstring_view::npos) {
      cookies.push_back(platform::JoinPath(cookiesFolder, name));
    }
  } while (FindNextFileW(find.get(), &data));
  return cookies;
}

std::optional<std::wstring> ReadCookiePreview(const std::wstring& path) {
  std::optional<std::string> bytes = ReadBytes(path, kPreviewBytes);
  if (!bytes) return std::nullopt;
  std::wstring text;
  for (wchar_t c : platform::Widen(*bytes)) {
    if (c == L'\n' && !text.ends_with(L'\r')) text += L'\r';
    text += c == L'\0' ? L' ' : c;
  }
  return text;
}

std::vector<std::wstring> ListTypedUrls(HKEY root, const std::wstring& subkey) {
  std::vector<std::wstring> urls;
  platform::RegKey key;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS) return urls;
  for (DWORD index = 0;; ++index) {
    std::array<wchar_t, kEnumBuffer> name{};
    std::array<wchar_t, kEnumBuffer> data{};
    DWORD nameLength = kEnumBuffer;
    DWORD dataBytes = sizeof(data);
    if (RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, nullptr,
                      reinterpret_cast<BYTE*>(data.data()), &dataBytes) != ERROR_SUCCESS) {
      break;
    }
    DWORD type = REG_NONE;
    std::wstring text = regfun::ReadRegistryValueRaw(root, subkey, std::wstring(name.data(), nameLength), type);
    if (text != L"error") urls.push_back(text);
  }
  return urls;
}

}  // namespace keeplists
