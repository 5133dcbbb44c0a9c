#pragma once
// What every erasure primitive is handed by its caller.
#include <functional>

namespace engine {

struct EraseContext {
  // Lets the window process pending messages; the name-matching walks call it after each file.
  std::function<void()> pump;

  void Pump() const {
    if (pump) pump();
  }
};

}  // namespace engine
