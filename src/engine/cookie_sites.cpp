#include "engine/cookie_sites.h"

#include <algorithm>
#include <array>
#include <cwctype>

#include "platform/settings_folder.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/translation.h"

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

// The longest host name and the longest label a name server answers for.
constexpr size_t kHostLimit = 253;
constexpr size_t kLabelLimit = 63;
// Of the typed text, only as much as a message needs to show which text it was.
constexpr size_t kShownLimit = 60;
constexpr const wchar_t* kTooLong = platform::TrLater(L"a site's name has at most 253 characters.");

bool IsAsciiHostCharacter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_' || c == L'.';
}

// "::1", or "[::1]" as an address writes it.
bool IsIpv6Address(std::wstring_view host) {
  if (host.starts_with(L'[') && host.ends_with(L']')) host = host.substr(1, host.size() - 2);
  return std::count(host.begin(), host.end(), L':') >= 2 &&
         std::all_of(host.begin(), host.end(), [](wchar_t c) { return c == L':' || c == L'.' || iswxdigit(c); });
}

bool AllDigits(std::wstring_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// "https://user@www.example.com:8443/login?next=1#top" -> "www.example.com": the scheme, user, port,
// path, query and fragment of an address go; text that is no address stays as it is.
std::wstring_view AddressHost(std::wstring_view text) {
  const size_t pathStart = text.find_first_of(L"/?#");
  const size_t scheme = text.find(L"://");
  const bool address = scheme != std::wstring_view::npos && scheme == pathStart - 1;
  if (address) text.remove_prefix(scheme + 3);
  text = text.substr(0, text.find_first_of(L"/?#"));
  // Only an address has a user before its host: in other text "@" is a mistake, or a file's name.
  if (size_t at = text.rfind(L'@'); address && at != std::wstring_view::npos) text.remove_prefix(at + 1);
  // A port follows the host's last colon; an IPv6 address in brackets has colons of its own.
  const size_t colon = text.rfind(L':');
  const size_t bracket = text.rfind(L']');
  bool port = colon != std::wstring_view::npos && AllDigits(text.substr(colon + 1)) &&
              (text.starts_with(L'[') ? bracket == colon - 1 : text.find(L':') == colon);
  return port ? text.substr(0, colon) : text;
}

// The text in quotes, cut short when long.
std::wstring Shown(std::wstring_view typed) {
  return L"\"" + std::wstring(typed.substr(0, kShownLimit)) + (typed.size() > kShownLimit ? L"...\"" : L"\"");
}

platform::Failure NotASite(std::wstring_view typed, std::wstring_view why) {
  return {platform::Fill(platform::Tr(L"{typed} is not a site: {reason}"),
                         {{L"typed", Shown(typed)}, {L"reason", std::wstring(why)}})};
}

// Why the ASCII host is no host name; nothing when it is one.
std::optional<std::wstring> HostNameFault(std::wstring_view host) {
  if (host.size() > kHostLimit) return platform::Tr(kTooLong);
  auto bad = std::find_if_not(host.begin(), host.end(), IsAsciiHostCharacter);
  if (bad != host.end())
    return platform::Fill(platform::Tr(L"a site's name cannot hold \"{character}\"."),
                          {{L"character", std::wstring(1, *bad)}});
  for (size_t start = 0; start <= host.size();) {
    size_t dot = std::min(host.find(L'.', start), host.size());
    if (dot == start || dot - start > kLabelLimit)
      return platform::Tr(L"each part of a site's name between dots has 1 to 63 characters.");
    start = dot + 1;
  }
  return std::nullopt;
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

platform::Result<std::wstring> TypedHost(std::wstring_view typed) {
  const std::wstring text = platform::Trim(typed);
  std::wstring host = HostName(AddressHost(text));
  if (host.ends_with(L'.')) host.pop_back();
  if (host.empty()) {
    return platform::Failure{
        platform::Fill(platform::Tr(L"{typed} names no site: type one such as example.com, or paste its address."),
                       {{L"typed", Shown(text)}})};
  }
  // A longer name has a longer ASCII form still: it is refused before it is converted.
  if (host.size() > kHostLimit) return NotASite(text, platform::Tr(kTooLong));
  if (IsIpv6Address(host)) return host;
  if (std::any_of(host.begin(), host.end(), [](wchar_t c) { return c > 0x7F; })) {
    platform::Result<std::wstring> ascii = platform::AsciiHostName(host);
    if (!ascii) {
      return NotASite(text, platform::Fill(platform::Tr(L"its name has no form that browsers store ({reason})."),
                                           {{L"reason", ascii.Reason()}}));
    }
    host = platform::ToLower(*ascii);
  }
  if (std::optional<std::wstring> fault = HostNameFault(host)) return NotASite(text, *fault);
  return host;
}

platform::Result<KeptSite> KeptSiteFor(std::wstring_view typed, bool exactHost) {
  platform::Result<std::wstring> host = TypedHost(typed);
  if (!host) return platform::Failure{host.Reason()};
  return KeptSite{exactHost, exactHost ? *host : SiteOf(*host)};
}

std::optional<KeptSite> ParseKeptSite(std::wstring_view line) {
  std::wstring lowered = platform::ToLower(line.substr(0, kSitePrefix.size()));
  bool site = lowered == kSitePrefix;
  if (!site && lowered != kHostPrefix) return std::nullopt;
  platform::Result<KeptSite> kept = KeptSiteFor(StartingAfter(line, site ? kSitePrefix : kHostPrefix), !site);
  return kept ? std::optional<KeptSite>(*kept) : std::nullopt;
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

std::wstring CookieKeepListFile(const std::wstring& programFolder) {
  return platform::SettingsFolder(programFolder) + L"\\keepcook.dat";
}

KeptSites LoadKeptSites(const std::wstring& keepListFile, std::span<const std::wstring> added) {
  KeptSites sites;
  for (const std::wstring& line : platform::ReadTextLines(keepListFile)) {
    if (std::optional<KeptSite> site = ParseKeptSite(line)) sites.Add(*site);
  }
  for (const std::wstring& entry : added) {
    if (std::optional<KeptSite> site = ParseKeptSite(entry)) {
      sites.Add(*site);
    } else if (platform::Result<KeptSite> named = KeptSiteFor(entry, false)) {
      sites.Add(*named);
    }
  }
  return sites;
}

}  // namespace engine
