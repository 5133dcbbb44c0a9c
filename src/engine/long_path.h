#pragma once
// Paths handed to the file-system calls of the walks, which meet trees deeper than MAX_PATH.
#include <string>

namespace engine {

// The extended-length form ("\\?\C:\...", "\\?\UNC\server\share\...") of a full, canonical path
// that is too long for the plain calls; shorter paths and paths already in a device form come back
// as they are, and so does a path with "." or ".." parts or forward slashes, which the extended form
// would take literally.
std::wstring ApiPath(const std::wstring& path);

}  // namespace engine
