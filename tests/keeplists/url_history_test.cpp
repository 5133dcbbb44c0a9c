#include "keeplists/url_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <thread>

using namespace keeplists;

namespace {

using Texts = std::vector<std::wstring>;

struct Entry {
  std::wstring url;
  std::wstring title;
  bool untitled = false;
  FILETIME visited{}, updated{}, expires{};
  DWORD flags = 0;
};

// Task-allocator traffic in order: the texts of each record the store hands out, and every free.
struct Event {
  enum Kind { kHandedOut, kFreed } kind;
  void* block;
  void* title;
};

// What the fake store holds, what it was asked, and how it should fail.
struct StoreState {
  std::vector<Entry> entries;
  Texts calls;
  bool failAdd = false, failDelete = false, failClear = false, failEnumerate = false;
  size_t recordsBeforeFailure = SIZE_MAX;
  std::vector<Event> log;
};

wchar_t* TaskCopy(const std::wstring& text) {
  auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  std::copy(text.c_str(), text.c_str() + text.size() + 1, copy);
  return copy;
}

class FakeCursor : public UrlHistoryCursor {
 public:
  FakeCursor(StoreState& state, std::vector<Entry> matches) : state_(state), matches_(std::move(matches)) {}

  std::optional<URLHistoryItem> Next() override {
    if (next_ >= matches_.size() || next_ >= state_.recordsBeforeFailure) return std::nullopt;
    const Entry& entry = matches_[next_++];
    STATURL record{sizeof(STATURL), TaskCopy(entry.url), entry.untitled ? nullptr : TaskCopy(entry.title),
                   entry.visited,   entry.updated,       entry.expires,
                   entry.flags};
    state_.log.push_back({Event::kHandedOut, record.pwcsUrl, record.pwcsTitle});
    return URLHistoryItem(record);
  }

 private:
  StoreState& state_;
  std::vector<Entry> matches_;
  size_t next_ = 0;
};

class FakeStore : public UrlHistoryStore {
 public:
  explicit FakeStore(StoreState& state) : state_(state) {}

  bool AddUrl(const std::wstring& url, const std::wstring& title, DWORD flags) override {
    state_.calls.push_back(L"add " + url + L" " + title + L" " + std::to_wstring(flags));
    if (state_.failAdd) return false;
    state_.entries.push_back({url, title, false, {}, {}, {}, flags});
    return true;
  }
  bool DeleteUrl(const std::wstring& url, DWORD flags) override {
    state_.calls.push_back(L"delete " + url + L" " + std::to_wstring(flags));
    if (state_.failDelete) return false;
    auto found = std::find_if(state_.entries.begin(), state_.entries.end(),
                              [&](const Entry& entry) { return entry.url == url; });
    if (found != state_.entries.end()) state_.entries.erase(found);
    return true;
  }
  bool ClearHistory() override {
    state_.calls.push_back(L"clear");
    if (state_.failClear) return false;
    state_.entries.clear();
    return true;
  }
  std::unique_ptr<UrlHistoryCursor> Enumerate(const std::wstring& startText, DWORD flags) override {
    state_.calls.push_back(L"enumerate " + startText + L" " + std::to_wstring(flags));
    if (state_.failEnumerate) return nullptr;
    std::vector<Entry> matches;
    std::copy_if(state_.entries.begin(), state_.entries.end(), std::back_inserter(matches),
                 [&](const Entry& entry) { return entry.url.starts_with(startText); });
    return std::make_unique<FakeCursor>(state_, std::move(matches));
  }

 private:
  StoreState& state_;
};

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour) {
  SYSTEMTIME time{year, month, 0, day, hour, 0, 0, 0};
  FILETIME file{};
  SystemTimeToFileTime(&time, &file);
  return file;
}

// Minutes to add to local time to get UTC, as the system applies it now.
double CurrentBiasMinutes() {
  TIME_ZONE_INFORMATION zone{};
  DWORD id = GetTimeZoneInformation(&zone);
  return zone.Bias + (id == TIME_ZONE_ID_DAYLIGHT   ? zone.DaylightBias
                      : id == TIME_ZONE_ID_STANDARD ? zone.StandardBias
                                                    : 0);
}

Texts Urls(const CURLHistory& history) {
  Texts urls;
  for (const URLHistoryItem& item : history) urls.push_back(item.URL());
  return urls;
}

class UrlHistory : public ::testing::Test {
 protected:
  StoreState state;
  void SetUp() override {
    state.entries = {{L"http://a/", L"Page A", false, Utc(2020, 6, 15, 12), Utc(2021, 1, 1, 0), Utc(2030, 12, 31, 18),
                      2},
                     {L"http://b/x", L"Page X"},
                     {L"http://b/y", L"", true}};
  }
  std::unique_ptr<UrlHistoryStore> Store() { return std::make_unique<FakeStore>(state); }
};

// Adds every task-allocator free to a log.
class FreeRecorder : public IMallocSpy {
 public:
  std::vector<Event>* log = nullptr;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = iid == IID_IUnknown || iid == IID_IMallocSpy ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T bytes) override { return bytes; }
  void* STDMETHODCALLTYPE PostAlloc(void* block) override { return block; }
  void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override {
    if (block && log) log->push_back({Event::kFreed, block, nullptr});
    return block;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T bytes, void** actual, BOOL) override {
    *actual = block;
    return bytes;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
  void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T bytes, BOOL) override { return bytes; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int allocated) override { return allocated; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

// A new thread starts outside any COM apartment.
template <typename Body>
void OnNewThread(Body body) {
  std::thread thread(body);
  thread.join();
}

}  // namespace

TEST_F(UrlHistory, CreationEnumeratesTheWholeStoreIntoOneBasedItems) {
  CURLHistory history(Store());
  EXPECT_EQ(state.calls, Texts{L"enumerate  0"});
  EXPECT_EQ(history.Count(), 3);
  EXPECT_EQ(Urls(history), (Texts{L"http://a/", L"http://b/x", L"http://b/y"}));
  ASSERT_NE(history.Item(1), nullptr);
  EXPECT_EQ(history.Item(1)->URL(), L"http://a/");
  ASSERT_NE(history.Item(3), nullptr);
  EXPECT_EQ(history.Item(3)->URL(), L"http://b/y");
  EXPECT_EQ(history.Item(0), nullptr);
  EXPECT_EQ(history.Item(4), nullptr);
  EXPECT_EQ(history.Item(-1), nullptr);
}

TEST_F(UrlHistory, RefreshReplacesTheItemsWithTheFilteredEntries) {
  CURLHistory history(Store());
  history.Refresh(L"http://b/", 0x10000);
  EXPECT_EQ(state.calls.back(), L"enumerate http://b/ 65536");
  EXPECT_EQ(Urls(history), (Texts{L"http://b/x", L"http://b/y"}));
  history.Refresh();
  EXPECT_EQ(history.Count(), 3);
}

TEST_F(UrlHistory, ClearEmptiesTheStoreAndThenRefreshes) {
  CURLHistory history(Store());
  history.Clear();
  EXPECT_EQ(state.calls, (Texts{L"enumerate  0", L"clear", L"enumerate  0"}));
  EXPECT_TRUE(state.entries.empty());
  EXPECT_EQ(history.Count(), 0);
}

TEST_F(UrlHistory, DeleteURLDeletesAndThenRefreshes) {
  CURLHistory history(Store());
  history.DeleteURL(L"http://b/x", 3);
  EXPECT_EQ(state.calls, (Texts{L"enumerate  0", L"delete http://b/x 3", L"enumerate  0"}));
  EXPECT_EQ(Urls(history), (Texts{L"http://a/", L"http://b/y"}));
}

TEST_F(UrlHistory, RemoveDeletesTheItemsUrlAndDropsOnlyThatItem) {
  CURLHistory history(Store());
  history.Remove(2);
  EXPECT_EQ(state.calls, (Texts{L"enumerate  0", L"delete http://b/x 0"}));
  EXPECT_EQ(Urls(history), (Texts{L"http://a/", L"http://b/y"}));
  ASSERT_EQ(state.entries.size(), 2u);
  history.Remove(0);
  history.Remove(3);
  EXPECT_EQ(state.calls.size(), 2u);
  EXPECT_EQ(history.Count(), 2);
}

TEST_F(UrlHistory, AddURLAddsWithoutRefreshing) {
  CURLHistory history(Store());
  history.AddURL(L"http://n/", L"New", 1);
  EXPECT_EQ(state.calls.back(), L"add http://n/ New 1");
  EXPECT_EQ(history.Count(), 3);
  history.Refresh();
  EXPECT_EQ(history.Count(), 4);
}

TEST_F(UrlHistory, FailingStoreCallsEndTheOperationQuietly) {
  state.failEnumerate = true;
  EXPECT_EQ(CURLHistory(Store()).Count(), 0);
  state.failEnumerate = false;

  CURLHistory history(Store());
  state.calls.clear();
  state.failClear = state.failDelete = state.failAdd = true;
  history.Clear();
  history.DeleteURL(L"http://a/", 0);
  history.Remove(1);
  history.AddURL(L"http://n/", L"", 0);
  EXPECT_EQ(state.calls, (Texts{L"clear", L"delete http://a/ 0", L"delete http://a/ 0", L"add http://n/  0"}));
  EXPECT_EQ(history.Count(), 3);
  EXPECT_EQ(state.entries.size(), 3u);

  // An enumerator that cannot start leaves the old items; one that fails midway leaves what it gave.
  state.failEnumerate = true;
  history.Refresh();
  EXPECT_EQ(history.Count(), 3);
  state.failEnumerate = false;
  state.recordsBeforeFailure = 1;
  history.Refresh();
  EXPECT_EQ(Urls(history), Texts{L"http://a/"});
}

TEST(UrlHistoryWithoutStore, EveryOperationEndsQuietly) {
  CURLHistory history(nullptr);
  history.AddURL(L"http://a/", L"A", 0);
  history.Clear();
  history.DeleteURL(L"http://a/", 0);
  history.Remove(1);
  history.Refresh(L"http://", 0);
  EXPECT_EQ(history.Count(), 0);
  EXPECT_EQ(history.Item(1), nullptr);
  EXPECT_EQ(history.begin(), history.end());
}

TEST_F(UrlHistory, ItemTextsAndFlagsComeFromTheRecord) {
  CURLHistory history(Store());
  const URLHistoryItem& first = *history.Item(1);
  EXPECT_EQ(first.URL(), L"http://a/");
  EXPECT_EQ(first.Title(), L"Page A");
  EXPECT_EQ(first.FLAGS(), 2u);
  EXPECT_EQ(history.Item(2)->Title(), L"Page X");
  // No title address gives empty text.
  EXPECT_EQ(history.Item(3)->Title(), L"");
  EXPECT_EQ(history.Item(3)->URL(), L"http://b/y");
}

TEST_F(UrlHistory, ItemDatesAreTheStoredUtcTimesInLocalTime) {
  CURLHistory history(Store());
  const URLHistoryItem& item = *history.Item(1);
  const double localShift = -CurrentBiasMinutes() / (24 * 60);
  const double second = 1.0 / (24 * 60 * 60);
  EXPECT_NEAR(item.LastVisited(), 43997.5 + localShift, second);  // 15 June 2020 12:00 UTC
  EXPECT_NEAR(item.LastUpdated(), 44197.0 + localShift, second);  // 1 January 2021 00:00 UTC
  EXPECT_NEAR(item.Expires(), 47848.75 + localShift, second);     // 31 December 2030 18:00 UTC
  EXPECT_EQ(item.LastVisited(), item.LastVisited());
  EXPECT_EQ(history.Item(1)->LastVisited(), item.LastVisited());
}

// Freed blocks come back from the allocator, so a block is followed from handing out to free.
TEST_F(UrlHistory, ItemsFreeEachTextOnceTitleFirst) {
  // Static: the allocator may defer the revocation and keep calling the spy.
  static FreeRecorder recorder;
  recorder.log = &state.log;
  ASSERT_EQ(CoRegisterMallocSpy(&recorder), S_OK);
  {
    CURLHistory history(Store());
    history.Remove(2);
    history.Refresh();
  }
  recorder.log = nullptr;
  CoRevokeMallocSpy();

  struct Owner {
    size_t record;
    bool title;
  };
  std::map<void*, Owner> live;
  std::set<void*> freedTexts;
  std::set<size_t> titlesGone;
  size_t records = 0;
  int doubleFrees = 0, urlsBeforeTitles = 0;
  for (const Event& event : state.log) {
    if (event.kind == Event::kHandedOut) {
      live[event.block] = {records, false};
      freedTexts.erase(event.block);
      if (event.title) {
        live[event.title] = {records, true};
        freedTexts.erase(event.title);
      } else {
        titlesGone.insert(records);
      }
      ++records;
      continue;
    }
    auto found = live.find(event.block);
    if (found == live.end()) {
      doubleFrees += static_cast<int>(freedTexts.count(event.block));
      continue;
    }
    if (found->second.title) {
      titlesGone.insert(found->second.record);
    } else if (!titlesGone.count(found->second.record)) {
      ++urlsBeforeTitles;
    }
    freedTexts.insert(event.block);
    live.erase(found);
  }
  EXPECT_EQ(records, 5u);
  EXPECT_EQ(doubleFrees, 0);
  EXPECT_EQ(urlsBeforeTitles, 0);
  EXPECT_TRUE(live.empty()) << live.size() << " texts never freed";
}

TEST(UrlHistoryPlatform, TheStoreOpensOnAThreadWithoutComAndLeavesNoApartmentBehind) {
  bool opened = false;
  HRESULT afterwards = E_FAIL;
  OnNewThread([&] {
    opened = OpenUrlHistoryStore() != nullptr;
    afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(afterwards)) CoUninitialize();
  });
  EXPECT_TRUE(opened);
  EXPECT_EQ(afterwards, S_OK);
}

TEST(UrlHistoryPlatform, TheStoreOpensInEitherApartmentAndKeepsIt) {
  for (DWORD model : {COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED}) {
    bool opened = false;
    HRESULT afterwards = E_FAIL;
    OnNewThread([&] {
      if (FAILED(CoInitializeEx(nullptr, model))) return;
      opened = OpenUrlHistoryStore() != nullptr;
      // S_FALSE: the thread is still in the apartment it entered itself.
      afterwards = CoInitializeEx(nullptr, model);
      if (SUCCEEDED(afterwards)) CoUninitialize();
      CoUninitialize();
    });
    EXPECT_TRUE(opened) << model;
    EXPECT_EQ(afterwards, S_FALSE) << model;
  }
}

TEST(UrlHistoryPlatform, ClearEndsQuietlyWhateverTheStoreAnswers) {
  int count = -1;
  OnNewThread([&] {
    CURLHistory history;
    history.AddURL(L"http://trellwipe.test/", L"Trellwipe", 0);
    history.Clear();
    count = history.Count();
  });
  EXPECT_EQ(count, 0);
}
