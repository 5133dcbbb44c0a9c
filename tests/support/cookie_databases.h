#pragma once
// Cookie databases as today's browsers keep them, made with the hosts a test names: Chromium's
// "Cookies" (table cookies, column host_key) and Firefox's "cookies.sqlite" (moz_cookies, host).
#include <windows.h>

#include <string>
#include <vector>

#include "platform/sqlite_database.h"

namespace testing_support {

struct CookieTable {
  const char* schema;
  const char* insert;  // the host and a serial number (twice) follow
  const char* hosts;   // every host with its number of cookies
};

constexpr CookieTable kChromiumCookies = {
    "CREATE TABLE meta (key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
    "CREATE TABLE cookies (creation_utc INTEGER NOT NULL, host_key TEXT NOT NULL, top_frame_site_key TEXT NOT NULL,"
    " name TEXT NOT NULL, value TEXT NOT NULL, encrypted_value BLOB NOT NULL, path TEXT NOT NULL,"
    " expires_utc INTEGER NOT NULL, UNIQUE (host_key, top_frame_site_key, name, path))",
    "INSERT INTO cookies (host_key, name, value, creation_utc, top_frame_site_key, encrypted_value, path, expires_utc)"
    " VALUES ('%s', 'n%d', 'secret-value-%d', 1, '', x'00', '/', 0)",
    "SELECT host_key, COUNT(*) FROM cookies GROUP BY host_key ORDER BY host_key"};

constexpr CookieTable kFirefoxCookies = {
    "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', name TEXT,"
    " value TEXT, host TEXT, path TEXT, expiry INTEGER, CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes))",
    "INSERT INTO moz_cookies (host, name, value, path, expiry) VALUES ('%s', 'n%d', 'secret-value-%d', '/', 0)",
    "SELECT host, COUNT(*) FROM moz_cookies GROUP BY host ORDER BY host"};

// A new database with one cookie per host in `hosts` (a host named twice has two).
inline bool MakeCookieDatabase(const std::wstring& path, const CookieTable& table,
                               const std::vector<std::string>& hosts) {
  for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
    CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  }
  DeleteFileW(path.c_str());
  platform::SqliteDatabase db(path, platform::SqliteDatabase::Mode::Create);
  std::string sql = std::string("BEGIN;") + table.schema + ";";
  int serial = 0;
  for (const std::string& host : hosts) {
    char row[400];
    ++serial;
    snprintf(row, sizeof(row), table.insert, host.c_str(), serial, serial);
    sql += std::string(row) + ";";
  }
  return db.IsOpen() && db.Execute(sql + "COMMIT");
}

// "host count" for every host in the database, sorted.
inline std::vector<std::wstring> CookieHosts(const std::wstring& path, const CookieTable& table) {
  std::vector<std::wstring> hosts;
  platform::SqliteDatabase db(path, platform::SqliteDatabase::Mode::ReadOnly);
  for (const auto& row : db.Rows(table.hosts)) hosts.push_back(row[0] + L" " + row[1]);
  return hosts;
}

}  // namespace testing_support
