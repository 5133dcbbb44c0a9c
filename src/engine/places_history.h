#pragma once
// Firefox keeps the history and the bookmarks in one database, "places.sqlite": the history is
// erased inside it, and every bookmark, its folder, tags and keywords stay.
#include <string>

#include "engine/erase_context.h"

namespace engine {

// Erases the visits, the address bar's input history and every page no bookmark or keyword refers
// to, then compacts the file so that nothing erased can be read back from its free pages. The file is
// read and replaced as an UntrustedDatabase: one its browser holds open, a damaged or foreign one and
// one it refuses stay whole, named with the reason. A
// preview reads the file only, and records the same, with the rows each table would lose. A cleaning
// records the rows each table lost and the bytes the compaction freed; the counters count nothing of it.
void EraseFirefoxHistory(const EraseContext& erase, const std::wstring& places);

}  // namespace engine
