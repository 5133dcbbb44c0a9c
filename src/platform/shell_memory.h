#pragma once
// Memory the shell hands over for the caller to free with CoTaskMemFree (item id lists, strings).
#include <windows.h>

#include <objbase.h>

#include <memory>

namespace platform {

struct ShellMemoryDeleter {
  void operator()(void* memory) const { CoTaskMemFree(memory); }
};
template <typename T>
using ShellMemory = std::unique_ptr<T, ShellMemoryDeleter>;

}  // namespace platform
