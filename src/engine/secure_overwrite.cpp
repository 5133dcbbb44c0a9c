#include "engine/secure_overwrite.h"

namespace engine {

bool OverwriteWithZeros(const std::wstring&) { return false; }

}  // namespace engine
