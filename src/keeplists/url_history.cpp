#include "keeplists/url_history.h"

#include <oleauto.h>

#include <utility>

#include "platform/com_ptr.h"

namespace keeplists {

namespace {

constexpr CLSID kUrlHistoryClass = {0x3c374a40, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};

std::wstring CopyText(const wchar_t* text) { return text ? std::wstring(text, lstrlenW(text)) : std::wstring(); }

DATE ToLocalDate(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME calendar;
  DATE date = 0;
  if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &calendar) &&
      SystemTimeToVariantTime(&calendar, &date)) {
    return date;
  }
  return 0;
}

class PlatformCursor : public UrlHistoryCursor {
 public:
  explicit PlatformCursor(platform::ComPtr<IEnumSTATURL> enumerator) : enumerator_(std::move(enumerator)) {}

  std::optional<URLHistoryItem> Next() override {
    STATURL record{};
    record.cbSize = sizeof(record);
    ULONG fetched = 0;
    enumerator_.get()->Next(1, &record, &fetched);
    // A fetched record is taken whatever the result says, so that its texts are freed.
    if (fetched != 1) return std::nullopt;
    return URLHistoryItem(record);
  }

 private:
  platform::ComPtr<IEnumSTATURL> enumerator_;
};

class PlatformStore : public UrlHistoryStore {
 public:
  bool Open() {
    return SUCCEEDED(CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(history_.out())));
  }

  bool AddUrl(const std::wstring& url, const std::wstring& title, DWORD flags) override {
    return SUCCEEDED(history_.get()->AddUrl(url.c_str(), title.c_str(), flags));
  }
  bool DeleteUrl(const std::wstring& url, DWORD flags) override {
    return SUCCEEDED(history_.get()->DeleteUrl(url.c_str(), flags));
  }
  bool ClearHistory() override { return SUCCEEDED(history_.get()->ClearHistory()); }

  std::unique_ptr<UrlHistoryCursor> Enumerate(const std::wstring& startText, DWORD flags) override {
    platform::ComPtr<IEnumSTATURL> enumerator;
    if (FAILED(history_.get()->EnumUrls(enumerator.out())) || !enumerator ||
        FAILED(enumerator.get()->SetFilter(startText.c_str(), flags))) {
      return nullptr;
    }
    return std::make_unique<PlatformCursor>(std::move(enumerator));
  }

 private:
  // Declared first: the apartment must outlive the interface released before it.
  platform::ComApartment apartment_;
  platform::ComPtr<IUrlHistoryStg2> history_;
};

}  // namespace

URLHistoryItem::URLHistoryItem(const STATURL& record)
    : record_(record), url_(record.pwcsUrl), title_(record.pwcsTitle) {
  record_.pwcsUrl = nullptr;
  record_.pwcsTitle = nullptr;
}

URLHistoryItem& URLHistoryItem::operator=(URLHistoryItem&& other) noexcept {
  record_ = other.record_;
  title_ = std::move(other.title_);
  url_ = std::move(other.url_);
  return *this;
}

std::wstring URLHistoryItem::URL() const { return CopyText(url_.get()); }
std::wstring URLHistoryItem::Title() const { return CopyText(title_.get()); }
DATE URLHistoryItem::LastVisited() const { return ToLocalDate(record_.ftLastVisited); }
DATE URLHistoryItem::LastUpdated() const { return ToLocalDate(record_.ftLastUpdated); }
DATE URLHistoryItem::Expires() const { return ToLocalDate(record_.ftExpires); }
DWORD URLHistoryItem::FLAGS() const { return record_.dwFlags; }

std::unique_ptr<UrlHistoryStore> OpenUrlHistoryStore() {
  auto store = std::make_unique<PlatformStore>();
  if (!store->Open()) return nullptr;
  return store;
}

CURLHistory::CURLHistory() : CURLHistory(OpenUrlHistoryStore()) {}

CURLHistory::CURLHistory(std::unique_ptr<UrlHistoryStore> store) : store_(std::move(store)) { Refresh(); }

void CURLHistory::AddURL(const std::wstring& url, const std::wstring& title, DWORD flags) {
  if (store_) store_->AddUrl(url, title, flags);
}

void CURLHistory::DeleteURL(const std::wstring& url, DWORD flags) {
  if (store_ && store_->DeleteUrl(url, flags)) Refresh();
}

void CURLHistory::Clear() {
  if (store_ && store_->ClearHistory()) Refresh();
}

void CURLHistory::Refresh(const std::wstring& startText, DWORD flags) {
  if (!store_) return;
  std::unique_ptr<UrlHistoryCursor> cursor = store_->Enumerate(startText, flags);
  if (!cursor) return;
  items_.clear();
  while (std::optional<URLHistoryItem> item = cursor->Next()) items_.push_back(std::move(*item));
}

int CURLHistory::Count() const { return static_cast<int>(items_.size()); }

const URLHistoryItem* CURLHistory::Item(int index) const {
  return index >= 1 && index <= Count() ? &items_[index - 1] : nullptr;
}

void CURLHistory::Remove(int index) {
  const URLHistoryItem* item = Item(index);
  if (store_ && item && store_->DeleteUrl(item->URL(), 0)) items_.erase(items_.begin() + (index - 1));
}

}  // namespace keeplists
