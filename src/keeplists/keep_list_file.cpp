#include "keeplists/keep_list_file.h"

#include <algorithm>
#include <array>

#include "engine/regfun.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace keeplists {

namespace {

constexpr char kLineEnd[] = "\r\n";
// Name and data buffers of the typed-URL enumeration, in characters, terminating NUL included.
constexpr DWORD kEnumBuffer = 255;

std::string StoredLine(std::wstring_view entry) {
  return platform::Narrow(WithoutTrailingBlanks(entry)) + kLineEnd;
}

}  // namespace

std::wstring CookieKeepListFile(const std::wstring& programFolder) { return programFolder + L"\\keepcook.dat"; }
std::wstring UrlKeepListFile(const std::wstring& programFolder) { return programFolder + L"\\keepurl.dat"; }

std::vector<std::wstring> ReadLines(const std::wstring& file) { return platform::ReadTextLines(file); }

std::wstring WithoutTrailingBlanks(std::wstring_view text) {
  size_t last = text.find_last_not_of(L" \t");
  return std::wstring(last == std::wstring_view::npos ? std::wstring_view() : text.substr(0, last + 1));
}

bool KeepListExists(const std::wstring& file) {
  return platform::FileExists(file);
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
  std::string bytes;
  if (KeepListExists(file)) {
    // A list that exists but cannot be read must not be replaced by one that holds only the new entry.
    std::optional<std::string> old = platform::ReadFileBytes(file);
    if (!old) return false;
    bytes = std::move(*old);
    // A list edited by hand may lack its last line end; the new entry must still be a line of its own.
    if (!bytes.empty() && bytes.back() != '\n') bytes += kLineEnd;
  }
  bytes += StoredLine(entry);
  return platform::ReplaceFileAtomically(file, bytes);
}

bool RewriteKeepList(const std::wstring& file, const std::vector<std::wstring>& entries) {
  std::string bytes;
  for (const std::wstring& entry : entries) bytes += StoredLine(entry);
  return platform::ReplaceFileAtomically(file, bytes);
}

std::wstring CookiesFolder() { return regfun::ResolveShellFolder(L"Cookies"); }

std::vector<std::wstring> ListCurrentCookies(const std::wstring& cookiesFolder) {
  std::vector<std::wstring> cookies;
  platform::ListFolder(cookiesFolder, [&](const platform::FolderEntry& entry) {
    if (!entry.IsFolder() && entry.name.find(L".txt") != std::wstring::npos) {
      cookies.push_back(platform::JoinPath(cookiesFolder, entry.name));
    }
  });
  return cookies;
}

std::optional<std::wstring> ReadCookiePreview(const std::wstring& path) {
  std::optional<std::string> bytes = platform::ReadFileBytes(path, kPreviewBytes);
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
