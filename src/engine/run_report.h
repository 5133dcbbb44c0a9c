#pragma once
// What a run really erased (or, in a preview, would erase) item by item, beside the estimated
// counters: every file with its size, folder, registry key and value, every step that is not an
// erasure (a command line, the clipboard, the recycle bin), and what stayed although it was meant
// to go.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/translation.h"

namespace engine {

struct FileRecord {
  std::wstring path;
  double size = 0;
  // Why the file is there beyond its item: 0 for the item itself, else the place + 1 of the rule line
  // and pattern in the run's RunReport::reasons.
  std::uint32_t reason = 0;
};

// The rule line that named a file and the pattern that matched it: "rules/browsers.ini:212 FileKey3",
// "*.log". A run keeps each once, and its files keep its place.
struct RuleReason {
  std::wstring line;
  std::wstring pattern;
};

// The files of an item, stored compactly: the path of a folder once for its run of files, the names
// one after another in one buffer and each file's reason as a place in the run's list, so an item of
// a million files keeps about 40 bytes a file instead of a string or two each. Read as a list of FileRecord, each made
// when asked for.
class FileRecords {
 public:
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = FileRecord;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = FileRecord;
    Iterator(const FileRecords& records, size_t at) : records_(&records), at_(at) {}
    FileRecord operator*() const { return (*records_)[at_]; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    const FileRecords* records_;
    size_t at_;
  };

  FileRecords() = default;
  FileRecords(std::initializer_list<FileRecord> records);

  void push_back(const FileRecord& record);
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  FileRecord operator[](size_t index) const;
  double Size(size_t index) const { return entries_[index].size; }
  std::uint32_t ReasonOf(size_t index) const { return entries_[index].reason; }
  Iterator begin() const { return {*this, 0}; }
  Iterator end() const { return {*this, size()}; }

 private:
  static constexpr std::uint32_t kNoFolder = 0xFFFFFFFF;
  struct Entry {
    std::uint32_t folder;     // place in folders_, or kNoFolder for a path without a backslash
    std::uint32_t nameStart;  // the name runs in names_ up to the next entry's start
    std::uint32_t reason;
    double size;
  };
  std::vector<std::wstring> folders_;
  std::wstring names_;
  std::vector<Entry> entries_;
};

// What an item reached that an earlier item of the run had erased (in a preview: would erase)
// first: its details list it, marked "already counted", and no figure counts it again.
struct CountedEntries {
  FileRecords files;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> keys;
  std::vector<std::wstring> values;
  // Databases an earlier item cleaned inside already: nothing was left in them to remove (in a
  // preview: the rows they would lose are the earlier item's).
  std::vector<std::wstring> databases;
  size_t size() const { return files.size() + folders.size() + keys.size() + values.size() + databases.size(); }
};

struct LeftRecord {
  std::wstring path;
  std::wstring reason;  // "in use", "access denied", "read-only", "refused: a link", ... as shown
  // Why the program's own guard refused to erase it ("a link"); empty when the system refused it.
  std::wstring refusal;
};

// What a keep list of the user kept where it stays: the cookies or storage of a kept site, a kept
// typed address, a file or folder the user keeps. It stays on purpose, so it is never counted as left
// behind.
enum class KeptFor { Site, Address, Path };
struct KeptRecord {
  std::wstring path;
  KeptFor kind = KeptFor::Site;
  std::wstring name;  // the site, address or path the keep list names
  std::wstring what;  // "the cookies of example.com (3)"
};

// What a cleaning removed inside a database that stays (a browser's history, its cookies): the rows
// each table lost, and the bytes the file shed when it was compacted. A preview counts the rows that
// would go from a copy of the file; what a compaction frees is known only once it is done.
struct DatabaseRecord {
  std::wstring path;
  using Tables = std::vector<std::pair<std::wstring, size_t>>;
  Tables tables;                     // each table that lost rows (or would lose them), with how many
  std::optional<double> bytesFreed;  // none in a preview
  size_t Rows() const;
};

// Why each entry of a list of folders, keys or values is there, as FileRecord::reason, by its place:
// only as long as up to its last entry with a reason, so a list of the item's own entries costs
// nothing.
class EntryReasons {
 public:
  void Set(size_t place, std::uint32_t reason);
  std::uint32_t operator[](size_t place) const { return place < reasons_.size() ? reasons_[place] : 0; }

 private:
  std::vector<std::uint32_t> reasons_;
};

struct ItemReport {
  std::wstring section;
  std::wstring key;
  std::wstring label;
  std::wstring outcome;  // the text the row got last ("Done", "Only Support IE9, IE10." ...)
  // What the item was the first of the run to erase; only these count in its figures and the run's.
  FileRecords files;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> keys;    // full registry paths
  std::vector<std::wstring> values;  // key path + "\" + value name ("(Default)" for the default value)
  EntryReasons folderReasons, keyReasons, valueReasons;
  std::vector<std::wstring> steps;
  std::vector<DatabaseRecord> databases;
  CountedEntries alreadyCounted;
  std::vector<LeftRecord> leftBehind;
  std::vector<KeptRecord> kept;
  // The files the item would have erased but that were written within the age the options keep
  // (those an earlier item of the run kept already are not listed again): they stay on purpose, and
  // no figure counts them.
  std::vector<std::wstring> tooNew;
  // The folders and keys the item looked for and found none of: its program is not on this computer.
  std::vector<std::wstring> lookedFor;
  // What the item added to the run's counters.
  double estimatedKeys = 0;
  double estimatedBytes = 0;

  double Bytes() const;
  size_t RegistryEntries() const { return keys.size() + values.size(); }
  size_t DatabaseRows() const;
  // None when a database's compaction is still to come (a preview).
  std::optional<double> DatabaseBytes() const;
  // The item erases (or, in a preview, would erase) a file, folder or registry entry, or works inside
  // a database.
  bool ErasesSomething() const {
    return !files.empty() || !folders.empty() || RegistryEntries() > 0 || !steps.empty() || !databases.empty();
  }
};

struct ReportTotals {
  size_t files = 0;
  size_t folders = 0;
  size_t registryEntries = 0;
  size_t steps = 0;
  size_t leftBehind = 0;
  size_t tooNew = 0;
  // The different sites, addresses and entries of the files and folders to keep that the keep lists
  // kept, each once however many items kept it.
  size_t keptSites = 0;
  size_t keptAddresses = 0;
  size_t keptPaths = 0;
  double bytes = 0;
  // Cleaned inside, beside the files: the databases, the rows they lost and the bytes they shed (none
  // in a preview).
  size_t databases = 0;
  size_t databaseRows = 0;
  double databaseBytes = 0;
  double estimatedKeys = 0;
  double estimatedBytes = 0;
};

// The items a cleaning of every user of the computer ran for one of them.
struct UserGroup {
  std::wstring name;    // the user, as the profile folder is named
  std::wstring folder;  // the profile folder
  size_t first = 0;     // the group's items run from items[first] up to items[end]
  size_t end = 0;
};

struct RunReport {
  bool preview = false;
  bool stopped = false;  // a stop cut the run or preview short
  std::vector<ItemReport> items;
  // One group a user when the run reached every user of the computer; empty otherwise.
  std::vector<UserGroup> users;
  // Every user was asked for without administrator rights: only the current user's items ran.
  bool onlyCurrentUser = false;
  // The organisation's policy values the run ignored, one sentence each, shown before the items.
  std::vector<std::wstring> ignoredPolicies;
  // Why files are there beyond their items (FileRecord::reason), each once.
  std::vector<RuleReason> reasons;

  ReportTotals Totals() const { return Totals(0, items.size()); }
  // Of items[first] up to items[end].
  ReportTotals Totals(size_t first, size_t end) const;
  bool LeftSomethingBehind() const;
  // How many items left something behind.
  size_t ItemsLeavingSomething() const;
};

// Fills a report while a run goes: the run opens an item, the primitives record into it. Records
// that arrive while no item is open are dropped. A path an item has recorded already is not
// recorded again: in a preview nothing goes, so a later step of the item (a folder emptied, then
// re-created) meets the same files again. A path an earlier item recorded goes to the item's
// already counted entries, and so does a key or value below a key an earlier item erased: the run
// counts each entry once, by its full path as erased, letter case ignored as Windows compares names.
// So a preview counts what the clean after it finds, though there a later item no longer meets
// what an earlier one erased.
class RunRecorder {
 public:
  explicit RunRecorder(RunReport& report) : report_(report) {}

  void BeginItem(const std::wstring& section, const std::wstring& key, const std::wstring& label);
  ItemReport* Current();
  void EndItem() { open_ = false; }

  // Files, folders, keys and values are recorded with the reason given last in the open item (none at
  // its start), unless one comes with them: the files of a folder are recorded after all were judged.
  void File(const std::wstring& path, double size) { File(path, size, reason_); }
  void File(const std::wstring& path, double size, std::uint32_t reason);
  // The reason of a rule line and pattern, for Because: known once per run.
  std::uint32_t ReasonFor(const std::wstring& line, const std::wstring& pattern);
  void Because(std::uint32_t reason) { reason_ = reason; }
  std::uint32_t Reason() const { return reason_; }
  void Folder(const std::wstring& path);
  void Key(const std::wstring& path);
  void Value(const std::wstring& key, const std::wstring& name);
  void Step(const std::wstring& description);
  void Database(DatabaseRecord record);
  void LeftBehind(const std::wstring& path, const std::wstring& reason);
  // What the guard refused to erase, and why: left behind, "refused: " and the reason.
  void Refused(const std::wstring& path, const std::wstring& why);
  void Kept(const std::wstring& path, KeptFor kind, const std::wstring& name, const std::wstring& what);
  // A file kept for its age, listed once in the run, by the first item that met it: the temporary
  // folder's item and a rule of the same folder keep the same files.
  void TooNew(const std::wstring& path);

 private:
  enum class Met { First, InThisItem, Earlier };
  // Where the open item meets this entry (its kind and path) first, and notes that it met it.
  Met Meet(wchar_t kind, const std::wstring& path);
  Met MeetFile(const std::wstring& path);
  // Whether an earlier item erased the key or a key above it, taking its values with it.
  bool ErasedEarlier(const std::wstring& key) const;
  // Adds the text to the list the meeting says, if any.
  void Add(Met met, std::vector<std::wstring> ItemReport::*counted, EntryReasons ItemReport::*reasons,
           std::vector<std::wstring> CountedEntries::*again, std::wstring text);

  RunReport& report_;
  bool open_ = false;
  // Every folder, key and value of the run (lower case, after a letter for its kind), with the item
  // that recorded it first and the one that listed it last.
  struct Lister {
    size_t first, last;
  };
  std::unordered_map<std::wstring, Lister> recorded_;
  // Every file of the run by the hash of its path in lower case, open addressing: a slot holds the
  // item that listed the file last, the file's place in that item's list + 1 (0 while free; the top
  // bit for its already counted list) and the hash.
  struct FileSlot {
    std::uint32_t item, place, hash;
  };
  std::vector<FileSlot> fileSlots_;
  size_t filesMet_ = 0;
  std::uint32_t reason_ = 0;
  std::unordered_map<std::wstring, std::uint32_t> reasonPlaces_;  // by line, tab and pattern
};

// "12 files (3.40 MB) and 5 registry entries": what a preview found, in the question before a first
// cleaning and in the console program's refusal to clean a selection never saved; what a run erased,
// at its end.
std::wstring ErasureSummary(const ReportTotals& totals);

// "refused: a link": why the guard left a path behind, as the details show it.
std::wstring RefusedText(const std::wstring& why);

// "User anna (C:\Users\anna)": the row that opens a user's group.
std::wstring UserGroupTitle(const UserGroup& user);
// "Totals of anna: 12 files (3.40 MB) and 5 registry entries", with the work inside databases when
// there was any: the row that closes it.
std::wstring UserGroupTotals(const RunReport& report, const UserGroup& user);

// Why a cleaning of every user cleaned only the current one.
constexpr const wchar_t* kOnlyCurrentUser = platform::TrLater(
    L"Only the current user was cleaned: cleaning every user of this computer needs administrator "
    L"rights (run Trellwipe as administrator).");

// " Too new to erase: 3 files.", or nothing when no file was kept for its age: after what a run
// erased, and after what a preview found.
std::wstring TooNewSummary(const ReportTotals& totals);

// "kept: 2 sites, 1 address, 3 files and folders kept by you", or nothing when the keep lists kept
// nothing: what the end of a run names beside what it erased.
std::wstring KeptSummary(const ReportTotals& totals);

// "12 files, 3.40 MB, 5 registry entries", and the work inside databases when there was any: what a
// cleaning measured, beside the counters' estimates.
std::wstring MeasuredFigures(const ReportTotals& totals);

// "7 rows removed inside 1 database, 0.09 MB freed", or nothing when no database was cleaned inside;
// without the bytes (a preview), "7 rows to remove inside 1 database".
std::wstring DatabaseSummary(size_t databases, size_t rows, std::optional<double> bytes);

// What a preview's row says beside the figures its columns show: "Would erase", "Would run" (only
// steps) or "Nothing to erase", then the work inside databases and what stays, as a cleaning's row.
std::wstring PreviewState(const ItemReport& item);

// "12 files, 3.40 MB, 5 registry entries", with the work inside databases, the steps, what earlier items counted
// already, the files too new to go, what the keep lists kept and what stayed behind when there are any.
std::wstring CountsText(const ItemReport& item);

// The details of one item, one line each: what went (or would go), then what stayed behind. A line
// is made when it is asked for, so the details of a million files take no room of their own. The
// item must outlive the lines.
class DetailLines {
 public:
  // With the run's reasons, each line of an entry a rule or plug-in put there names its line and pattern.
  DetailLines(const ItemReport& item, bool preview, const std::vector<RuleReason>* reasons = nullptr);
  size_t size() const { return size_; }
  std::wstring operator[](size_t index) const;
  // The item's own file at that line; none for any other line.
  std::optional<FileRecord> FileAt(size_t index) const;
  // The item's files ordered by their reasons, the item's own first; or back in the order they came.
  void GroupByReason(bool grouped);

 private:
  // " - rules/x.ini:212 FileKey3, *.log" for an entry a rule line or plug-in line put there; nothing for
  // the item's own.
  std::wstring Why(std::uint32_t reason) const;
  // The place in item_.files of the file shown at that place.
  size_t Shown(size_t place) const { return order_.empty() ? place : order_[place]; }

  const ItemReport& item_;
  bool preview_;
  const std::vector<RuleReason>* reasons_;
  bool summary_;  // the first line says how much stayed behind
  size_t size_;
  std::vector<std::uint32_t> order_;  // empty while the files are in their own order
};

}  // namespace engine
