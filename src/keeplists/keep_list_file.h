#pragma once
// The keep-list files in the settings folder (platform::SettingsFolder), "keepcook.dat" (cookies)
// and "keepurl.dat" (typed URLs), and the current cookies and typed URLs that the keep-list windows offer for keeping.
// Keep-list text is in the system's 8-bit code page, one entry per line, each line ended by CR LF.
#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cookie_sites.h"

namespace keeplists {

constexpr wchar_t kTypedUrlsSubkey[] = L"Software\\Microsoft\\Internet Explorer\\TypedURLs";

std::wstring CookieKeepListFile(const std::wstring& programFolder);
std::wstring UrlKeepListFile(const std::wstring& programFolder);

// Every line of the file in order, unchanged, converted from the system's code page; none for a
// missing file. Lines end with CR LF or LF; a last line without a line end still counts.
std::vector<std::wstring> ReadLines(const std::wstring& file);

// Entries are stored and shown without trailing blanks (spaces and tabs); leading ones stay.
std::wstring WithoutTrailingBlanks(std::wstring_view text);

// A window's load stops before its scroll extents when its keep-list file is absent.
bool KeepListExists(const std::wstring& file);

// What a keep-list window's own list holds after its load: the file's lines without trailing blanks.
std::vector<std::wstring> LoadKeepList(const std::wstring& file);
std::vector<std::wstring> LoadKeptCookies(const std::wstring& programFolder);
std::vector<std::wstring> LoadKeptUrls(const std::wstring& programFolder);

// Add: appends the entry without trailing blanks as one line, creating the file when absent. The
// longer list replaces the old one in a single rename as RewriteKeepList does, so a full disk or a
// crash in the middle never leaves half a line. False, with the file unchanged, when it cannot be
// read or written.
bool AppendToKeepList(const std::wstring& file, std::wstring_view entry);

// Remove: replaces the whole file by the entries in order, each without trailing blanks. The new
// text goes to a sibling file that then replaces the old one in a single rename, so a failure or a
// crash at any moment leaves either the old list or the new one. False when the old list stays.
bool RewriteKeepList(const std::wstring& file, const std::vector<std::wstring>& entries);

// The sites kept on the cookie keep list, in the order of its lines. Site entries sit among the old
// lines (full paths of cookie files), which they leave where they are.
std::vector<engine::KeptSite> LoadKeptSites(const std::wstring& programFolder);
// Adds the site (or, with `exactHost`, the host) that the text names, unless it is kept already, and
// gives what is kept; why not, for text that names no host or when the list cannot be written.
platform::Result<engine::KeptSite> KeepSite(const std::wstring& programFolder, std::wstring_view typed, bool exactHost);
// Removes every entry that keeps what the text names ("example.com" as typed, the site or the host,
// read as KeepSite reads it) and gives the lines it removed; why not when none does, for text that
// names no host, or when the list cannot be written.
platform::Result<std::vector<std::wstring>> UnkeepSite(const std::wstring& programFolder, std::wstring_view typed);

// The host an Internet Explorer cookie file is for: the third line of its first cookie ("host/path"),
// read from the file's first kCookieHeadBytes.
constexpr DWORD kCookieHeadBytes = 64 * 1024;
std::wstring CookieFileHost(const std::wstring& path);
// The cookie files of the folder that stay: those the keep list names by path, and those of a kept
// site, the sites `addedSites` names among them.
std::vector<std::wstring> KeptCookieFiles(const std::wstring& programFolder, const std::wstring& cookiesFolder,
                                          std::span<const std::wstring> addedSites = {});

// The user's Cookies folder, resolved as the run's cookie purge resolves it.
std::wstring CookiesFolder();

// The current cookies: full paths of the files directly in the folder whose name contains ".txt"
// (letter case counts), in the order the file system gives them; none for a missing folder.
std::vector<std::wstring> ListCurrentCookies(const std::wstring& cookiesFolder);

// The current typed URLs, in the order the registry enumerates the key's values. Values that do
// not read as a string are skipped; the list ends at the first value whose name or data does not
// fit 255 characters.
std::vector<std::wstring> ListTypedUrls(HKEY root = HKEY_CURRENT_USER, const std::wstring& subkey = kTypedUrlsSubkey);

}  // namespace keeplists
