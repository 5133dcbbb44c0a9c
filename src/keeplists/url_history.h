#pragma once
// Internet Explorer's per-user URL history store, seen as a collection of its entries.
// A CURLHistory and its store belong to the thread that created them.
#include <windows.h>

#include <urlhist.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell_memory.h"

namespace keeplists {

// One entry of the store: a copy of its record, which owns the record's two texts (allocated by the
// store with the task allocator).
class URLHistoryItem {
 public:
  // Takes over record.pwcsUrl and record.pwcsTitle; either may be null.
  explicit URLHistoryItem(const STATURL& record);
  URLHistoryItem(URLHistoryItem&&) noexcept = default;
  // Frees the title before the URL, as the item's end does.
  URLHistoryItem& operator=(URLHistoryItem&& other) noexcept;

  std::wstring URL() const;
  std::wstring Title() const;
  // Local date and time as an automation date (days since 30 December 1899, the time of day as the
  // fraction), converted with the time zone's current offset; 0 when the time cannot be converted.
  DATE LastVisited() const;
  DATE LastUpdated() const;
  DATE Expires() const;
  DWORD FLAGS() const;

 private:
  STATURL record_;                              // without its two texts, which the owners below hold
  platform::ShellMemory<wchar_t> url_, title_;  // destroyed in reverse: the title first
};

// One pass over the store's entries.
class UrlHistoryCursor {
 public:
  virtual ~UrlHistoryCursor() = default;
  // Nothing at the end, or when the store fails.
  virtual std::optional<URLHistoryItem> Next() = 0;
};

// The store's operations; each reports only whether it succeeded.
class UrlHistoryStore {
 public:
  virtual ~UrlHistoryStore() = default;
  virtual bool AddUrl(const std::wstring& url, const std::wstring& title, DWORD flags) = 0;
  virtual bool DeleteUrl(const std::wstring& url, DWORD flags) = 0;
  virtual bool ClearHistory() = 0;
  // The entries that pass the filter (empty text and 0 flags pass all); nullptr when the store fails.
  virtual std::unique_ptr<UrlHistoryCursor> Enumerate(const std::wstring& startText, DWORD flags) = 0;
};

// The current user's store, nullptr when it cannot be created. A thread that has not entered a COM
// apartment enters a single-threaded one for the store's lifetime.
std::unique_ptr<UrlHistoryStore> OpenUrlHistoryStore();

// Without a store, or when a store call fails, the operation in progress ends quietly.
class CURLHistory {
 public:
  // The current user's store, enumerated once.
  CURLHistory();
  explicit CURLHistory(std::unique_ptr<UrlHistoryStore> store);
  CURLHistory(const CURLHistory&) = delete;
  CURLHistory& operator=(const CURLHistory&) = delete;

  void AddURL(const std::wstring& url, const std::wstring& title, DWORD flags);
  void DeleteURL(const std::wstring& url, DWORD flags);
  void Clear();
  void Refresh(const std::wstring& startText = {}, DWORD flags = 0);

  int Count() const;
  // 1-based; nullptr outside 1 to Count.
  const URLHistoryItem* Item(int index) const;
  // Deletes the item's URL from the store and drops the item; an index outside 1 to Count does nothing.
  void Remove(int index);
  std::vector<URLHistoryItem>::const_iterator begin() const { return items_.begin(); }
  std::vector<URLHistoryItem>::const_iterator end() const { return items_.end(); }

 private:
  std::unique_ptr<UrlHistoryStore> store_;
  std::vector<URLHistoryItem> items_;
};

}  // namespace keeplists
