#pragma once
// Secure erasure: a file's content is overwritten in place before the file is deleted.
#include <string>

namespace engine {

// Overwrites the whole content of the file once with zeros, in place, and flushes it to the disk.
// False when the file could not be opened for writing or a write failed.
bool OverwriteWithZeros(const std::wstring& path);

}  // namespace engine
