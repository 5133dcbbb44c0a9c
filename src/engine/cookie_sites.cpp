#include "engine/cookie_sites.h"

#include <algorithm>
#include <array>
#include <cwctype>

#include "platform/text.h"
#include "platform/text_file.h"

namespace engine {

namespace {

constexpr std::wstring_view kSitePrefix = L"site:";
constexpr std::wstring_view kHostPrefix = L"host:";

// Public suffixes of two labels under which a site has three. A short table of the common ones, not
// the full public-suffix list: any other host's site is its last two labels.
constexpr std::array<std::wstring_view, 40> kTwoLabelSuffixes = {
    L"co.uk",  L"org.uk", L"ac.uk",  L"gov.uk", L"me.uk",  L"ltd.uk", L"plc.uk", L"net.uk", L"com.au", L"net.au",
    L"org.au", L"edu.au", L"gov.au", L"co.nz",  L"org.nz", L"net.nz", L"co.jp",  L"ne.jp",  L"or.jp",  L"ac.jp",
    L"co.kr",  L"or.kr",  L"co.in",  L"net.in", L"org.in", L"co.za",  L"org.za", L"com.br", L"net.br", L"com.cn",
    L"net.cn", L"org.cn", L"com.tw", L"com.hk", L"com.sg", L"com.mx", L"com.ar", L"com.tr", L"co.il",  L"com.ua",
};

bool IsIpAddress(std::wstring_view host) {
  if (host.find(L':') != std::wstring_view::npos) return true;  // IPv6, with or without brackets
  return !host.empty() && std::all_of(host.begin(), host.end(), [](wchar_t c) { return c == L'.' || iswdigit(c); });
}

std::wstring StartingAfter(std::wstring_view text, std::wstring_view prefix) {
  return platform::Trim(text.substr(prefix.size()));
}

}  // namespace

std::wstring HostName(std::wstring_view host) {
  std::wstring name = platform::ToLower(platform::Trim(host));
  size_t start = name.find_first_not_of(L'.');
  return start == std::wstring::npos ? std::wstring() : name.substr(start);
}

std::wstring SiteOf(std::wstring_view host) {
  std::wstring name = HostName(host);
  if (IsIpAddress(name)) return name;
  // The site keeps one label more than its public suffix.
  size_t last = name.rfind(L'.');
  if (last == std::wstring::npos || last == 0) return name;
  size_t second = name.rfind(L'.', last - 1);
  if (second == std::wstring::npos) return name;
  std::wstring_view lastTwo = std::wstring_view(name).substr(second + 1);
  bool twoLabelSuffix =
      std::find(kTwoLabelSuffixes.begin(), kTwoLabelSuffixes.end(), lastTwo) != kTwoLabelSuffixes.end();
  if (!twoLabelSuffix) return std::wstring(lastTwo);
  size_t third = second == 0 ? std::wstring::npos : name.rfind(L'.', second - 1);
  return third == std::wstring::npos ? name : name.substr(third + 1);
}

std::optional<KeptSite> KeptSiteFor(std::wstring_view typed, bool exactHost) {
  std::wstring host = HostName(typed);
  // A host has no blanks, slashes or backslashes: such text is a path or a mistake.
  if (host.empty() || host.find_first_of(L" \t/\\") != std::wstring::npos) return std::nullopt;
  return KeptSite{exactHost, exactHost ? host : SiteOf(host)};
}

std::optional<KeptSite> ParseKeptSite(std::wstring_view line) {
  std::wstring lowered = platform::ToLower(line.substr(0, kSitePrefix.size()));
  if (lowered == kSitePrefix) return KeptSiteFor(StartingAfter(line, kSitePrefix), false);
  if (lowered == kHostPrefix) return KeptSiteFor(StartingAfter(line, kHostPrefix), true);
  return std::nullopt;
}

std::wstring KeptSiteLine(const KeptSite& site) {
  return std::wstring(site.exactHost ? kHostPrefix : kSitePrefix) + site.name;
}

bool KeptSites::Keeps(std::wstring_view host) const {
  std::wstring name = HostName(host);
  return entries_.contains({true, name}) || entries_.contains({false, SiteOf(name)});
}

std::wstring StorageFolderHost(const std::wstring& folder) {
  size_t nameStart = folder.find_last_of(L'\\') + 1;
  if (nameStart == 0) return {};
  std::wstring name = folder.substr(nameStart);
  std::wstring parents = platform::ToLower(std::wstring_view(folder).substr(0, nameStart - 1));
  if (parents.ends_with(L"\\storage\\default")) {
    // "<scheme>+++<host>[+<port>][^<attributes>]"
    size_t host = name.find(L"+++");
    if (host == std::wstring::npos) return {};
    host += 3;
    return HostName(name.substr(host, name.find_first_of(L"+^", host) - host));
  }
  if (parents.ends_with(L"\\indexeddb")) {
    // "<scheme>_<host>_<port>.indexeddb.leveldb" (or ".blob")
    size_t host = name.find(L'_');
    size_t port = name.rfind(L'_');
    if (host == std::wstring::npos || port <= host) return {};
    return HostName(name.substr(host + 1, port - host - 1));
  }
  return {};
}

std::wstring CookieKeepListFile(const std::wstring& programFolder) { return programFolder + L"\\keepcook.dat"; }

KeptSites LoadKeptSites(const std::wstring& keepListFile) {
  KeptSites sites;
  for (const std::wstring& line : platform::ReadTextLines(keepListFile)) {
    if (std::optional<KeptSite> site = ParseKeptSite(line)) sites.Add(*site);
  }
  return sites;
}

}  // namespace engine
