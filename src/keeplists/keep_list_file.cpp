#include "keeplists/keep_list_file.h"

#include <algorithm>
#include <array>
#include <optional>

#include "engine/regfun.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/settings_folder.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"

namespace keeplists {

namespace {

constexpr char kLineEnd[] = "\r\n";
// Name and data buffers of the typed-URL enumeration, in characters, terminating NUL included.
constexpr DWORD kEnumBuffer = 255;

std::string StoredLine(std::wstring_view entry) { return platform::Narrow(WithoutTrailingBlanks(entry)) + kLineEnd; }

}  // namespace

std::wstring CookieKeepListFile(const std::wstring& programFolder) { return engine::CookieKeepListFile(programFolder); }
std::wstring UrlKeepListFile(const std::wstring& programFolder) {
  return platform::SettingsFolder(programFolder) + L"\\keepurl.dat";
}

std::vector<std::wstring> ReadLines(const std::wstring& file) { return platform::ReadTextLines(file); }

std::wstring WithoutTrailingBlanks(std::wstring_view text) {
  size_t last = text.find_last_not_of(L" \t");
  return std::wstring(last == std::wstring_view::npos ? std::wstring_view() : text.substr(0, last + 1));
}

bool KeepListExists(const std::wstring& file) { return platform::FileExists(file); }

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
  return static_cast<bool>(platform::ReplaceFileAtomically(file, bytes));
}

bool RewriteKeepList(const std::wstring& file, const std::vector<std::wstring>& entries) {
  std::string bytes;
  for (const std::wstring& entry : entries) bytes += StoredLine(entry);
  return static_cast<bool>(platform::ReplaceFileAtomically(file, bytes));
}

std::vector<engine::KeptSite> LoadKeptSites(const std::wstring& programFolder) {
  std::vector<engine::KeptSite> sites;
  for (const std::wstring& line : ReadLines(CookieKeepListFile(programFolder))) {
    std::optional<engine::KeptSite> site = engine::ParseKeptSite(line);
    if (site && std::find(sites.begin(), sites.end(), *site) == sites.end()) sites.push_back(*site);
  }
  return sites;
}

platform::Result<engine::KeptSite> KeepSite(const std::wstring& programFolder, std::wstring_view typed,
                                            bool exactHost) {
  platform::Result<engine::KeptSite> site = engine::KeptSiteFor(typed, exactHost);
  if (!site) return site;
  std::vector<engine::KeptSite> kept = LoadKeptSites(programFolder);
  if (std::find(kept.begin(), kept.end(), *site) != kept.end()) return site;
  const std::wstring file = CookieKeepListFile(programFolder);
  if (!AppendToKeepList(file, engine::KeptSiteLine(*site)))
    return platform::Failure{platform::Fill(platform::Tr(L"{file} cannot be written."), {{L"file", file}})};
  return site;
}

platform::Result<std::vector<std::wstring>> UnkeepSite(const std::wstring& programFolder, std::wstring_view typed) {
  platform::Result<std::wstring> typedHost = engine::TypedHost(typed);
  if (!typedHost) return platform::Failure{typedHost.Reason()};
  const std::wstring& host = *typedHost;
  std::wstring file = CookieKeepListFile(programFolder);
  std::vector<std::wstring> lines = LoadKeepList(file);
  auto named = [&](const std::wstring& line) {
    std::optional<engine::KeptSite> site = engine::ParseKeptSite(line);
    return site && site->name == (site->exactHost ? host : engine::SiteOf(host));
  };
  auto end = std::stable_partition(lines.begin(), lines.end(), [&](const std::wstring& line) { return !named(line); });
  if (end == lines.end())
    return platform::Failure{platform::Fill(platform::Tr(L"\"{site}\" is not on the keep list."), {{L"site", host}})};
  std::vector<std::wstring> removed(end, lines.end());
  lines.erase(end, lines.end());
  if (!RewriteKeepList(file, lines))
    return platform::Failure{platform::Fill(platform::Tr(L"{file} cannot be written."), {{L"file", file}})};
  return removed;
}

std::wstring CookieFileHost(const std::wstring& path) {
  std::optional<std::string> bytes = platform::ReadFileBytes(path, kCookieHeadBytes);
  if (!bytes) return {};
  std::wstring text = platform::Widen(*bytes);
  size_t start = 0;
  for (int line = 0; line < 2 && start != std::wstring::npos; ++line) {
    start = text.find(L'\n', start);
    if (start != std::wstring::npos) ++start;
  }
  if (start == std::wstring::npos) return {};
  std::wstring hostAndPath = text.substr(start, text.find_first_of(L"/\r\n", start) - start);
  return engine::HostName(hostAndPath);
}

std::vector<std::wstring> KeptCookieFiles(const std::wstring& programFolder, const std::wstring& cookiesFolder,
                                          std::span<const std::wstring> addedSites) {
  std::vector<std::wstring> kept = ReadLines(CookieKeepListFile(programFolder));
  engine::KeptSites sites = engine::LoadKeptSites(CookieKeepListFile(programFolder), addedSites);
  if (sites.Empty()) return kept;
  for (const std::wstring& cookie : ListCurrentCookies(cookiesFolder)) {
    std::wstring host = CookieFileHost(cookie);
    if (!host.empty() && sites.Keeps(host)) kept.push_back(cookie);
  }
  return kept;
}

std::wstring CookiesFolder() { return engine::regfun::ResolveShellFolder(L"Cookies"); }

std::vector<std::wstring> ListCurrentCookies(const std::wstring& cookiesFolder) {
  std::vector<std::wstring> cookies;
  platform::ListFolder(cookiesFolder, [&](const platform::FolderEntry& entry) {
    if (!entry.IsFolder() && entry.name.find(L".txt") != std::wstring::npos) {
      cookies.push_back(platform::JoinPath(cookiesFolder, entry.name));
    }
  });
  return cookies;
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
    std::optional<engine::regfun::RegistryText> url =
        engine::regfun::ReadRegistryValueRaw(root, subkey, std::wstring(name.data(), nameLength));
    if (url) urls.push_back(std::move(url->text));
  }
  return urls;
}

}  // namespace keeplists
