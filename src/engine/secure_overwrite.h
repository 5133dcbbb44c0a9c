#pragma once
// Secure erasure: a file's content is overwritten in place before the file is deleted.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/handles.h"

namespace engine {

// What an overwrite writes: zeros, or bytes no one can predict.
enum class Fill { Zeros, Random };

// Opens a file (or folder, with FILE_FLAG_BACKUP_SEMANTICS in `flags`) once for the erasure: with
// delete access from the start, so that what cannot be deleted is never written, sharing read, write
// and delete access, and never through a link: FILE_FLAG_OPEN_REPARSE_POINT opens a link itself.
platform::FileHandle OpenForErasure(const std::wstring& path, DWORD access, DWORD flags = 0);

// Writes `length` bytes of the fill from the start of the file, then flushes it to the disk; of a
// sparse file (one that takes less room than its length) only the blocks that hold data, up to its
// end, so that it never takes more room than before. `written`
// is told the bytes written so far between the chunks of a large file (so a window keeps working) and
// once more when the flush is done. False at the first write or flush that fails.
bool OverwriteContent(HANDLE file, ULONGLONG length, Fill fill,
                      const std::function<void(ULONGLONG written)>& written = {});

// Opens the file once, with delete access and sharing read, write and delete access (so a file that a
// running program holds open that way goes too); overwrites its whole content once with zeros,
// flushes it to the disk and deletes it through the same handle. A file that cannot be opened so (in
// use by a program that shares no deletion, read-only, missing) is left whole, never written: the
// system's error comes back, 0 when the file went. A link is deleted as a link and never written.
// `yield` is called between the chunks of a large file, so the window keeps working.
DWORD OverwriteAndDelete(const std::wstring& path, const std::function<void()>& yield = {});

}  // namespace engine
