// Cleaning a cookie database against deleting it. "make <file> <rows> <sites>" writes a Chromium
// "Cookies" database whose rows are spread over the sites, two hosts each; "clean <file> <program
// folder>" cleans it in-process as the cookie items do, with that folder's keep list, and "delete
// <file>" deletes it; both print their milliseconds and what the file holds afterwards, so that the
// driver can check the work was done.
#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/cookie_database.h"
#include "platform/sqlite_database.h"
#include "support/cookie_databases.h"

namespace {

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& stop) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::vector<std::string> Hosts(int rows, int sites) {
  std::vector<std::string> hosts;
  for (int row = 0; row < rows; ++row) {
    int site = row % sites;
    hosts.push_back((row / sites % 2 ? ".site" : "www.site") + std::to_string(site) + ".com");
  }
  return hosts;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"make" && argc == 5) {
    return testing_support::MakeCookieDatabase(argv[2], testing_support::kChromiumCookies,
                                               Hosts(_wtoi(argv[3]), _wtoi(argv[4])))
               ? 0
               : 1;
  }
  LARGE_INTEGER start, stop;
  if (mode == L"clean" && argc == 4) {
    engine::EraseContext ctx;
    ctx.programFolder = argv[3];
    const engine::CookieSchema* schema = engine::CookieDatabaseSchema(argv[2]);
    if (!schema) return 1;
    QueryPerformanceCounter(&start);
    double freed = engine::CleanCookieDatabase(ctx, argv[2], *schema);
    QueryPerformanceCounter(&stop);
    platform::SqliteDatabase db(argv[2], platform::SqliteDatabase::Mode::ReadOnly);
    std::printf("ms=%.1f rows=%lld freed=%.0f\n", Milliseconds(start, stop), db.Number("SELECT COUNT(*) FROM cookies"),
                freed);
    return 0;
  }
  if (mode == L"delete" && argc == 3) {
    QueryPerformanceCounter(&start);
    BOOL deleted = DeleteFileW(argv[2]);
    QueryPerformanceCounter(&stop);
    std::printf("ms=%.1f deleted=%d\n", Milliseconds(start, stop), deleted ? 1 : 0);
    return 0;
  }
  std::fprintf(stderr,
               "usage: bench_cookies make <file> <rows> <sites> | clean <file> <program folder> | delete <file>\n");
  return 2;
}
