#pragma once
// What a run really erased (or, in a preview, would erase) item by item, beside the estimated
// counters: every file with its size, folder, registry key and value, every step that is not an
// erasure (a command line, the clipboard, the recycle bin), and what stayed although it was meant
// to go.
#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

namespace engine {

struct FileRecord {
  std::wstring path;
  double size = 0;
};

struct LeftRecord {
  std::wstring path;
  std::wstring reason;  // "in use", "access denied", "read-only", ...
};

struct ItemReport {
  std::wstring section;
  std::wstring key;
  std::wstring label;
  std::wstring outcome;  // the text the row got last ("Done", "Only Support IE9, IE10." ...)
  std::vector<FileRecord> files;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> keys;    // full registry paths
  std::vector<std::wstring> values;  // key path + "\" + value name ("(Default)" for the default value)
  std::vector<std::wstring> steps;
  std::vector<LeftRecord> leftBehind;
  // What the item added to the run's counters.
  double estimatedKeys = 0;
  double estimatedBytes = 0;

  double Bytes() const;
  size_t RegistryEntries() const { return keys.size() + values.size(); }
};

struct ReportTotals {
  size_t files = 0;
  size_t folders = 0;
  size_t registryEntries = 0;
  size_t steps = 0;
  size_t leftBehind = 0;
  double bytes = 0;
  double estimatedKeys = 0;
  double estimatedBytes = 0;
};

struct RunReport {
  bool preview = false;
  bool stopped = false;  // a stop cut the run or preview short
  std::vector<ItemReport> items;

  ReportTotals Totals() const;
  bool LeftSomethingBehind() const;
};

// Fills a report while a run goes: the run opens an item, the primitives record into it. Records
// that arrive while no item is open are dropped. A path an item has recorded already is not
// recorded again: in a preview nothing goes, so a later step of the item (a folder emptied, then
// re-created) meets the same files again.
class RunRecorder {
 public:
  explicit RunRecorder(RunReport& report) : report_(report) {}

  void BeginItem(const std::wstring& section, const std::wstring& key, const std::wstring& label);
  ItemReport* Current();
  void EndItem() { open_ = false; }

  void File(const std::wstring& path, double size);
  void Folder(const std::wstring& path);
  void Key(const std::wstring& path);
  void Value(const std::wstring& key, const std::wstring& name);
  void Step(const std::wstring& description);
  void LeftBehind(const std::wstring& path, const std::wstring& reason);

 private:
  // True the first time the item records this kind of entry for this path (letter case ignored).
  bool FirstTime(wchar_t kind, const std::wstring& path);

  RunReport& report_;
  bool open_ = false;
  std::unordered_set<std::wstring> recorded_;
};

// "12 files, 3.40 MB, 5 registry entries", with the steps and what stayed behind when there are any.
std::wstring CountsText(const ItemReport& item);

// The details of one item, one line each: what went (or would go), then what stayed behind.
std::vector<std::wstring> DetailLines(const ItemReport& item, bool preview);

}  // namespace engine
