#pragma once
// Owner of one COM interface pointer: releases it when it goes out of scope.
#include <objbase.h>
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

// Enters a single-threaded apartment for its lifetime unless the thread is already in one; a thread
// in the multithreaded apartment stays there and can use COM as it is.
class ComApartment {
 public:
  ComApartment() : entered_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(entered_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT entered_;
};

}  // namespace platform
