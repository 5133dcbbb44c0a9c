#pragma once
// The sites a user stays signed in to: a host's site (its registrable domain), and the site entries
// of the cookie keep list "keepcook.dat". That file's other lines are full paths of Internet
// Explorer's cookie files; a site entry starts with "site:" or "host:", which no full path does, so
// a reader that knows only paths compares it with every cookie file and never matches.
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace engine {

// "mail.example.com" and ".example.com" -> "example.com"; "foo.co.uk" -> "foo.co.uk" for the
// common suffixes of more than one label (a built-in table); an IP address or a single label
// ("localhost") is its own site. Lower case, without the leading dot.
std::wstring SiteOf(std::wstring_view host);

// A host as the cookie databases spell it, leading dot and letter case aside.
std::wstring HostName(std::wstring_view host);

struct KeptSite {
  bool exactHost = false;  // "host:": that host only; "site:": the site and every host in it
  std::wstring name;       // lower case, no leading dot
  auto operator<=>(const KeptSite&) const = default;
};

// The entry a line names, if it is a site entry; the name of "site:" becomes the site of what follows.
std::optional<KeptSite> ParseKeptSite(std::wstring_view line);
std::wstring KeptSiteLine(const KeptSite& site);
// The host that typed or pasted text names, as browsers store it: an address
// ("https://user@www.example.com:8443/login?next=1") loses all but its host, a name its dots at either
// end; an international name becomes its ASCII form (IDNA: "пример.рф" -> "xn--e1afmkfd.xn--p1ai");
// lower case. Why not, in words, for text that no host can be.
platform::Result<std::wstring> TypedHost(std::wstring_view typed);
// What the user typed: that host kept by site unless `exactHost`; why not, for text that names no host.
platform::Result<KeptSite> KeptSiteFor(std::wstring_view typed, bool exactHost);

class KeptSites {
 public:
  void Add(const KeptSite& site) { entries_.insert(site); }
  bool Keeps(std::wstring_view host) const;
  bool Empty() const { return entries_.empty(); }
  const std::set<KeptSite>& Entries() const { return entries_; }

 private:
  std::set<KeptSite> entries_;
};

// The host whose sign-in storage a browser keeps in the folder, by its name: Firefox's
// "storage\default\https+++mail.example.com^userContextId=1", Chromium's
// "IndexedDB\https_mail.example.com_0.indexeddb.leveldb"; empty for any other folder.
std::wstring StorageFolderHost(const std::wstring& folder);

// "keepcook.dat" in the settings folder of the copy in `programFolder` (platform::SettingsFolder)
std::wstring CookieKeepListFile(const std::wstring& programFolder);
// The site entries of a keep-list file (none for a missing one), and the sites `added` beside them,
// each a keep-list line or a bare site name ("example.com").
KeptSites LoadKeptSites(const std::wstring& keepListFile, std::span<const std::wstring> added = {});

}  // namespace engine
