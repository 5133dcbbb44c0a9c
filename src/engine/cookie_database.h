#pragma once
// Today's browsers keep all their cookies in one SQLite database per profile: Chromium's "Cookies"
// (in "Network" or the profile itself), Firefox's "cookies.sqlite". Such a file is never deleted:
// the cookies of every site not on the keep list go from inside it, and the file stays.
#include <string>
#include <string_view>

#include "engine/erase_context.h"

namespace engine {

struct CookieSchema {
  const wchar_t* fileName;  // letter case ignored
  const char* table;
  const char* hostColumn;
};

// The schema of a file of a cookie database's name that is an SQLite database; null for any other
// file, which is erased as every file is.
const CookieSchema* CookieDatabaseSchema(const std::wstring& path);

// Whether the name is a cookie database's ("Cookies", "cookies.sqlite"), letter case ignored: a rule
// or definition that names it reaches the cookies that the keep list spares.
bool NamesCookieDatabase(std::wstring_view name);

// A journal or log beside a cookie database that is there ("Cookies-journal", "cookies.sqlite-wal"):
// it belongs to a database that stays, and goes with it only through SQLite.
bool BelongsToCookieDatabase(const std::wstring& path);

// Deletes the cookies of every site that the keep list of the context's program folder does not keep
// (with none kept, every cookie), then compacts the file; returns the bytes the compaction freed. The
// details name each site whose cookies went and each kept site, with their numbers, and the rows
// deleted and bytes freed. The file is read
// and replaced as an UntrustedDatabase: one its browser holds open, or that it refuses, stays whole
// and named with the reason. A preview reads only.
double CleanCookieDatabase(const EraseContext& erase, const std::wstring& path, const CookieSchema& schema);

// Whether the folder is a kept site's sign-in storage (see StorageFolderHost), which no walk enters
// or deletes; the details name it.
bool KeepsSiteStorage(const EraseContext& erase, const std::wstring& folder);
// Whether the path is such a folder or lies in one: where a walk or a file's erasure starts there,
// it stays whole as well.
bool InKeptSiteStorage(const EraseContext& erase, const std::wstring& path);

}  // namespace engine
