#pragma once
// What an item's erasure steps are handed while the run executes them.
#include <string>

#include "engine/erase_context.h"
#include "engine/process_values.h"
#include "engine/run_view.h"

namespace engine {

// The outcome of the item a stop cut short.
constexpr wchar_t kStoppedOutcome[] = L"Stopped";

// Estimates, not measurements: registry deletions count fixed amounts, file operations the sizes
// they attempted to delete.
struct RunCounters {
  double cleanedKeys = 0;
  double releasedBytes = 0;
};

// What items learn once per run and later items use; empty at the start of every run.
struct RunState {
  std::wstring officeVersion;  // "8.0" to "15.0", or empty
};

struct ItemContext {
  const EraseContext& erase;
  RunCounters& counters;
  RunState& run;
  const ProcessValues& values;
  const std::wstring& programFolder;
  RunView& view;
  // Written into the item's row after its steps.
  std::wstring outcome = L"Done";

  // Names the item that runs now in its row and the status line: "Cleaning " + label + " ......" (a
  // preview shows "Looking at " in the status line instead).
  void ShowRunning(const std::wstring& label) {
    std::wstring text = std::wstring(erase.Previewing() ? L"Looking at " : L"Cleaning ") + label + L" ......";
    view.SetRowState(text);
    view.SetStatusLine(text);
  }

  void AddKeys(double count) { counters.cleanedKeys += count; }
  void AddBytes(double bytes) { counters.releasedBytes += bytes; }
};

}  // namespace engine
