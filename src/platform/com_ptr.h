#pragma once
// Owner of one COM interface pointer: releases it when it goes out of scope.
#include <unknwn.h>

#include "platform/handles.h"

namespace platform {

template <typename Interface>
struct ComTraits {
  using Raw = Interface*;
  static Raw Invalid() { return nullptr; }
  static void Close(Raw pointer) { pointer->Release(); }
};

// Fill with IID_PPV_ARGS(pointer.out()).
template <typename Interface>
using ComPtr = Unique<ComTraits<Interface>>;

}  // namespace platform
