#pragma once
// Files and folders as the walks and the windows meet them: the form of a path the file calls take,
// whether a file or folder is there, and one listing of a folder.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "platform/handles.h"
#include "platform/result.h"

namespace platform {

// The extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") of a full, canonical path,
// which names exactly the entry written: the plain form would drop a last part's trailing dots and
// blanks ("report." is "report" to it) and stop at MAX_PATH. Paths already in a device form come back
// as they are, and so does a path with "." or ".." parts, doubled separators or forward slashes,
// which the extended form would take literally.
std::wstring ApiPath(const std::wstring& path);

// A path that starts with a drive: a letter, a colon and a backslash ("C:\...").
bool IsDrivePath(std::wstring_view path);
// The length of "C:\" or "\\server\share\" at the start of a full path; 0 for any other path and
// for a share's path without a server or share name.
size_t RootLength(std::wstring_view full);
// What GetFullPathNameW, GetLongPathNameW and GetShortPathNameW give for the path; empty when they
// fail.
std::wstring FullPathName(const std::wstring& path);
std::wstring LongPathName(const std::wstring& path);
std::wstring ShortPathName(const std::wstring& path);

// Wine, not Windows: Wine opens, writes and deletes what a link to a file leads to, even when asked
// for the link itself, and lists such a link as a plain file.
bool RunsUnderWine();

// A plain file (not a folder) is there; a folder is there.
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);

// Times as one number: the 100-nanosecond ticks of a FILETIME (UTC, since 1601).
unsigned long long FileTimeTicks(const FILETIME& time);
unsigned long long NowTicks();
constexpr unsigned long long TicksOf(std::chrono::seconds span) {
  return static_cast<unsigned long long>(span.count()) * 10000000ULL;
}

struct FolderEntry {
  std::wstring name;
  DWORD attributes = 0;
  ULONGLONG size = 0;
  FILETIME lastWrite{};
  FILETIME creation{};
  // The last change of its content, name or attributes (ticks), which no program sets: only
  // ListOpenFolder reads it, 0 otherwise.
  unsigned long long change = 0;
  bool IsFolder() const { return attributes & FILE_ATTRIBUTE_DIRECTORY; }
  // Junctions and folder links: no walk goes through them.
  bool IsLink() const { return attributes & FILE_ATTRIBUTE_REPARSE_POINT; }
  bool IsHidden() const { return attributes & FILE_ATTRIBUTE_HIDDEN; }
  // When it was last made, written or changed: an unpacker or a copy may set the first two to any
  // date, not the third.
  unsigned long long Newest() const { return std::max({FileTimeTicks(creation), FileTimeTicks(lastWrite), change}); }
};

// Calls `each` with every entry of the folder but "." and "..", in the file system's order; the
// system's error when the folder cannot be listed.
Result<void> ListFolder(const std::wstring& folder, const std::function<void(const FolderEntry&)>& each);
// A folder opened to be listed (never what a link there leads to, where the system can tell): the one
// handle also tells what the folder is and where it lies, so a walk opens each folder once. Invalid
// when it cannot be opened, with the system's error in GetLastError.
FileHandle OpenFolder(const std::wstring& folder);
// The same listing as ListFolder, read through that handle, with each entry's change time.
Result<void> ListOpenFolder(HANDLE folder, const std::function<void(const FolderEntry&)>& each);
// The file's change time (ticks); 0 when it cannot be read.
unsigned long long ChangeTime(const std::wstring& path);

}  // namespace platform
