#pragma once
// What the stages of a run, and the steps of their items, are handed while the run goes.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/erase_context.h"
#include "engine/user_folders.h"
#include "platform/locale_format.h"
#include "platform/translation.h"
#include "run/process_values.h"
#include "run/run_view.h"
#include "settings/policies.h"

namespace run {

// The outcome of an item that ran to its end.
constexpr const wchar_t* kDone = platform::TrLater(L"Done");
// The outcome of the item a stop cut short.
constexpr const wchar_t* kStoppedOutcome = platform::TrLater(L"Stopped");
// The outcome of an item whose program is not on this computer: it touched nothing.
constexpr const wchar_t* kNotInstalledOutcome = platform::TrLater(L"Not installed");
// The outcome of a custom item none of whose files and folders is there.
constexpr const wchar_t* kNotFoundOutcome = platform::TrLater(L"Not found");

// Estimates, not measurements: registry deletions count fixed amounts, file operations the sizes
// they attempted to delete.
struct RunCounters {
  double cleanedKeys = 0;
  double releasedBytes = 0;
};

// What items learn once per run and later items use; empty at the start of every run.
struct RunState {
  std::wstring officeVersion;  // "8.0" to "15.0", or empty
  bool begun = false;          // whether an item has begun: the first one's status line is read out
};

// Whether an item (its section and key: "Custom/Custom", "plus-in/<appname>" for a plug-in) runs in
// this call, whatever its switch says.
using ItemChoice = std::function<bool(const std::wstring& section, const std::wstring& key)>;

struct ItemContext {
  const engine::EraseContext& erase;
  RunCounters& counters;
  RunState& run;
  const ProcessValues& values;
  const std::wstring& programFolder;
  RunView& view;
  // The items chosen for this call; empty: each item's own switch decides.
  const ItemChoice& choice;
  // Written into the item's row when it ends, in the language shown.
  std::wstring outcome = platform::Tr(kDone);

  // The item runs when chosen, or, without a choice, when its switch says so; the switch is read only
  // without a choice. A selection fixed by policy comes first: its items run unless a choice leaves
  // them out, and an item outside it runs only where the selection may grow.
  template <typename SwitchedOn>
  bool Runs(const std::wstring& section, const std::wstring& key, const SwitchedOn& switchedOn) const {
    const std::optional<bool> fixed = settings::PolicySelects(settings::PoliciesInForce(), section, key);
    if (fixed && (!choice || !*fixed)) return *fixed;
    return choice ? choice(section, key) : switchedOn();
  }

  // Opens the item's row and its entry in the report, and names it in the row and the status line
  // as "Cleaning " + label + " ......" (a preview's status line says "Looking at "). The label is the
  // one shown, in the language in force where the item's own is a text of the program's.
  void BeginItem(const std::wstring& section, const std::wstring& key, const std::wstring& label) {
    view.AddRow(label);
    if (erase.recorder) erase.recorder->BeginItem(section, key, label);
    keysAtBegin = counters.cleanedKeys;
    bytesAtBegin = counters.releasedBytes;
    outcome = platform::Tr(kDone);
    const std::wstring text = platform::Fill(erase.Previewing() ? platform::Tr(L"Looking at {name} ......")
                                                                : platform::Tr(L"Cleaning {name} ......"),
                                             {{L"name", label}});
    view.SetRowState(text);
    // A screen reader hears that the run began, with its first item; not each item after it.
    if (run.begun) {
      view.SetStatusLine(text);
    } else {
      view.AnnounceStatusLine(text);
      run.begun = true;
    }
  }
  // Writes the outcome into the row ("Stopped" when a stop cut the item short; "Done, 3 left behind"
  // when something stayed, so no failure reads as a success; what went inside a database, which no
  // file column shows) with the item's figures, and closes the
  // report entry with what the item added to the counters.
  void EndItem() {
    std::wstring text = erase.Stopped() ? platform::Tr(kStoppedOutcome) : outcome;
    engine::ItemReport* item = erase.recorder ? erase.recorder->Current() : nullptr;
    if (item && !item->databases.empty()) {
      text += L", " + engine::DatabaseSummary(item->databases.size(), item->DatabaseRows(), item->DatabaseBytes());
    }
    if (item && !item->leftBehind.empty()) {
      text += platform::WithCount(platform::Tr(L", {count} left behind"), item->leftBehind.size());
    }
    view.SetRowState(text);
    if (item) {
      view.SetRowFigures(*item);
      item->outcome = text;
      item->estimatedKeys = counters.cleanedKeys - keysAtBegin;
      item->estimatedBytes = counters.releasedBytes - bytesAtBegin;
    }
    if (erase.recorder) erase.recorder->EndItem();
  }
  // Marks the item as one whose program is not on this computer: none of the folders and keys it
  // would touch exists.
  void NotInstalled(std::vector<std::wstring> lookedFor, const wchar_t* said = kNotInstalledOutcome) {
    outcome = platform::Tr(said);
    engine::ItemReport* item = erase.recorder ? erase.recorder->Current() : nullptr;
    if (item) item->lookedFor = std::move(lookedFor);
  }
  // The bar stays where a stop left it.
  void SetProgress(int value) {
    if (!erase.Stopped()) view.SetProgress(value);
  }

  // The run's user's roaming and local application data folders (values.appDataFolder,
  // values.localAppDataFolder); one that another user's hive named outside the profile is empty, and
  // the item records why.
  std::wstring AppDataFolder() const { return engine::UseFolder(erase, {values.appDataFolder, values.appDataRefused}); }
  std::wstring LocalAppDataFolder() const {
    return engine::UseFolder(erase, {values.localAppDataFolder, values.localAppDataRefused});
  }

  void AddKeys(double count) { counters.cleanedKeys += count; }
  void AddBytes(double bytes) { counters.releasedBytes += bytes; }

  // The counters when the open item began.
  double keysAtBegin = 0, bytesAtBegin = 0;
};

}  // namespace run
