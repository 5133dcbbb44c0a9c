#pragma once
// Memory the shell and COM hand over to be freed with CoTaskMemFree, owned.
#include <windows.h>
#include <objbase.h>

#include <memory>

namespace platform {

struct CoTaskMemDeleter {
  void operator()(void* p) const { CoTaskMemFree(p); }
};

template <typename T>
using ShellMemory = std::unique_ptr<T, CoTaskMemDeleter>;

}  // namespace platform
