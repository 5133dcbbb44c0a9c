#pragma once
// Secure erasure: a file's content is overwritten in place before the file is deleted.
#include <string>

namespace engine {

// Overwrites the whole content of the file once with zeros, in place, and flushes it to the disk;
// the size stays. The file is opened sharing read, write and delete access, so a file that another
// program holds open that way is overwritten too. A read-only file is left as it is (the caller that
// forces its deletion clears the attribute first), and so is a link. False when the file could not
// be opened for writing, is no plain file, or a write or the flush failed.
bool OverwriteWithZeros(const std::wstring& path);

}  // namespace engine
