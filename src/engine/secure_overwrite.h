#pragma once
// Secure erasure: a file's content is overwritten in place before the file is deleted.
#include <windows.h>

#include <functional>
#include <string>

namespace engine {

// Opens the file once, with delete access and sharing read, write and delete access (so a file that a
// running program holds open that way goes too); overwrites its whole content once with zeros,
// flushes it to the disk and deletes it through the same handle. A file that cannot be opened so (in
// use by a program that shares no deletion, read-only, missing) is left whole, never written: the
// system's error comes back, 0 when the file went. A link is deleted as a link and never written.
// `yield` is called between the chunks of a large file, so the window keeps working.
DWORD OverwriteAndDelete(const std::wstring& path, const std::function<void()>& yield = {});

}  // namespace engine
