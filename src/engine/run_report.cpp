#include "engine/run_report.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <unordered_set>
#include <utility>

#include "platform/locale_format.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace engine {

namespace {

// The forms of the lines of each list of the details: in a preview, then in a cleaning.
enum class List { Files, Folders, Keys, Values, Steps, FilesAgain, FoldersAgain, KeysAgain, ValuesAgain, Databases };
using Forms = std::array<const wchar_t*, 2>;
constexpr Forms kForms[] = {
    {platform::TrLater(L"Would erase file: {path} ({bytes} bytes)"),
     platform::TrLater(L"Erased file: {path} ({bytes} bytes)")},
    {platform::TrLater(L"Would remove folder: {path}"), platform::TrLater(L"Removed folder: {path}")},
    {platform::TrLater(L"Would delete key: {path}"), platform::TrLater(L"Deleted key: {path}")},
    {platform::TrLater(L"Would delete value: {path}"), platform::TrLater(L"Deleted value: {path}")},
    {platform::TrLater(L"Would run: {step}"), platform::TrLater(L"Ran: {step}")},
    {platform::TrLater(L"Would erase file: {path} ({bytes} bytes, already counted)"),
     platform::TrLater(L"Erased file: {path} ({bytes} bytes, already counted)")},
    {platform::TrLater(L"Would remove folder: {path} (already counted)"),
     platform::TrLater(L"Removed folder: {path} (already counted)")},
    {platform::TrLater(L"Would delete key: {path} (already counted)"),
     platform::TrLater(L"Deleted key: {path} (already counted)")},
    {platform::TrLater(L"Would delete value: {path} (already counted)"),
     platform::TrLater(L"Deleted value: {path} (already counted)")},
    {platform::TrLater(L"Would clean inside: {path} (already counted)"),
     platform::TrLater(L"Cleaned inside: {path} (already counted)")},
};

const Forms* FormsOf(List list) { return &kForms[static_cast<size_t>(list)]; }

// A line of the details: its form, looked up already, with each placeholder named in `values` filled
// and `tail` after it, in one allocation. A report of many thousand files builds no temporaries:
// under Wine, the holes they leave among the kept lines make every later allocation walk a longer
// free list, and a report of 50,000 files took ten seconds to write.
std::wstring Line(std::wstring_view form, std::initializer_list<std::pair<std::wstring_view, std::wstring_view>> values,
                  std::wstring_view tail = {}) {
  auto walk = [&](auto&& add) {
    for (size_t at = 0; at < form.size(); ++at) {
      const size_t end = form[at] == L'{' ? form.find(L'}', at) : std::wstring_view::npos;
      const std::wstring_view name = end == std::wstring_view::npos ? L"" : form.substr(at + 1, end - at - 1);
      auto value = std::find_if(values.begin(), values.end(), [&](const auto& pair) { return pair.first == name; });
      if (value == values.end()) {
        add(form.substr(at, 1));
        continue;
      }
      add(value->second);
      at = end;
    }
    add(tail);
  };
  size_t size = 0;
  walk([&size](std::wstring_view part) { size += part.size(); });
  std::wstring line;
  line.reserve(size);
  walk([&line](std::wstring_view part) { line += part; });
  return line;
}

std::wstring FilesText(size_t files) {
  return platform::WithCount(platform::TrPlural(L"{count} file", L"{count} files", files), files);
}

std::wstring EntriesText(size_t entries) {
  return platform::WithCount(platform::TrPlural(L"{count} registry entry", L"{count} registry entries", entries),
                             entries);
}

std::wstring RowsText(size_t rows) {
  return platform::WithCount(platform::TrPlural(L"{count} row", L"{count} rows", rows), rows);
}

// Each database cleaned inside: a line per table that lost rows, and one for its compaction when it
// was done.
size_t DatabaseLines(const ItemReport& item) {
  size_t lines = 0;
  for (const DatabaseRecord& database : item.databases) lines += database.tables.size() + (database.bytesFreed ? 1 : 0);
  return lines;
}

// The line at `index` among the databases' lines; else nothing, with the index moved past them.
std::optional<std::wstring> DatabaseLine(const ItemReport& item, size_t& index, bool preview) {
  for (const DatabaseRecord& database : item.databases) {
    if (index < database.tables.size()) {
      const auto& [table, rows] = database.tables[index];
      return Line(preview ? platform::Tr(L"Would remove {rows} from {table} inside {path}")
                          : platform::Tr(L"Removed {rows} from {table} inside {path}"),
                  {{L"rows", RowsText(rows)}, {L"table", table}, {L"path", database.path}});
    }
    index -= database.tables.size();
    if (!database.bytesFreed) continue;
    if (index == 0) {
      return Line(platform::Tr(L"Compacted {path}: {bytes} bytes freed"),
                  {{L"path", database.path}, {L"bytes", platform::ShownNumber(*database.bytesFreed)}});
    }
    --index;
  }
  return std::nullopt;
}

// The line at `index` among the opening ones: how much stayed behind (with `summary`), and for an
// item that found nothing, why and what it looked for; else nothing, with the index moved past them.
std::optional<std::wstring> OpeningLine(const ItemReport& item, bool summary, size_t& index) {
  if (summary) {
    if (index == 0) {
      const size_t left = item.leftBehind.size();
      return platform::WithCount(platform::TrPlural(L"This item left {count} entry behind.",
                                                    L"This item left {count} entries behind.", left),
                                 left);
    }
    --index;
  }
  if (item.lookedFor.empty()) return std::nullopt;
  if (index == 0) {
    // The user's own files and folders are found or not; a program is installed or not.
    return item.outcome.starts_with(platform::Tr(L"Not found"))
               ? platform::Tr(L"Not found: none of the files and folders of the list exists; nothing was touched.")
               : platform::Tr(
                     L"Not installed: none of the folders and keys this item cleans exists; nothing was touched.");
  }
  if (index <= item.lookedFor.size())
    return Line(platform::Tr(L"Looked for: {path}"), {{L"path", item.lookedFor[index - 1]}});
  index -= 1 + item.lookedFor.size();
  return std::nullopt;
}

// A path in lower case, in one allocation, for the reason Line gives.
std::wstring Lowered(wchar_t kind, std::wstring_view path) {
  std::wstring key;
  key.reserve(path.size() + 1);
  key += kind;
  key += path;
  CharLowerBuffW(key.data() + 1, static_cast<DWORD>(path.size()));
  return key;
}

std::wstring FigureText(size_t files, double bytes, size_t registryEntries, const std::wstring& databases) {
  return platform::Fill(platform::Tr(L"{files}, {megabytes} MB, {entries}"),
                        {{L"files", FilesText(files)},
                         {L"megabytes", platform::ShownMegabytes(bytes)},
                         {L"entries", EntriesText(registryEntries)}}) +
         (databases.empty() ? L"" : L", " + databases);
}

}  // namespace

FileRecords::FileRecords(std::initializer_list<FileRecord> records) {
  for (const FileRecord& record : records) push_back(record);
}

void FileRecords::push_back(const FileRecord& record) {
  size_t slash = record.path.find_last_of(L'\\');
  std::wstring_view folder =
      slash == std::wstring::npos ? std::wstring_view() : std::wstring_view(record.path).substr(0, slash);
  std::uint32_t place = kNoFolder;
  if (slash != std::wstring::npos) {
    if (folders_.empty() || folders_.back() != folder) folders_.emplace_back(folder);
    place = static_cast<std::uint32_t>(folders_.size() - 1);
  }
  entries_.push_back({place, static_cast<std::uint32_t>(names_.size()), record.reason, record.size});
  names_.append(record.path, slash == std::wstring::npos ? 0 : slash + 1);
}

FileRecord FileRecords::operator[](size_t index) const {
  const Entry& entry = entries_[index];
  size_t end = index + 1 < entries_.size() ? entries_[index + 1].nameStart : names_.size();
  std::wstring_view name = std::wstring_view(names_).substr(entry.nameStart, end - entry.nameStart);
  if (entry.folder == kNoFolder) return {std::wstring(name), entry.size, entry.reason};
  const std::wstring& folder = folders_[entry.folder];
  std::wstring path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += L'\\';
  path += name;
  return {std::move(path), entry.size, entry.reason};
}

size_t DatabaseRecord::Rows() const {
  size_t rows = 0;
  for (const auto& [table, lost] : tables) rows += lost;
  return rows;
}

size_t ItemReport::DatabaseRows() const {
  size_t rows = 0;
  for (const DatabaseRecord& database : databases) rows += database.Rows();
  return rows;
}

std::optional<double> ItemReport::DatabaseBytes() const {
  double bytes = 0;
  for (const DatabaseRecord& database : databases) {
    if (!database.bytesFreed) return std::nullopt;
    bytes += *database.bytesFreed;
  }
  return bytes;
}

double ItemReport::Bytes() const {
  double bytes = 0;
  for (size_t i = 0; i < files.size(); ++i) bytes += files.Size(i);
  return bytes;
}

namespace {

// Each kind of kept record, in the order of KeptFor: the letter its names are told apart by, and the
// total that counts them.
constexpr std::pair<wchar_t, size_t ReportTotals::*> kKeptCounts[] = {{L's', &ReportTotals::keptSites},
                                                                      {L'a', &ReportTotals::keptAddresses},
                                                                      {L'p', &ReportTotals::keptPaths}};

}  // namespace

ReportTotals RunReport::Totals(size_t first, size_t end) const {
  ReportTotals totals;
  std::unordered_set<std::wstring> kept;
  for (size_t i = first; i < end && i < items.size(); ++i) {
    const ItemReport& item = items[i];
    totals.files += item.files.size();
    totals.folders += item.folders.size();
    totals.registryEntries += item.RegistryEntries();
    totals.steps += item.steps.size();
    totals.leftBehind += item.leftBehind.size();
    totals.tooNew += item.tooNew.size();
    for (const KeptRecord& record : item.kept) {
      const auto& [letter, count] = kKeptCounts[static_cast<size_t>(record.kind)];
      if (kept.insert(Lowered(letter, record.name)).second) ++(totals.*count);
    }
    totals.bytes += item.Bytes();
    totals.databases += item.databases.size();
    totals.databaseRows += item.DatabaseRows();
    totals.databaseBytes += item.DatabaseBytes().value_or(0);
    totals.estimatedKeys += item.estimatedKeys;
    totals.estimatedBytes += item.estimatedBytes;
  }
  return totals;
}

bool RunReport::LeftSomethingBehind() const { return ItemsLeavingSomething() > 0; }

size_t RunReport::ItemsLeavingSomething() const {
  return std::count_if(items.begin(), items.end(), [](const ItemReport& item) { return !item.leftBehind.empty(); });
}

void RunRecorder::BeginItem(const std::wstring& section, const std::wstring& key, const std::wstring& label) {
  ItemReport item;
  item.section = section;
  item.key = key;
  item.label = label;
  report_.items.push_back(std::move(item));
  open_ = true;
  reason_ = 0;
}

RunRecorder::Met RunRecorder::Meet(wchar_t kind, const std::wstring& path) {
  const size_t item = report_.items.size() - 1;
  auto [at, inserted] = recorded_.try_emplace(Lowered(kind, path), Lister{item, item});
  if (inserted) return Met::First;
  if (at->second.last == item) return Met::InThisItem;
  at->second.last = item;
  return Met::Earlier;
}

bool RunRecorder::ErasedEarlier(const std::wstring& key) const {
  const size_t item = report_.items.size() - 1;
  std::wstring probe = Lowered(L'k', key);
  for (;;) {
    auto at = recorded_.find(probe);
    if (at != recorded_.end() && at->second.first < item) return true;
    size_t slash = probe.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    probe.resize(slash);
  }
}

void EntryReasons::Set(size_t place, std::uint32_t reason) {
  if (reason == 0) return;
  if (reasons_.size() <= place) reasons_.resize(place + 1);
  reasons_[place] = reason;
}

void RunRecorder::Add(Met met, std::vector<std::wstring> ItemReport::*counted, EntryReasons ItemReport::*reasons,
                      std::vector<std::wstring> CountedEntries::*again, std::wstring text) {
  if (met == Met::InThisItem) return;
  ItemReport& item = report_.items.back();
  if (met != Met::First) {
    (item.alreadyCounted.*again).push_back(std::move(text));
    return;
  }
  (item.*counted).push_back(std::move(text));
  (item.*reasons).Set((item.*counted).size() - 1, reason_);
}

RunRecorder::Met RunRecorder::MeetFile(const std::wstring& path) {
  constexpr std::uint32_t kAgain = 0x80000000;  // the place is in the item's already counted files
  // Kept at most half full, so that a probe ends soon at a free slot.
  if (2 * (filesMet_ + 1) > fileSlots_.size()) {
    std::vector<FileSlot> slots(std::max<size_t>(64, 2 * fileSlots_.size()));
    for (const FileSlot& slot : fileSlots_) {
      if (!slot.place) continue;
      size_t at = slot.hash & (slots.size() - 1);
      while (slots[at].place) at = (at + 1) & (slots.size() - 1);
      slots[at] = slot;
    }
    fileSlots_.swap(slots);
  }
  const ItemReport& item = report_.items.back();
  const auto current = static_cast<std::uint32_t>(report_.items.size() - 1);
  const std::wstring key = Lowered(L'f', path);
  const auto hash = static_cast<std::uint32_t>(std::hash<std::wstring>()(key));
  size_t at = hash & (fileSlots_.size() - 1);
  for (; fileSlots_[at].place; at = (at + 1) & (fileSlots_.size() - 1)) {
    FileSlot& slot = fileSlots_[at];
    if (slot.hash != hash) continue;
    const ItemReport& lister = report_.items[slot.item];
    const std::uint32_t place = slot.place - 1;
    const FileRecords& files = (place & kAgain) ? lister.alreadyCounted.files : lister.files;
    if (Lowered(L'f', files[place & ~kAgain].path) != key) continue;
    if (slot.item == current) return Met::InThisItem;
    slot = {current, static_cast<std::uint32_t>(item.alreadyCounted.files.size() | kAgain) + 1, hash};
    return Met::Earlier;
  }
  fileSlots_[at] = {current, static_cast<std::uint32_t>(item.files.size() + 1), hash};
  ++filesMet_;
  return Met::First;
}

ItemReport* RunRecorder::Current() { return open_ ? &report_.items.back() : nullptr; }

void RunRecorder::File(const std::wstring& path, double size, std::uint32_t reason) {
  ItemReport* item = Current();
  if (!item) return;
  Met met = MeetFile(path);
  if (met != Met::InThisItem) {
    (met == Met::First ? item->files : item->alreadyCounted.files).push_back({path, size, reason});
  }
}

std::uint32_t RunRecorder::ReasonFor(const std::wstring& line, const std::wstring& pattern) {
  auto [place, added] =
      reasonPlaces_.try_emplace(line + L"\t" + pattern, static_cast<std::uint32_t>(report_.reasons.size() + 1));
  if (added) report_.reasons.push_back({line, pattern});
  return place->second;
}

void RunRecorder::Folder(const std::wstring& path) {
  if (Current())
    Add(Meet(L'd', path), &ItemReport::folders, &ItemReport::folderReasons, &CountedEntries::folders, path);
}

void RunRecorder::Key(const std::wstring& path) {
  if (!Current()) return;
  Met met = Meet(L'k', path);
  size_t slash = path.find_last_of(L'\\');
  if (met == Met::First && slash != std::wstring::npos && ErasedEarlier(path.substr(0, slash))) met = Met::Earlier;
  Add(met, &ItemReport::keys, &ItemReport::keyReasons, &CountedEntries::keys, path);
}

void RunRecorder::Value(const std::wstring& key, const std::wstring& name) {
  if (!Current()) return;
  std::wstring value = key + L"\\" + (name.empty() ? L"(Default)" : name);
  Met met = Meet(L'v', value);
  if (met == Met::First && ErasedEarlier(key)) met = Met::Earlier;
  Add(met, &ItemReport::values, &ItemReport::valueReasons, &CountedEntries::values, std::move(value));
}

void RunRecorder::Step(const std::wstring& description) {
  if (ItemReport* item = Current()) item->steps.push_back(description);
}

void RunRecorder::Database(DatabaseRecord record) {
  ItemReport* item = Current();
  if (!item) return;
  // A database an earlier item cleaned inside is that item's: a preview counts the same rows again, a
  // cleaning finds none left.
  const bool nothingNew = report_.preview || (record.Rows() == 0 && record.bytesFreed.value_or(0) == 0);
  if (Meet(L'b', record.path) == Met::Earlier && nothingNew) {
    item->alreadyCounted.databases.push_back(std::move(record.path));
    return;
  }
  item->databases.push_back(std::move(record));
}

void RunRecorder::LeftBehind(const std::wstring& path, const std::wstring& reason) {
  if (ItemReport* item = Current()) item->leftBehind.push_back({path, reason, {}});
}

void RunRecorder::Refused(const std::wstring& path, const std::wstring& why) {
  if (ItemReport* item = Current()) item->leftBehind.push_back({path, RefusedText(why), why});
}

void RunRecorder::Kept(const std::wstring& path, KeptFor kind, const std::wstring& name, const std::wstring& what) {
  if (ItemReport* item = Current()) item->kept.push_back({path, kind, name, what});
}

void RunRecorder::TooNew(const std::wstring& path) {
  if (ItemReport* item = Current(); item && Meet(L't', path) == Met::First) item->tooNew.push_back(path);
}

std::wstring ErasureSummary(const ReportTotals& totals) {
  return platform::Fill(platform::Tr(L"{files} ({megabytes} MB) and {entries}"),
                        {{L"files", FilesText(totals.files)},
                         {L"megabytes", platform::ShownMegabytes(totals.bytes)},
                         {L"entries", EntriesText(totals.registryEntries)}});
}

std::wstring RefusedText(const std::wstring& why) {
  return platform::Fill(platform::Tr(L"refused: {reason}"), {{L"reason", why}});
}

std::wstring UserGroupTitle(const UserGroup& user) {
  return platform::Fill(platform::Tr(L"User {user} ({folder})"), {{L"user", user.name}, {L"folder", user.folder}});
}

std::wstring UserGroupTotals(const RunReport& report, const UserGroup& user) {
  const ReportTotals totals = report.Totals(user.first, user.end);
  std::wstring text = platform::Fill(platform::Tr(L"Totals of {user}: {summary}"),
                                     {{L"user", user.name}, {L"summary", ErasureSummary(totals)}});
  // A preview's compactions are still to come: its databases are named by their rows alone.
  const std::optional<double> bytes = report.preview ? std::nullopt : std::optional(totals.databaseBytes);
  if (totals.databases) text += L", " + DatabaseSummary(totals.databases, totals.databaseRows, bytes);
  return text;
}

std::wstring TooNewSummary(const ReportTotals& totals) {
  if (totals.tooNew == 0) return {};
  return platform::Fill(platform::Tr(L" Too new to erase: {files}."), {{L"files", FilesText(totals.tooNew)}});
}

std::wstring KeptSummary(const ReportTotals& totals) {
  std::wstring text;
  auto add = [&text](const wchar_t* form, size_t count) {
    text += (text.empty() ? L"" : L", ") + platform::WithCount(form, count);
  };
  if (totals.keptSites) add(platform::TrPlural(L"{count} site", L"{count} sites", totals.keptSites), totals.keptSites);
  if (totals.keptAddresses) {
    add(platform::TrPlural(L"{count} address", L"{count} addresses", totals.keptAddresses), totals.keptAddresses);
  }
  if (totals.keptPaths) {
    add(platform::TrPlural(L"{count} file or folder kept by you", L"{count} files and folders kept by you",
                           totals.keptPaths),
        totals.keptPaths);
  }
  return text.empty() ? text : platform::Fill(platform::Tr(L"kept: {what}"), {{L"what", text}});
}

std::wstring DatabaseSummary(size_t databases, size_t rows, std::optional<double> bytes) {
  if (databases == 0) return {};
  const std::wstring inside =
      platform::WithCount(platform::TrPlural(L"{count} database", L"{count} databases", databases), databases);
  if (!bytes) {
    return platform::Fill(platform::Tr(L"{rows} to remove inside {databases}"),
                          {{L"rows", RowsText(rows)}, {L"databases", inside}});
  }
  return platform::Fill(platform::Tr(L"{rows} removed inside {databases}, {megabytes} MB freed"),
                        {{L"rows", RowsText(rows)},
                         {L"databases", inside},
                         {L"megabytes", platform::ShownMegabytes(*bytes)}});
}

std::wstring PreviewState(const ItemReport& item) {
  const bool erases = !item.files.empty() || !item.folders.empty() || item.RegistryEntries() > 0;
  std::wstring text = erases || !item.databases.empty() ? platform::Tr(L"Would erase")
                      : !item.steps.empty()             ? platform::Tr(L"Would run")
                                                        : platform::Tr(L"Nothing to erase");
  if (!item.databases.empty()) {
    text += L", " + DatabaseSummary(item.databases.size(), item.DatabaseRows(), item.DatabaseBytes());
  }
  if (!item.leftBehind.empty()) {
    text += platform::WithCount(platform::Tr(L", {count} left behind"), item.leftBehind.size());
  }
  return text;
}

std::wstring MeasuredFigures(const ReportTotals& totals) {
  return FigureText(totals.files, totals.bytes, totals.registryEntries,
                    DatabaseSummary(totals.databases, totals.databaseRows, totals.databaseBytes));
}

std::wstring CountsText(const ItemReport& item) {
  std::wstring text = FigureText(item.files.size(), item.Bytes(), item.RegistryEntries(),
                                 DatabaseSummary(item.databases.size(), item.DatabaseRows(), item.DatabaseBytes()));
  if (!item.steps.empty()) {
    text += L", " + platform::WithCount(platform::TrPlural(L"{count} step", L"{count} steps", item.steps.size()),
                                        item.steps.size());
  }
  if (size_t again = item.alreadyCounted.size())
    text += platform::WithCount(platform::Tr(L", {count} already counted"), again);
  if (!item.tooNew.empty()) text += platform::WithCount(platform::Tr(L", {count} too new"), item.tooNew.size());
  if (!item.kept.empty()) text += platform::WithCount(platform::Tr(L", {count} kept"), item.kept.size());
  if (!item.leftBehind.empty()) {
    text += platform::WithCount(platform::Tr(L", {count} left behind"), item.leftBehind.size());
  }
  return text;
}

DetailLines::DetailLines(const ItemReport& item, bool preview, const std::vector<RuleReason>* reasons)
    : item_(item),
      preview_(preview),
      reasons_(reasons),
      summary_(!preview && !item.leftBehind.empty()),
      size_(std::max<size_t>(1, (summary_ ? 1 : 0) + (item.lookedFor.empty() ? 0 : 1 + item.lookedFor.size()) +
                                    item.files.size() + item.folders.size() + item.keys.size() + item.values.size() +
                                    item.steps.size() + item.alreadyCounted.size() + DatabaseLines(item) +
                                    item.tooNew.size() + item.kept.size() + item.leftBehind.size())) {}

std::optional<FileRecord> DetailLines::FileAt(size_t index) const {
  if (index >= size_ || OpeningLine(item_, summary_, index) || index >= item_.files.size()) return std::nullopt;
  return item_.files[Shown(index)];
}

std::wstring DetailLines::Why(std::uint32_t reason) const {
  if (!reasons_ || reason == 0 || reason > reasons_->size()) return {};
  const RuleReason& why = (*reasons_)[reason - 1];
  if (why.pattern.empty()) return platform::Fill(platform::Tr(L" - {line}"), {{L"line", why.line}});
  return platform::Fill(platform::Tr(L" - {line}, {pattern}"), {{L"line", why.line}, {L"pattern", why.pattern}});
}

void DetailLines::GroupByReason(bool grouped) {
  order_.clear();
  if (!grouped) return;
  order_.resize(item_.files.size());
  for (std::uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
  std::stable_sort(order_.begin(), order_.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return item_.files.ReasonOf(a) < item_.files.ReasonOf(b); });
}

std::wstring DetailLines::operator[](size_t index) const {
  if (std::optional<std::wstring> line = OpeningLine(item_, summary_, index)) return *line;
  const size_t done = preview_ ? 0 : 1;
  // The lists of plain texts, each with its forms and the reasons of its entries, in the order they are
  // shown: what the item counts, then what earlier items counted.
  using Texts = std::tuple<const std::vector<std::wstring>*, const Forms*, const EntryReasons*>;
  const CountedEntries& again = item_.alreadyCounted;
  const std::pair<const FileRecords*, const Forms*> fileLists[] = {{&item_.files, FormsOf(List::Files)},
                                                                   {&again.files, FormsOf(List::FilesAgain)}};
  const Texts counted[] = {{&item_.folders, FormsOf(List::Folders), &item_.folderReasons},
                           {&item_.keys, FormsOf(List::Keys), &item_.keyReasons},
                           {&item_.values, FormsOf(List::Values), &item_.valueReasons},
                           {&item_.steps, FormsOf(List::Steps), nullptr}};
  const Texts repeated[] = {{&again.folders, FormsOf(List::FoldersAgain), nullptr},
                            {&again.keys, FormsOf(List::KeysAgain), nullptr},
                            {&again.values, FormsOf(List::ValuesAgain), nullptr},
                            {&again.databases, FormsOf(List::Databases), nullptr}};
  const std::span<const Texts> textLists[] = {counted, repeated};
  for (int block = 0; block < 2; ++block) {
    const auto& [files, fileForms] = fileLists[block];
    if (index < files->size()) {
      FileRecord record = (*files)[block ? index : Shown(index)];
      return Line(platform::Tr((*fileForms)[done]),
                  {{L"path", record.path}, {L"bytes", platform::ShownNumber(record.size)}}, Why(record.reason));
    }
    index -= files->size();
    for (const auto& [list, forms, reasons] : textLists[block]) {
      if (index < list->size()) {
        const std::wstring& entry = (*list)[index];
        return Line(platform::Tr((*forms)[done]), {{L"path", entry}, {L"step", entry}},
                    Why(reasons ? (*reasons)[index] : 0));
      }
      index -= list->size();
    }
  }
  if (std::optional<std::wstring> line = DatabaseLine(item_, index, preview_)) return *line;
  if (index < item_.tooNew.size())
    return Line(platform::Tr(L"Too new, kept: {path}"), {{L"path", item_.tooNew[index]}});
  index -= item_.tooNew.size();
  if (index < item_.kept.size()) {
    const KeptRecord& kept = item_.kept[index];
    if (kept.kind == KeptFor::Path) return Line(platform::Tr(L"Kept by you: {path}"), {{L"path", kept.path}});
    return Line(platform::Tr(L"Kept ({what}): {path}"), {{L"what", kept.what}, {L"path", kept.path}});
  }
  index -= item_.kept.size();
  if (index < item_.leftBehind.size()) {
    const LeftRecord& left = item_.leftBehind[index];
    return Line(platform::Tr(L"Left behind ({reason}): {path}"), {{L"reason", left.reason}, {L"path", left.path}});
  }
  return preview_ ? platform::Tr(L"Nothing to erase.") : platform::Tr(L"Nothing was erased.");
}

}  // namespace engine
