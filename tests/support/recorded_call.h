#pragma once
// One erasure primitive called in a given mode, recording into a report of its own.
#include <set>
#include <string>
#include <type_traits>

#include "engine/erase_context.h"
#include "engine/run_report.h"

namespace testing_support {

struct Recorded {
  engine::RunReport report;
  double figure = 0;
  const engine::ItemReport& item() const { return report.items.front(); }
  std::set<std::wstring> Files() const {
    std::set<std::wstring> files;
    for (const engine::FileRecord& file : item().files) files.insert(file.path);
    return files;
  }
  // Why the path stayed, empty when it did not.
  std::wstring ReasonFor(const std::wstring& path) const {
    for (const engine::LeftRecord& left : item().leftBehind) {
      if (left.path == path) return left.reason;
    }
    return L"";
  }
};

// The primitive's figure is kept when it returns one.
template <typename Primitive>
Recorded Call(engine::EraseMode mode, Primitive&& primitive) {
  Recorded recorded;
  engine::RunRecorder recorder(recorded.report);
  recorder.BeginItem(L"s", L"k", L"item");
  engine::EraseContext erase;
  erase.mode = mode;
  erase.recorder = &recorder;
  if constexpr (std::is_void_v<std::invoke_result_t<Primitive&, const engine::EraseContext&>>) {
    primitive(erase);
  } else {
    recorded.figure = primitive(erase);
  }
  return recorded;
}

}  // namespace testing_support
