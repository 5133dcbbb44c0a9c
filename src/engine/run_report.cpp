#include "engine/run_report.h"

#include <windows.h>

#include <initializer_list>
#include <string_view>

#include "platform/format.h"
#include "platform/text.h"

namespace engine {

namespace {

// A line of the details, its parts joined in one allocation. A report of many thousand files builds
// no temporaries: under Wine, the holes they leave among the kept lines make every later allocation
// walk a longer free list, and a report of 50,000 files took ten seconds to write.
std::wstring Joined(std::initializer_list<std::wstring_view> parts) {
  size_t size = 0;
  for (std::wstring_view part : parts) size += part.size();
  std::wstring line;
  line.reserve(size);
  for (std::wstring_view part : parts) line += part;
  return line;
}

}  // namespace

double ItemReport::Bytes() const {
  double bytes = 0;
  for (const FileRecord& file : files) bytes += file.size;
  return bytes;
}

ReportTotals RunReport::Totals() const {
  ReportTotals totals;
  for (const ItemReport& item : items) {
    totals.files += item.files.size();
    totals.folders += item.folders.size();
    totals.registryEntries += item.RegistryEntries();
    totals.steps += item.steps.size();
    totals.leftBehind += item.leftBehind.size();
    totals.bytes += item.Bytes();
    totals.estimatedKeys += item.estimatedKeys;
    totals.estimatedBytes += item.estimatedBytes;
  }
  return totals;
}

bool RunReport::LeftSomethingBehind() const {
  for (const ItemReport& item : items) {
    if (!item.leftBehind.empty()) return true;
  }
  return false;
}

void RunRecorder::BeginItem(const std::wstring& section, const std::wstring& key, const std::wstring& label) {
  ItemReport item;
  item.section = section;
  item.key = key;
  item.label = label;
  report_.items.push_back(std::move(item));
  open_ = true;
  recorded_.clear();
}

bool RunRecorder::FirstTime(wchar_t kind, const std::wstring& path) {
  // Built in one allocation, for the reason Joined gives.
  std::wstring key;
  key.reserve(path.size() + 1);
  key += kind;
  key += path;
  CharLowerBuffW(key.data() + 1, static_cast<DWORD>(path.size()));
  return recorded_.insert(std::move(key)).second;
}

ItemReport* RunRecorder::Current() { return open_ ? &report_.items.back() : nullptr; }

void RunRecorder::File(const std::wstring& path, double size) {
  ItemReport* item = Current();
  if (item && FirstTime(L'f', path)) item->files.push_back({path, size});
}

void RunRecorder::Folder(const std::wstring& path) {
  ItemReport* item = Current();
  if (item && FirstTime(L'd', path)) item->folders.push_back(path);
}

void RunRecorder::Key(const std::wstring& path) {
  ItemReport* item = Current();
  if (item && FirstTime(L'k', path)) item->keys.push_back(path);
}

void RunRecorder::Value(const std::wstring& key, const std::wstring& name) {
  std::wstring value = key + L"\\" + (name.empty() ? L"(Default)" : name);
  ItemReport* item = Current();
  if (item && FirstTime(L'v', value)) item->values.push_back(value);
}

void RunRecorder::Step(const std::wstring& description) {
  if (ItemReport* item = Current()) item->steps.push_back(description);
}

void RunRecorder::LeftBehind(const std::wstring& path, const std::wstring& reason) {
  if (ItemReport* item = Current()) item->leftBehind.push_back({path, reason});
}

std::wstring CountsText(const ItemReport& item) {
  std::wstring text = platform::Counted(item.files.size(), L"file", L"files") + L", " + platform::Megabytes(item.Bytes()) + L" MB" + L", " +
                      platform::Counted(item.RegistryEntries(), L"registry entry", L"registry entries");
  if (!item.steps.empty()) text += L", " + platform::Counted(item.steps.size(), L"step", L"steps");
  if (!item.leftBehind.empty()) text += L", " + std::to_wstring(item.leftBehind.size()) + L" left behind";
  return text;
}

std::vector<std::wstring> DetailLines(const ItemReport& item, bool preview) {
  std::vector<std::wstring> lines;
  lines.reserve(item.files.size() + item.folders.size() + item.keys.size() + item.values.size() +
                item.steps.size() + item.leftBehind.size() + 1);
  if (!preview && !item.leftBehind.empty()) {
    lines.push_back(L"This item left " + std::to_wstring(item.leftBehind.size()) +
                    (item.leftBehind.size() == 1 ? L" entry" : L" entries") + L" behind.");
  }
  const std::wstring_view file = preview ? L"Would erase file: " : L"Erased file: ";
  for (const FileRecord& record : item.files) {
    lines.push_back(Joined({file, record.path, L" (", platform::FormatNumber(record.size), L" bytes)"}));
  }
  for (const std::wstring& folder : item.folders) {
    lines.push_back(Joined({preview ? L"Would remove folder: " : L"Removed folder: ", folder}));
  }
  for (const std::wstring& key : item.keys) lines.push_back(Joined({preview ? L"Would delete key: " : L"Deleted key: ", key}));
  for (const std::wstring& value : item.values) {
    lines.push_back(Joined({preview ? L"Would delete value: " : L"Deleted value: ", value}));
  }
  for (const std::wstring& step : item.steps) lines.push_back(Joined({preview ? L"Would run: " : L"Ran: ", step}));
  for (const LeftRecord& left : item.leftBehind) lines.push_back(Joined({L"Left behind (", left.reason, L"): ", left.path}));
  if (lines.empty()) lines.push_back(preview ? L"Nothing to erase." : L"Nothing was erased.");
  return lines;
}

}  // namespace engine
