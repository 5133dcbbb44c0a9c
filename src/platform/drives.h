#pragma once
// The drives a walk over the whole machine visits.
#include <string>
#include <vector>

namespace platform {

// The roots ("C:\") of the fixed drives, in letter order. Under Wine a drive that maps the whole
// Unix file system (drive Z: as Wine makes it) is left out: a walk there would cross the host's
// every file and never end in reasonable time.
std::vector<std::wstring> FixedDriveRoots();

}  // namespace platform
