#pragma once
// Asked by every erasure before it touches a folder or file it was named.
#include <optional>
#include <string>

namespace engine {

// The full, canonical form of a path that an erasure may work on, or nothing for a path no erasure
// may touch: empty or relative text (a failed lookup gives "Error"), a device path, a drive or share
// root, the Windows folder, the Program Files folders, the folder that holds the profiles and the
// user's profile folder itself. Folders below them stay valid targets.
std::optional<std::wstring> ErasablePath(const std::wstring& path);

}  // namespace engine
